// The countdown engine: validates and arms a task, counts down to its
// deadline, shows the time left and hands over at zero.
#include <algorithm>
#include <climits>
#include <cstdint>

#include <wx/checkbox.h>
#include <wx/choicebk.h>
#include <wx/datectrl.h>
#include <wx/filefn.h>

#include "app/clock.h"
#include "app/message_box.h"
#include "os/power.h"
#include "ui/cd_controls.h"
#include "ui/cd_frame.h"
#include "ui/countdown_format.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// A tick this much early still counts as on its second, so timer jitter
// neither holds the display back nor delays the action by a whole second.
constexpr milliseconds kTickSlack{250};

// Task-choice indexes with a meaning of their own here.
constexpr int kStandbyIndex = 2;
constexpr int kHibernateIndex = 3;
constexpr int kAlarmIndex = 5;
constexpr int kMonitorIndex = 6;
constexpr int kCleanupIndex = 7;
constexpr int kLockIndex = 8;
constexpr int kLaunchIndex = 9;

constexpr int kCleanupCode = kCleanupIndex + 1;

void Inform(const wxString& text, const wxString& caption, wxWindow* parent, long icon = 0) {
  ShowMessage(text, caption, wxOK | icon, parent);
}

std::uint32_t ClampSeconds(std::int64_t value) {
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(value, 0, UINT32_MAX));
}

wxDateTime NowToTheSecond() {
  return wxDateTime(std::chrono::system_clock::to_time_t(CurrentClock().Now()));
}

}  // namespace

// ---- Start ----------------------------------------------------------------

void CDFrame::OnStartTimer(wxCommandEvent&) {
  m_startButton->Disable();
  if (m_taskChoice->GetSelection() == wxNOT_FOUND) {
    m_remainingSeconds = 0;
    Inform("Pleas select a Task first.", "Info", this);
    m_taskChoice->SetFocus();
  } else {
    if (m_repeatedCheck->GetValue() && m_repeatedCheck->IsEnabled()) {
      const bool weekly = m_repeatBook->GetSelection() == 1;
      const bool anyDay =
          std::any_of(m_weekDays.begin(), m_weekDays.end(), [](wxCheckBox* day) { return day->GetValue(); });
      if (weekly && !anyDay) {
        m_remainingSeconds = 0;
        m_scheduleMode = false;
        Inform("Pleas select execution day.", "Info", this);
      } else {
        // A schedule request counts one second, then is saved and registered.
        m_remainingSeconds = 1;
        m_scheduleMode = true;
      }
    } else {
      m_remainingSeconds = ComputeCountdown();
      m_scheduleMode = false;
    }
    // The start condition is checked first: a program that is gone refuses
    // the start before anything is armed.
    if (m_remainingSeconds != 0 && TakeTrigger(!m_scheduleMode) && PrepareAction()) {
      if (m_actionCode != kCleanupCode) {
        if (m_extrasConfigured) {
          CollectCleanupSelection();
          if (AlarmPageOn())
            TakeAlarmSettings();
        }
        m_task.m_fileLaunched = false;
        m_progressRangePending = true;
      } else {
        CollectCleanupSelection();
        if (!m_cleanupSelected) {
          Inform("You have selected nothing to clean up!", "Message", this);
          m_running = false;
          m_actionCode = 0;
          m_task.m_cleanup = false;
          StopWaiting();
          m_startButton->Enable();
          m_configureButton->SetFocus();
          return;
        }
        m_progressRangePending = true;
        if (AlarmPageOn())
          TakeAlarmSettings();
      }
      HoldPreventStandby();
      if (m_scheduleMode)
        ArmCountdown(false);
      else
        StartCountingOrWait(m_radioAbsolute->GetValue());
      return;
    }
  }
  // Nothing was armed: nothing to watch either.
  StopWaiting();
  if (!m_running)
    m_startButton->Enable();
}

wxDateTime CDFrame::AbsoluteTarget() const {
  wxDateTime target = m_datePicker->GetValue();
  target.ResetTime();
  target.SetHour(static_cast<wxDateTime::wxDateTime_t>(m_spinHoursAbsolute->GetValue()));
  target.SetMinute(static_cast<wxDateTime::wxDateTime_t>(m_spinMinutesAbsolute->GetValue()));
  target.SetSecond(static_cast<wxDateTime::wxDateTime_t>(m_spinSecondsAbsolute->GetValue()));
  return target;
}

std::uint32_t CDFrame::ComputeCountdown() {
  const ExtrasPages& extras = Extras();
  if (extras.ReminderEnabled()) {
    const int lead = extras.ReminderMinutes() * 60 + extras.ReminderSeconds();
    m_reminderLead = lead > 0 ? lead : 20;
  }
  m_relativeMode = !m_radioAbsolute->GetValue();
  if (m_relativeMode) {
    const std::uint32_t total =
        (static_cast<std::uint32_t>(m_spinHours->GetValue()) * 60 + static_cast<std::uint32_t>(m_spinMinutes->GetValue())) *
            60 +
        static_cast<std::uint32_t>(m_spinSeconds->GetValue());
    if (total == 0) {
      Inform("Please set the Time!!", "Info", this);
      return 0;
    }
    // The first tick comes a second after the start: the display starts at
    // the entered time and the action follows one second after 00:00:00.
    return total + 1;
  }
  m_now = NowToTheSecond();
  m_target = AbsoluteTarget();
  if (m_target.IsEarlierThan(m_now)) {
    Inform("Invalid Time! Please set the Time to a value in the future. ", "Info", this);
    m_panelAbsolute->SetFocus();
    RefreshCountdown();
    return 0;
  }
  m_diffMillis = m_target.Subtract(m_now).GetMilliseconds().GetValue();
  return ClampSeconds(m_diffMillis / 1000);
}

bool CDFrame::PrepareAction() {
  m_task.m_force = m_forceCheck->GetValue();
  m_task.m_preventStandby = m_preventStandbyCheck->GetValue();
  m_settings.m_silentMode = m_silentModeCheck->GetValue();
  m_settings.m_logDeletedFiles = m_logDeletedCheck->GetValue();
  m_running = true;
  return PrepareActionIndex(m_taskChoice->GetSelection(), false);
}

bool CDFrame::PrepareActionIndex(int index, bool fromFile) {
  // What followed an earlier wake-up belongs to that task alone.
  ClearAfterWakeUp();
  switch (index) {
    case 0:
    case 1:
    case 4:
    case kCleanupIndex:
      break;
    case kStandbyIndex:
    case kHibernateIndex:
      if (fromFile) {
        if (!m_fileState.m_fileWakeUp)
          m_task.m_systemWakeUp = false;
      } else if (Extras().WakeupPageOn()) {
        if (!PrepareWakeUp(false)) {
          RejectAction(index);
          return false;
        }
        m_afterWakeAlarmSeconds = m_task.m_alarmSeconds;
      } else {
        m_task.m_systemWakeUp = false;
      }
      break;
    case kAlarmIndex:
      // A task file brings its own alarm length and sound.
      if (!fromFile)
        TakeAlarmSettings();
      break;
    case kMonitorIndex:
      if (!m_task.MonitorSupported()) {
        RejectAction(index);
        return false;
      }
      if (fromFile) {
        m_task.m_monitorWakeUp = m_fileState.m_fileMonitorWakeUp;
      } else if (Extras().MonitorPageOn()) {
        if (!PrepareWakeUp(true)) {
          RejectAction(index);
          return false;
        }
      } else {
        m_task.m_monitorWakeUp = false;
      }
      break;
    case kLockIndex:
      if (m_task.m_win9xFamily) {
        Inform("Available only on Windows 2000 or higher!", "Message", this);
        RejectAction(index);
        return false;
      }
      break;
    case kLaunchIndex:
      if (m_task.m_launchPath.empty()) {
        Inform("Please Select the File that will be launched.", "Message", this);
        RejectAction(index);
        return false;
      }
      break;
    default:
      Inform("Invalid command! Please select needed Action", "Information", this, wxICON_INFORMATION);
      RejectAction(index);
      return false;
  }
  m_task.ArmAction(index);
  m_actionCode = index + 1;
  return true;
}

bool CDFrame::PrepareWakeUp(bool monitor) {
  ExtrasPages::WakeUpRequest request;
  request.mainAbsolute = m_radioAbsolute->GetValue();
  request.mainTarget = AbsoluteTarget();
  request.countdownSeconds = m_remainingSeconds;
  bool valid = false;
  const ExtrasPages& extras = Extras();
  std::int64_t delay = monitor ? extras.MonitorWakeUpDelay(request, valid) : extras.SystemWakeUpDelay(request, valid);
  (monitor ? m_task.m_monitorWakeUp : m_task.m_systemWakeUp) = valid;
  if (!valid)
    return false;
  if (monitor ? extras.MonitorAbsolute() : extras.WakeupAbsolute()) {
    // An absolute wake-up counts from now; make it count from zero, and
    // leave the system at least 30 s after the action.
    if (delay - m_remainingSeconds < 30)
      delay += 30;
    delay -= m_remainingSeconds;
  }
  if (monitor)
    m_task.m_monitorWakeSeconds = static_cast<std::int32_t>(std::clamp<std::int64_t>(delay, 0, INT32_MAX));
  else
    m_task.m_wakeUpSeconds = delay;
  return true;
}

void CDFrame::RejectAction(int index) {
  m_actionCode = 0;
  m_running = false;
  if (index == kLaunchIndex)
    m_configureButton->SetFocus();
  else
    m_taskChoice->SetFocus();
}

void CDFrame::TakeAlarmSettings() {
  const ExtrasPages& extras = Extras();
  if (extras.AlarmDefaultPlayTime()) {
    m_task.m_alarmSeconds = 20;
  } else {
    const int length = extras.AlarmHours() * 3600 + extras.AlarmMinutes() * 60 + extras.AlarmSeconds();
    // 0:0:0 keeps the length chosen before.
    if (length > 0)
      m_task.m_alarmSeconds = length;
  }
  if (extras.AlarmDefaultSound()) {
    m_task.m_customTone = false;
    return;
  }
  const wxString path = extras.AlarmSoundPath();
  if (wxFileExists(path) && path.EndsWith(".wav")) {
    m_task.m_customTone = true;
    m_task.m_tonePath = path;
  }
}

void CDFrame::CollectCleanupSelection() {
  m_cleanupSelection = CleanupSelection();
  m_cleanupSelected = Extras().CollectCleanupSelection(m_cleanupSelection);
  m_cleanupSelection.anySelected = m_cleanupSelected;
}

void CDFrame::HoldPreventStandby() {
  if (!m_task.m_preventStandby || !m_task.m_vistaOrLater)
    return;
  m_task.m_executionStateHeld = os::power::HoldSleepInhibitor("A Duskwatch countdown is running");
  m_task.m_preventStandby = false;
}

void CDFrame::ReleasePreventStandby() {
  if (!m_task.m_executionStateHeld)
    return;
  os::power::ReleaseSleepInhibitor();
  m_task.m_executionStateHeld = false;
}

// ---- Task-file start -------------------------------------------------------

void CDFrame::StartLoadedTask() {
  m_fromTaskFile = true;
  m_scheduleMode = false;
  // Two seconds, or enough for the reminder to show at once.
  m_remainingSeconds = static_cast<std::uint32_t>(
      m_fileState.m_fileReminderOn ? std::max(0, m_fileState.m_fileReminderLead) + 2 : 2);
  m_settings.m_silentMode = m_silentModeCheck->GetValue();
  m_settings.m_logDeletedFiles = m_logDeletedCheck->GetValue();
  m_running = true;
  // A refused action still counts down; at zero nothing is executed and the
  // run ends.
  PrepareActionIndex(m_fileState.m_fileTaskIndex, true);
  if (m_fileState.m_fileTaskIndex != kCleanupIndex)
    m_task.m_fileLaunched = false;
  m_cleanupSelected = m_cleanupSelection.anySelected;
  m_progressRangePending = true;
  HoldPreventStandby();
  if (!StartFileTrigger())
    return;
  StartCountingOrWait(false);
}

// ---- Counting down ---------------------------------------------------------

void CDFrame::ArmCountdown(bool wallClock) {
  m_deadlineOnWallClock = wallClock;
  if (wallClock)
    m_deadlineWall = std::chrono::system_clock::from_time_t(m_target.GetTicks());
  else
    m_deadlineMonotonic = CurrentClock().Monotonic() + seconds(m_remainingSeconds);
  m_reminderPassed = false;
  m_countdownTimer.Start(1000);
}

std::uint32_t CDFrame::SecondsToDeadline() const {
  const Clock& clock = CurrentClock();
  const auto left = std::chrono::duration_cast<milliseconds>(
                        m_deadlineOnWallClock ? m_deadlineWall - clock.Now() : m_deadlineMonotonic - clock.Monotonic()) -
                    kTickSlack;
  if (left.count() <= 0)
    return 0;
  return ClampSeconds((left.count() + 999) / 1000);
}

void CDFrame::OnCountdownTick(wxTimerEvent&) {
  const std::uint32_t previous = m_remainingSeconds;
  m_remainingSeconds = SecondsToDeadline();
  if (!m_scheduleMode)
    UpdateReminder(previous);
  if (m_remainingSeconds != 0) {
    RefreshCountdown();
    return;
  }
  HideReminder();
  m_countdownTimer.Stop();
  if (m_task.m_standby || m_task.m_hibernate)
    m_task.m_activeWakeUpSeconds = m_task.m_wakeUpSeconds;
  RefreshCountdown();
  if (!m_scheduleMode || m_fromTaskFile)
    StartCleanup();
  m_executeTimer.Start(1000);
}

void CDFrame::UpdateReminder(std::uint32_t previousSeconds) {
  const bool enabled = m_fromTaskFile ? m_fileState.m_fileReminderOn : Extras().ReminderEnabled();
  const auto lead = static_cast<std::uint32_t>(
      std::max(0, m_fromTaskFile ? m_fileState.m_fileReminderLead : m_reminderLead));
  // Due once, when the time left reaches the lead; a countdown shorter than
  // the lead never shows it.
  if (enabled && !m_reminderPassed && previousSeconds > lead && m_remainingSeconds <= lead &&
      m_remainingSeconds > 0) {
    m_reminderPassed = true;
    m_reminderShown = true;
    ShowReminderWindow();
  }
  if (!m_reminderShown)
    return;
  m_reminderMinutes = static_cast<int>((m_remainingSeconds % 3600) / 60);
  m_reminderSeconds = static_cast<int>(m_remainingSeconds % 60);
  m_reminderAction = m_fromTaskFile ? m_fileState.m_fileTaskIndex : m_taskChoice->GetSelection();
  m_reminderText = m_fromTaskFile ? m_fileState.m_fileReminderText : Extras().ReminderText();
  UpdateReminderWindow();
}

void CDFrame::HideReminder() {
  if (!m_reminderShown)
    return;
  m_reminderMinutes = 0;
  m_reminderSeconds = 0;
  m_reminderAction = 99;
  m_reminderShown = false;
  HideReminderWindow();
}

void CDFrame::RefreshCountdown() {
  m_relativeMode = m_radioRelative->GetValue();
  const std::uint32_t left = m_remainingSeconds;
  m_daysLeft = m_relativeMode ? 0 : static_cast<int>(left / 86400);
  m_hoursLeft = static_cast<int>(m_relativeMode ? left / 3600 : (left % 86400) / 3600);
  m_minutesLeft = static_cast<int>((left % 3600) / 60);
  m_secondsLeft = static_cast<int>(left % 60);
  if (m_minimised || m_trayShown)
    UpdateTrayStatus();

  wxWindow* inputs[] = {m_panelRelative, m_panelAbsolute, m_panelTask};
  if (m_running) {
    if (m_progressRangePending) {
      m_progressBar->SetRange(static_cast<int>(std::clamp<std::uint32_t>(left, 1, INT_MAX)));
      m_progressRangePending = false;
    }
    if (m_waiting) {
      m_progressBar->SetValue(0);
      m_countdownText->SetLabel(WaitingText());
    } else {
      // The bar empties as time runs out; a wall clock set back must not
      // overfill it.
      m_progressBar->SetValue(static_cast<int>(std::min<std::uint32_t>(left, m_progressBar->GetRange())));
      m_countdownText->SetLabel(FormatRemaining(left, m_relativeMode));
    }
    for (wxWindow* panel : inputs)
      panel->Disable();
    m_startButton->Disable();
    m_stopButton->Enable();
    m_stopButton->SetFocus();
  } else {
    m_progressBar->SetValue(0);
    m_countdownText->SetLabel("00:00:00");
    for (wxWindow* panel : inputs)
      panel->Enable();
    const bool absolute = !m_relativeMode;
    for (wxWindow* spin : {m_spinHours, m_spinMinutes, m_spinSeconds})
      spin->Enable(!absolute);
    for (wxWindow* control : {static_cast<wxWindow*>(m_datePicker), static_cast<wxWindow*>(m_spinHoursAbsolute),
                              static_cast<wxWindow*>(m_spinMinutesAbsolute),
                              static_cast<wxWindow*>(m_spinSecondsAbsolute), static_cast<wxWindow*>(m_repeatedCheck)})
      control->Enable(absolute);
    m_repeatBook->Enable(absolute && m_repeatedCheck->GetValue());
    EnableTriggerControls(true);
    m_startButton->Enable();
    m_stopButton->Disable();
  }
  Layout();
}

void CDFrame::UpdateTrayStatus() {
  auto tip = TrayToolTip(m_actionCode, m_remainingSeconds, m_relativeMode);
  if (!tip)
    return;
  if (m_waiting && m_actionCode != 0)
    tip = WaitingToolTip(m_task.m_trigger, static_cast<int>(m_idleCounted / 60000u));
  m_trayToolTip = *tip;
  m_trayIconCode = m_actionCode;
  m_trayIcon = m_statusIcons[static_cast<std::size_t>(m_actionCode)];
  ShowTrayStatus();
}

// ---- Stop ------------------------------------------------------------------

void CDFrame::OnStopTimer(wxCommandEvent&) { StopTask(); }

void CDFrame::StopTask() {
  HideReminder();
  const bool alarmPlaying = m_task.m_defaultAlarmPlaying || m_task.m_customAlarmPlaying;
  const bool monitorPending = m_task.m_monitorOffPending || m_monitorWakeTimer.IsRunning();
  if (!m_running && !alarmPlaying && !monitorPending) {
    LogError(10592, "Unexpected Error occured.", false);
    return;
  }
  for (wxTimer* timer : {&m_countdownTimer, &m_alarmTimer, &m_monitorWakeTimer, &m_executeTimer})
    timer->Stop();
  StopWaiting();
  AbandonWakeUp();
  m_running = false;
  m_actionCode = 0;
  m_alarmVolumeSet = false;
  m_task.ClearActions();
  if (alarmPlaying)
    m_task.StopAlarm();
  m_task.m_defaultAlarmPlaying = false;
  m_task.m_customAlarmPlaying = false;
  m_remainingSeconds = 0;
  // Nothing runs any more: other programs may suspend the machine again.
  ReleasePreventStandby();
  RefreshCountdown();
  if (m_startButton->IsEnabled())
    m_startButton->SetFocus();
}

// ---- Clean-up and the hand-over at zero ------------------------------------

void CDFrame::OnFullCleanupNow(wxCommandEvent&) { StartFullCleanup(); }

void CDFrame::StartFullCleanup() {
  // One clean-up at a time: the running one ends first.
  if (IsCleanupRunning() || m_fullCleanup)
    return;
  m_selectionBeforeFullCleanup = m_cleanupSelection;
  m_cleanupSelection.SelectAll(true);
  m_fullCleanup = true;
  m_settings.m_silentMode = m_silentModeCheck->GetValue();
  m_settings.m_logDeletedFiles = m_logDeletedCheck->GetValue();
  m_running = true;
  m_progressRangePending = true;
  RefreshCountdown();
  StartCleanup();
}

void CDFrame::OnFullCleanupTick(wxTimerEvent&) {
  if (IsCleanupRunning())
    return;
  m_fullCleanupTimer.Stop();
  m_fullCleanup = false;
  m_cleanupSelection = m_selectionBeforeFullCleanup;
  m_running = false;
  m_actionCode = 0;
  RefreshCountdown();
  for (bool* flag : {&m_task.m_shutdown, &m_task.m_restart, &m_task.m_standby, &m_task.m_hibernate,
                     &m_task.m_logoff, &m_task.m_cleanup, &m_task.m_launch, &m_task.m_lock})
    *flag = false;
}

void CDFrame::ReturnToIdle() {
  m_running = false;
  m_actionCode = 0;
  m_task.ClearActions();
  RefreshCountdown();
}

// ---- Saved tasks -----------------------------------------------------------

void CDFrame::OnTasksRefreshTick(wxTimerEvent&) {
  if (m_tasksRefreshSuspended || !m_tasksRefreshOpen)
    return;
  m_tasksRefreshOpen = false;
  if (m_refreshSavedTasks)
    m_refreshSavedTasks();
  m_tasksRefreshOpen = true;
}
