#pragma once
// Fixed identifiers of the main window's controls, menus and timers.
// Keyboard navigation and the tests rely on these numbers.

namespace ids {

enum : int {
  kFrame = 6999,
  kPanelRelative = 7999,
  kPanelAbsolute = 8000,
  kPanelAction = 8001,
  kPanelProgress = 8002,
  kPanelTask = 8003,
  kSpinHours = 8999,
  kSpinMinutes = 9000,
  kSpinSeconds = 9001,
  kSpinHoursAbsolute = 9002,
  kSpinMinutesAbsolute = 9003,
  kSpinSecondsAbsolute = 9004,
  kTaskChoice = 9011,
  kRadioRelative = 9012,
  kRadioAbsolute = 9013,
  kDatePicker = 9014,
  kProgressBar = 9016,
  kAtLabel = 9017,
  kCountdownText = 9018,
  kTaskLabel = 9019,
  kLineRelative = 9020,
  kLineAbsolute = 9021,
  kLineColumns = 9022,
  kStartButton = 9024,
  kStopButton = 9025,
  kConfigureButton = 9026,
  kShutdownNow = 9027,  // 9027..9033: the now-commands with codes 1..7
  kRestartNow = 9028,
  kStandbyNow = 9029,
  kHibernateNow = 9030,
  kLogOffNow = 9031,
  kMonitorOffNow = 9032,
  kLockNow = 9033,
  kFullCleanupNow = 9034,
  kForceCheck = 9035,
  kPreventStandbyCheck = 9037,
  kSilentModeCheck = 9038,
  kLogDeletedCheck = 9039,
  kMenuExit = 9040,
  kMenuCloseBrowsers = 9041,
  kMenuContextCommands = 9042,
  kMenuWarnings = 9043,
  kMenuStartup = 9044,
  kMenuDisableErrorLog = 9045,
  kMenuIgnoreBrowserVersion = 9046,
  kMenuManual = 9047,
  kMenuAbout = 9048,
  kToolBar = 9049,
  kCountdownTimer = 9051,
  kAlarmTimer = 9052,
  kMonitorWakeTimer = 9053,
  kResumeTimer = 9054,
  kExecuteTimer = 9055,
  kFullCleanupTimer = 9056,
  kTasksRefreshTimer = 9057,
  kSuspendWatchTimer = 9058,
  kTriggerTimer = 9059,
  // The start condition's row; outside the Tab range, so the toolkit steers.
  kTriggerNow = 9061,
  kTriggerProgram = 9062,
  kTriggerIdle = 9063,
  kProgramChoice = 9064,
  kProgramRefresh = 9065,
  kSpinIdleMinutes = 9066,
  kCleanupEvent = 9111,
  kRepeatedCheck = 9112,
  kSavedTasksTool = 9117,
};

// Tab navigation only steers between windows whose id lies in this range.
constexpr int kNavigationFirst = 6999;
constexpr int kNavigationLast = 9060;

}  // namespace ids
