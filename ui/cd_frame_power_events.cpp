// The system's sleep and resume notifications, and what follows a wake-up.
//
// What logind tells us and what we do with it:
//   other programs' suspends  refused by logind itself while a prevented
//                   countdown holds its "block" sleep inhibitor
//                   (countdown.cpp); no signal reaches us.
//   own suspend refused  the logind call failed, or it was accepted but
//                   PrepareForSleep(true) did not arrive within kSuspendGrace.
//                   With m_suspendRequested set: "Suspention was denied !";
//                   the wake-up timer is cancelled either way.
//   sleeping        PrepareForSleep(true): only now can our timer wake us.
//   resumed         PrepareForSleep(false).
#include <wx/app.h>

#include "app/clock.h"
#include "app/message_box.h"
#include "os/power.h"
#include "ui/cd_frame.h"

void CDFrame::SubscribePowerEvents() {
  if (m_sleepSubscription != 0)
    os::power::UnsubscribeSleepSignal(m_sleepSubscription);
  // Delivered on the GUI thread; the destructor unsubscribes.
  m_sleepSubscription = os::power::SubscribeSleepSignal([this](bool goingToSleep) { OnSleepSignal(goingToSleep); });
}

void CDFrame::OnSleepSignal(bool goingToSleep) {
  TriggerSleepSignal(goingToSleep);
  m_sleeping = goingToSleep;
  m_suspendWatchTimer.Stop();
  if (goingToSleep) {
    m_sleepBegan = true;
    return;
  }
  Task& task = m_task;
  task.m_suspendRequested = false;
  if (task.m_systemWakeUp) {
    const std::int64_t slept = EpochSeconds() - m_standbyBegan;
    if (slept < task.m_activeWakeUpSeconds) {
      // Woken before our own timer: it must not fire later.
      m_woken = true;
      task.m_resumedByOwnTimer = false;
      m_resumeTimer.Start(1000);
    } else {
      // Our timer can only have ended a sleep that began.
      task.m_resumedByOwnTimer = m_sleepBegan;
    }
    task.m_systemWakeUp = false;
  }
}

void CDFrame::OnSuspendWatchTick(wxTimerEvent&) {
  if (m_sleeping) {
    m_suspendWatchTimer.Stop();
    return;
  }
  if (CurrentClock().Monotonic() < m_suspendDeadline)
    return;
  m_suspendWatchTimer.Stop();
  OnSuspendRefused();
}

void CDFrame::OnSuspendRefused() {
  // No sleep, so no wake-up: the timer must not fire into a running session.
  AbandonWakeUp();
  if (m_task.m_suspendRequested) {
    m_task.m_suspendRequested = false;
    ShowMessage("Suspention was denied !", "Message", wxOK, this);
  }
  // A task-file run that waited for the after-wake-up actions is over.
  if (m_fromTaskFile)
    EndTaskFileRun(false);
}

void CDFrame::AbandonWakeUp() {
  if (m_cancelWakeUpTimer) {
    const int failure = m_cancelWakeUpTimer();
    if (failure != 0)
      LogError(failure, "Unexpected Error occured.", false);
  }
  m_task.m_systemWakeUp = false;
  ClearAfterWakeUp();
}

void CDFrame::ClearAfterWakeUp() {
  m_task.m_launchAfterWakeUp = false;
  m_task.m_resumedByOwnTimer = false;
  m_alarmAfterWakeUp = false;
  m_sleepBegan = false;
}

void CDFrame::OnResumeTick(wxTimerEvent&) {
  if (!m_woken)
    return;
  // Let the system settle after waking.
  CurrentClock().Sleep(std::chrono::milliseconds(1000));
  AbandonWakeUp();
  m_resumeTimer.Stop();
  m_woken = false;
  if (m_fromTaskFile)
    Close();
}

// ---- After a wake-up -------------------------------------------------------

void CDFrame::StartAfterWakeUpThread() {
  if (m_afterWakeThread.joinable())
    m_afterWakeThread.join();
  m_afterWakeStop = false;
  m_afterWakeThread = std::thread([this] { RunAfterWakeUpActions(); });
}

void CDFrame::RunAfterWakeUpActions() {
  Task& task = m_task;
  if (!task.m_resumedByOwnTimer)
    return;
  if (m_alarmAfterWakeUp && task.PlayAlarm()) {
    CallAfter([this] {
      m_running = true;
      RefreshCountdown();
    });
    const bool custom = task.m_customTone && !task.m_tonePath.empty();
    for (std::int32_t left = m_afterWakeAlarmSeconds; left > 0 && !m_afterWakeStop; --left) {
      CurrentClock().Sleep(std::chrono::milliseconds(1000));
      const bool playing = custom ? task.m_customAlarm && task.m_customAlarm->IsPlaying() : task.m_alarmSound.IsPlaying();
      if (!playing)
        break;
    }
    task.StopAlarm();
    CallAfter([this] {
      m_running = false;
      m_actionCode = 0;
      RefreshCountdown();
    });
  }
  if (task.m_launchAfterWakeUp)
    CallAfter([this] { m_task.LaunchFile(m_task.m_launchPath); });
  // A task-file run waited for these: it is over now.
  CallAfter([this] {
    // Done once: a later stand-by or monitor task must not repeat them.
    ClearAfterWakeUp();
    ReleasePreventStandby();
    if (m_fromTaskFile)
      EndTaskFileRun(false);
  });
}
