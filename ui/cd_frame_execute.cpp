// What happens when the countdown reaches zero: the action (or, for a
// repeated task, saving it), the alarm, the monitor wake-up and the end of a
// task-file run.
#include <ctime>

#include <wx/app.h>

#include "app/clock.h"
#include "app/message_box.h"
#include "os/audio.h"
#include "ui/cd_controls.h"
#include "ui/cd_frame.h"

namespace {

const char kUnexpected[] = "Unexpected Error occured.";

// Registering with the system's scheduler comes with the scheduler; until
// then a repeated task is saved and this failure logged.
constexpr int kScheduleRegisterFailed = 10617;

// Flags cleared once a power action or clean-up has been issued.
constexpr bool Task::*kIssuedFlags[] = {&Task::m_shutdown, &Task::m_restart, &Task::m_standby, &Task::m_hibernate,
                                        &Task::m_logoff,   &Task::m_cleanup, &Task::m_launch,  &Task::m_lock};
// Flags of the actions an alarm extra may follow.
constexpr bool Task::*kAlarmExtraFlags[] = {&Task::m_cleanup, &Task::m_shutdown, &Task::m_restart,
                                            &Task::m_standby, &Task::m_hibernate, &Task::m_logoff,
                                            &Task::m_launch,  &Task::m_lock,     &Task::m_monitorOff};
// Power actions that execute() carries out before any alarm.
constexpr bool Task::*kPowerFlags[] = {&Task::m_shutdown, &Task::m_restart, &Task::m_standby, &Task::m_hibernate,
                                       &Task::m_logoff};

template <std::size_t N>
void Clear(Task& task, bool Task::*const (&flags)[N]) {
  for (bool Task::*flag : flags)
    task.*flag = false;
}

template <std::size_t N>
bool Any(const Task& task, bool Task::*const (&flags)[N]) {
  for (bool Task::*flag : flags)
    if (task.*flag)
      return true;
  return false;
}

}  // namespace

// ---- What the extras ask for -----------------------------------------------

bool CDFrame::AlarmPageSwitchedOn() const {
  return m_fromTaskFile ? m_fileState.m_fileAlarmExtra : Extras().AlarmPageOn();
}

bool CDFrame::AlarmExtraOn() const {
  return m_fromTaskFile ? m_fileState.m_fileAlarmExtra : Extras().AlarmPageOn() && Extras().AlarmPageEnabled();
}

bool CDFrame::LaunchExtraOn() const {
  return m_fromTaskFile ? m_fileState.m_fileLaunchExtra : Extras().LaunchPageOn();
}

bool CDFrame::ExitAfterLaunchOn() const {
  // A task-file run ends after its task anyway.
  return !m_fromTaskFile && Extras().LaunchPageOn() && Extras().ExitAfterLaunch();
}

void CDFrame::LaunchExtra() {
  if (!LaunchExtraOn())
    return;
  // The task file's reader already checked its file.
  if (m_task.m_launchPath.empty() && !(m_fromTaskFile && m_task.m_alarm))
    return;
  m_task.LaunchFile(m_task.m_launchPath);
}

void CDFrame::RingAlarm() {
  if (m_task.m_customTone && !m_task.m_tonePath.empty()) {
    if (m_task.m_customAlarm)
      m_task.m_customAlarm->Stop();
    m_task.m_customAlarm = std::make_unique<CDSound>(m_task.m_tonePath);
  }
  // Counted on a copy, so the task keeps its alarm length for the next run.
  m_alarmSecondsLeft = m_task.m_alarmSeconds;
  m_alarmTimer.Start(1000);
}

void CDFrame::ResetArmed() {
  m_running = false;
  m_actionCode = 0;
  RefreshCountdown();
}

void CDFrame::EndTaskFileRun(bool destroy) {
  if (wxTheApp->IsScheduledForDestruction(this))
    return;
  if (destroy)
    Destroy();
  else
    Close();
}

// ---- The executor ----------------------------------------------------------

void CDFrame::OnExecuteTick(wxTimerEvent&) {
  // The action always follows the clean-up.
  if (IsCleanupRunning())
    return;
  m_executeTimer.Stop();
  // The countdown is over: other programs may suspend the machine again.
  ReleasePreventStandby();
  Task& task = m_task;
  if (task.m_alarm) {
    if (m_scheduleMode) {
      ScheduleCurrentTask();
      if (Extras().AlarmPageOn())
        task.ClearActions();
      task.m_alarm = false;
      ResetArmed();
      return;
    }
    LaunchExtra();
    RingAlarm();
  } else if (task.m_launch) {
    if (m_scheduleMode) {
      ScheduleCurrentTask();
      task.m_launch = false;
      ResetArmed();
      return;
    }
    task.LaunchFile(task.m_launchPath);
    if (ExitAfterLaunchOn()) {
      Destroy();
      return;
    }
    if (AlarmExtraOn()) {
      RingAlarm();
      return;
    }
    task.m_launch = false;
    ResetArmed();
    if (m_fromTaskFile)
      EndTaskFileRun(false);
  } else if (task.m_monitorOff) {
    if (m_scheduleMode) {
      ScheduleCurrentTask();
      task.m_monitorOff = false;
      ResetArmed();
      return;
    }
    if (task.m_monitorWakeUp) {
      if (task.MonitorOff()) {
        m_monitorWakeTimer.Start(1000);
        return;
      }
      task.m_monitorOff = false;
      ResetArmed();
    } else {
      ResetArmed();
      task.MonitorOff();
      LaunchExtra();
      if (AlarmExtraOn()) {
        RingAlarm();
        return;
      }
      task.m_monitorOff = false;
    }
    if (m_fromTaskFile)
      EndTaskFileRun(false);
  } else if (task.m_lock) {
    if (m_scheduleMode) {
      ScheduleCurrentTask();
      task.m_lock = false;
      ResetArmed();
      return;
    }
    ResetArmed();
    LaunchExtra();
    if (!task.PowerAction(7))
      LogError(10611, kUnexpected, false);
    if (AlarmExtraOn()) {
      RingAlarm();
      return;
    }
    task.m_lock = false;
    if (m_fromTaskFile)
      EndTaskFileRun(true);
  } else {
    ExecutePowerOrCleanup();
  }
}

void CDFrame::ExecutePowerOrCleanup() {
  Task& task = m_task;
  if (m_scheduleMode) {
    ResetArmed();
    ScheduleCurrentTask();
    Clear(task, kIssuedFlags);
    return;
  }
  const bool suspend = task.m_standby || task.m_hibernate;
  const bool wakeUp = m_fromTaskFile ? task.m_systemWakeUp : Extras().WakeupPageOn();
  if (suspend && LaunchExtraOn() && wakeUp && !task.m_launchPath.empty())
    task.m_launchAfterWakeUp = true;
  if (task.m_cleanup) {
    LaunchExtra();
    if (ExitAfterLaunchOn()) {
      Destroy();
      return;
    }
  }
  if (AlarmExtraOn() && !suspend) {
    // The alarm tick carries out the action and then rings.
    RingAlarm();
    return;
  }
  ResetArmed();
  ExecuteAction();
  Clear(task, kIssuedFlags);
  if (!m_fromTaskFile)
    return;
  // After a suspend with something to do on waking, the run waits for it.
  if (suspend && (task.m_launchAfterWakeUp || m_alarmAfterWakeUp))
    return;
  EndTaskFileRun(false);
}

void CDFrame::ExecuteAction() {
  if (m_running) {
    LogError(10604, kUnexpected, false);
    return;
  }
  ReleasePreventStandby();
  Task& task = m_task;
  const bool suspend = task.m_standby || task.m_hibernate;
  if (suspend) {
    task.m_suspendRequested = false;
    m_standbyBegan = EpochSeconds();
  }
  task.execute();
  if (suspend) {
    if (task.m_suspendRequested) {
      // Accepted: the machine must start going to sleep shortly.
      m_sleeping = false;
      m_suspendDeadline = CurrentClock().Monotonic() + kSuspendGrace;
      m_suspendWatchTimer.Start(1000);
    } else if (!wxTheApp->IsScheduledForDestruction(this)) {
      // The request itself was refused.
      task.m_suspendRequested = true;
      OnSuspendRefused();
    }
  }
  if (m_startButton->IsEnabled())
    m_startButton->SetFocus();
}

void CDFrame::ScheduleCurrentTask() {
  m_tasksRefreshSuspended = true;
  // No name is asked for yet: the moment of saving names the task.
  const wxDateTime now(static_cast<time_t>(EpochSeconds()));
  SaveTaskFile(now.Format("Task_%Y%m%d_%H%M%S"));
  LogError(kScheduleRegisterFailed, "Add Task to WTS failed", false);
  m_tasksRefreshSuspended = false;
}

// ---- The alarm -------------------------------------------------------------

void CDFrame::OnAlarmTick(wxTimerEvent&) {
  Task& task = m_task;
  if (!m_alarmVolumeSet) {
    double level = m_fromTaskFile ? m_fileState.m_fileAlarmVolume : Extras().AlarmVolume() / 100.0;
    if (level < 0.0 || level > 1.0)
      level = 0.5;
    os::audio::SetMasterVolume(level);
    m_alarmVolumeSet = true;
  }
  const bool playing = task.m_customTone ? task.m_customAlarmPlaying : task.m_defaultAlarmPlaying;
  if (!playing) {
    const bool powerAction = Any(task, kPowerFlags);
    task.execute();
    // A power action armed with the alarm is issued once, not every second.
    if (powerAction)
      Clear(task, kPowerFlags);
  }
  if (m_alarmSecondsLeft > 0) {
    m_running = true;
    --m_alarmSecondsLeft;
    RefreshCountdown();
    return;
  }
  FinishAlarm();
}

void CDFrame::FinishAlarm() {
  Task& task = m_task;
  m_alarmTimer.Stop();
  m_alarmVolumeSet = false;
  if (AlarmPageSwitchedOn())
    Clear(task, kAlarmExtraFlags);
  task.StopAlarm();
  m_running = false;
  m_actionCode = 0;
  task.m_alarm = false;
  RefreshCountdown();
  if (m_fromTaskFile)
    EndTaskFileRun(true);
}

// ---- The monitor wake-up ---------------------------------------------------

void CDFrame::OnMonitorWakeTick(wxTimerEvent&) {
  Task& task = m_task;
  if (task.m_monitorWakeSeconds != 0) {
    if (task.MonitorPowerState() == kMonitorOn) {
      // Someone switched it on before its time: the task ends here.
      task.m_monitorOffPending = false;
      m_monitorWakeTimer.Stop();
      m_running = false;
      m_actionCode = 0;
      task.m_monitorOff = false;
      --task.m_monitorWakeSeconds;
      ShowMessage("Monitor was turned on before the specified Time by other proccess.", "Message", wxOK, this);
      RefreshCountdown();
      if (m_fromTaskFile)
        EndTaskFileRun(false);
      return;
    }
    task.m_monitorOffPending = true;
    --task.m_monitorWakeSeconds;
    RefreshCountdown();
    return;
  }
  m_monitorWakeTimer.Stop();
  if (task.m_monitorOffPending)
    task.execute();  // turns it on again
  m_actionCode = 0;
  RefreshCountdown();
  LaunchExtra();
  const bool alarm = AlarmExtraOn();
  if (alarm) {
    RingAlarm();
  } else {
    task.m_monitorOff = false;
    m_running = false;
    m_actionCode = 0;
    RefreshCountdown();
  }
  task.m_monitorOffPending = false;
  if (m_fromTaskFile) {
    if (!alarm)
      EndTaskFileRun(false);
    return;
  }
  StartAfterWakeUpThread();
}
