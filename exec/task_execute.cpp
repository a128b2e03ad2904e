// Carrying out the armed action when a task reaches zero.
#include <chrono>

#include "app/clock.h"
#include "app/task.h"
#include "app/task_host.h"
#include "os/display.h"
#include "os/power.h"
#include "os/session.h"

namespace {

os::power::Action PowerActionOf(int code) {
  switch (code) {
    case 1: return os::power::Action::PowerOff;
    case 2: return os::power::Action::Reboot;
    case 3: return os::power::Action::Suspend;
    case 4: return os::power::Action::Hibernate;
    default: return os::power::Action::LogOff;
  }
}

}  // namespace

bool Task::PowerAction(int code) {
  int failedStep = 0;
  if (!os::power::EnableShutdownPrivilege(failedStep))
    return false;
  switch (code) {
    case 1:
    case 2:
    case 5:
      return os::power::Perform(PowerActionOf(code), m_force).ok;
    case 3:
    case 4:
      // The wake-up must be armed before the machine goes down.
      if (m_systemWakeUp && m_armWakeUpTimer)
        m_armWakeUpTimer();
      if (!os::power::Perform(PowerActionOf(code), m_force).ok)
        return false;
      m_suspendRequested = true;
      return true;
    case 6: {
      if (MonitorPowerState() == kMonitorOn)
        return true;
      int error = 0;
      if (!os::display::MonitorOn(error)) {
        LogError(error, "Can't Power the Monitor On.");
        return false;
      }
      return true;
    }
    case 7:
      return LockWorkstation() == 0;
    default:
      return true;
  }
}

bool Task::AlarmExtraWanted() const {
  if (!m_host)
    return false;
  return m_host->IsTaskFileRun() ? m_host->FileAlarmExtra() : m_host->AlarmPageOn();
}

void Task::execute() {
  // The Linux backend carries out every action as the NT family does.
  if (!(m_ntFamily || m_otherFamily) || m_win9xFamily)
    return;
  auto alarmExtra = [this] {
    if (AlarmExtraWanted() && !PlayAlarm())
      LogError(10612, "Unexpected Error occured.");
  };
  auto suspendFailed = [this](int code) {
    if (m_host && m_host->IsTaskFileRun())
      m_host->CloseMainWindow();
    else
      LogError(code, "Unexpected Error occured.");
  };
  if (m_shutdown) {
    if (!PowerAction(1))
      LogError(10605, "Unexpected Error occured.");
  } else if (m_restart) {
    if (!PowerAction(2))
      LogError(10606, "Unexpected Error occured.");
  } else if (m_standby) {
    if (!PowerAction(3))
      suspendFailed(10607);
  } else if (m_hibernate) {
    if (!PowerAction(4))
      suspendFailed(10608);
  } else if (m_logoff) {
    if (!PowerAction(5))
      LogError(10609, "Unexpected Error occured.");
  } else if (m_alarm) {
    if (!PlayAlarm())
      LogError(10612, "Unexpected Error occured.");
  } else if (m_monitorOff) {
    if (m_monitorOffPending) {
      if (!PowerAction(6))
        LogError(10610, "Unexpected Error occured.");
    } else {
      alarmExtra();
    }
  } else if (m_cleanup || m_lock || m_launch) {
    alarmExtra();
  }
}

bool Task::PlayAlarm() {
  if (m_customTone && !m_tonePath.empty()) {
    if (m_customAlarm)
      m_customAlarm->Stop();
    m_customAlarm = std::make_unique<CDSound>(m_tonePath);
    m_customAlarmPlaying = m_customAlarm->Play();
    return m_customAlarmPlaying;
  }
  m_defaultAlarmPlaying = m_alarmSound.Play();
  return m_defaultAlarmPlaying;
}

void Task::StopAlarm() {
  if (m_customAlarm)
    m_customAlarm->Stop();
  m_alarmSound.Stop();
  m_customAlarmPlaying = false;
  m_defaultAlarmPlaying = false;
}

int Task::LockWorkstation() {
  int error = 0;
  if (os::session::Lock(error))
    return 0;
  LogError(error, "Failed to lock the Workstation.");
  return 1;
}

bool Task::MonitorOff() {
  CurrentClock().Sleep(std::chrono::milliseconds(700));
  int error = 0;
  if (!os::display::MonitorOff(error)) {
    LogError(error, "Can't Power the Monitor Off.");
    return false;
  }
  // Give the display time to settle before asking for its state.
  CurrentClock().Sleep(std::chrono::milliseconds(300));
  if (m_vistaOrLater)
    CurrentClock().Sleep(std::chrono::milliseconds(2000));
  if (MonitorPowerState() == kMonitorOn) {
    LogError(kMonitorOn, "Error, Monitor is On.");
    return false;
  }
  return true;
}
