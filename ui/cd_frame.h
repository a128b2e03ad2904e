#pragma once
// The main window: owns the current task, the countdown engine and its timers.
// Its methods are split by concern: cd_frame.cpp (life cycle),
// cd_frame_layout.cpp (controls, menus, tool bar), cd_frame_handlers.cpp
// (mode, choice, navigation, menus, now-buttons), countdown.cpp (engine),
// cd_frame_execute.cpp (what happens at zero), cd_frame_power_events.cpp
// (sleep and resume), cd_frame_tray.cpp (tray icon and reminder window) and
// cd_frame_cleanup.cpp (the clean-up runner).
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include <wx/datetime.h>
#include <wx/frame.h>
#include <wx/icon.h>
#include <wx/timer.h>

#include "app/cleanup_selection.h"
#include "app/error_log.h"
#include "app/extras_pages.h"
#include "app/main_window.h"
#include "app/manual.h"
#include "app/settings.h"
#include "app/task.h"
#include "app/task_file.h"
#include "app/task_host.h"
#include "cleanup/cleanup_events.h"
#include "cleanup/cleanup_state.h"
#include "os/idle.h"
#include "os/process_watch.h"
#include "os/processes.h"
#include "ui/cd_reminder.h"
#include "ui/cd_systray.h"

class CDAuiMainFrame;
class CDButton;
class CDDialog;
class CDChoice;
class CDMenu;
class CDPanel;
class CDProgBar;
class CDRadioButton;
class CDSpinCtrl;
class CDStaticText;
class CDToolBar;
class wxBoxSizer;
class wxButton;
class wxCheckBox;
class wxChoice;
class wxChoicebook;
class wxDatePickerCtrl;
class wxIconizeEvent;
class wxProgressDialog;
class wxNavigationKeyEvent;
class wxRadioButton;
class wxSpinCtrl;
class wxStaticText;

class CDFrame : public wxFrame, public MainWindow, public TaskHost, public TrayHost, public ReminderHost,
                public cleanup::CleanupEventTarget {
 public:
  static constexpr long kStyle = wxCAPTION | wxRAISED_BORDER | wxCLIP_CHILDREN | wxWANTS_CHARS | wxCLOSE_BOX |
                                 wxSYSTEM_MENU | wxMINIMIZE_BOX;

  CDFrame(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& position, const wxSize& size,
          long style = kStyle, const wxString& name = "nCDFrame");
  ~CDFrame() override;

  // MainWindow
  wxFrame* Frame() override { return this; }
  Task& CurrentTask() override { return m_task; }
  CleanupSelection& Selection() override { return m_cleanupSelection; }
  TaskFileState& FileState() override { return m_fileState; }
  void SetFromTaskFile(bool fromTaskFile) override { m_fromTaskFile = fromTaskFile; }
  void SetIe7OrLater(bool installed) override { m_ie7OrLater = installed; }
  void DiscoverBrowsers() override;
  void BuildControls() override;
  void StartLoadedTask() override;
  void StartInteractive() override;

  // TaskHost
  void LogError(int code, const wxString& message, bool showBox) override;
  bool IsTaskFileRun() const override { return m_fromTaskFile; }
  bool FileAlarmExtra() const override { return m_fileState.m_fileAlarmExtra; }
  bool AlarmPageOn() const override { return Extras().AlarmPageOn() && Extras().AlarmPageEnabled(); }
  bool IgnoreBrowserVersion() const override { return m_settings.m_ignoreBrowserVersion; }
  void CloseMainWindow() override { Close(); }

  // TrayHost (cd_frame_tray.cpp).
  bool IsArmed() const override { return m_running; }
  bool ShowWarnings() const override { return m_settings.m_showWarnings; }
  bool RunNow(int code) override;
  void RestoreFromTray() override;
  void TrayIconFailed(int code, const wxString& message) override;
  void FullCleanupNow() override { StartFullCleanup(); }
  void ExitProgram() override { Close(true); }

  // ReminderHost (cd_frame_tray.cpp).
  void OnReminderStop() override;
  void OnReminderDismissed() override;

  // Writes the current task into the tasks folder (see SaveTaskFile).
  wxString SaveTaskFile(const wxString& name);
  const ExtrasPages& Extras() const { return m_extras ? *m_extras : m_noExtras; }
  // The extras window registers its pages here once it exists.
  void SetExtras(const ExtrasPages* extras) { m_extras = extras; }

  // Countdown engine (countdown.cpp).
  void OnStartTimer(wxCommandEvent& event);
  void OnStopTimer(wxCommandEvent& event);
  void OnFullCleanupNow(wxCommandEvent& event);
  void OnCountdownTick(wxTimerEvent& event);
  void OnFullCleanupTick(wxTimerEvent& event);
  void OnTasksRefreshTick(wxTimerEvent& event);
  std::uint32_t ComputeCountdown();
  bool PrepareAction();
  void RefreshCountdown();
  void UpdateTrayStatus();
  // Stops everything armed and returns to idle (the Stop button).
  void StopTask();
  // Arms a full clean-up now (the button and the tray menu).
  void StartFullCleanup();

  // End of the countdown (cd_frame_execute.cpp).
  void OnExecuteTick(wxTimerEvent& event);
  void OnAlarmTick(wxTimerEvent& event);
  void OnMonitorWakeTick(wxTimerEvent& event);
  // Performs the armed power action (releasing the inhibitor first).
  void ExecuteAction();
  // The save-and-register step of a repeated task at zero
  // (cd_frame_saved_tasks.cpp, like the saved-tasks view).
  void ScheduleCurrentTask();
  // Builds the saved-tasks list and shows its counts on the tool bar.
  void RefreshSavedTasks();

  // Start condition (cd_frame_trigger.cpp): the countdown waits until a
  // program ends or the computer has been idle long enough.
  void OnTriggerTick(wxTimerEvent& event);
  // Fills the program list with this user's running programs.
  void RefreshProgramList();
  // The trigger of the controls into the task; false (after telling the
  // user) when it cannot be watched. `watch`: open what it waits for.
  bool TakeTrigger(bool watch);
  // Waits for the task's trigger, or starts counting when there is none.
  void StartCountingOrWait(bool wallClock);
  // The text under the progress bar while waiting.
  wxString WaitingText() const;
  // Idle time that counts: input resets it, time asleep does not add to it.
  std::optional<std::uint64_t> CountedIdleMilliseconds();
  void StopWaiting();
  // A task file's program is the first running one of its name; none ends
  // the run without acting. False when the run ends.
  bool StartFileTrigger();
  void TriggerSleepSignal(bool goingToSleep);

  bool m_waiting = false;
  os::process_watch::Watch m_processWatch;
  std::unique_ptr<os::idle::Monitor> m_idleMonitor;
  // Why no idle source answers; empty when one does.
  std::string m_idleUnavailable;
  bool m_idleFailureLogged = false;
  std::uint64_t m_idleCounted = 0;       // ms, at the last tick
  std::uint64_t m_idleBeforeSleep = 0;   // ms counted when the system went to sleep
  std::optional<std::chrono::steady_clock::time_point> m_resumedAt;
  std::vector<os::processes::ProcessInfo> m_programs;  // as listed in m_programChoice

  // Power notifications (cd_frame_power_events.cpp).
  // (Re)subscribes to the system's sleep notifications; the constructor does
  // it once.
  void SubscribePowerEvents();
  // The system is about to sleep (true) or has resumed (false).
  void OnSleepSignal(bool goingToSleep);
  // Our own suspend request was refused (or never began): reported, and the
  // wake-up timer cancelled.
  void OnSuspendRefused();
  // Cancels the wake-up timer (logging a failure) and forgets what was to
  // follow the wake-up.
  void AbandonWakeUp();
  // Forgets the after-wake-up launch and alarm and whether our timer woke us.
  void ClearAfterWakeUp();
  void OnSuspendWatchTick(wxTimerEvent& event);
  void OnResumeTick(wxTimerEvent& event);
  // The alarm and launch after an own wake-up; runs on the calling thread and
  // reaches the window only through CallAfter.
  void RunAfterWakeUpActions();

  // Clean-up runner (cd_frame_cleanup.cpp).
  // Runs one clean-up of the current selection; returns once the worker runs.
  void StartCleanup();
  // The worker's events (identifier 9111).
  void OnCleanupEvent(wxCommandEvent& event);
  // Ends the running browsers whose items are selected.
  void CloseBrowsers();
  bool IsCleanupCancelled() { return m_cleanupState.IsCleanupCancelled(); }
  bool IsCleanupRunning() const { return m_cleanupState.CleanupRunning; }
  // CleanupEventTarget: queued, never sent (called from the worker).
  void PostCleanupEvent(int value) override;

  cleanup::CleanupState m_cleanupState;
  wxProgressDialog* m_progressDialog = nullptr;  // only while a clean-up with its dialog runs
  wxThread* m_worker = nullptr;                   // the last worker started; it deletes itself
  // Starts the worker for m_cleanupState; tests replace it. False when no
  // thread could be created or started.
  std::function<bool()> m_startWorker;

  // Task state.
  Task m_task;
  CleanupSelection m_cleanupSelection;
  TaskFileState m_fileState;
  ErrorLog m_errorLog;
  Settings m_settings;
  bool m_fromTaskFile = false;
  bool m_ie7OrLater = false;
  // Saved tasks counted by the saved-tasks view; none until it counted.
  std::optional<int> m_savedTaskCount;

  // Countdown state.
  std::uint32_t m_remainingSeconds = 0;
  bool m_running = false;
  int m_actionCode = 0;
  bool m_scheduleMode = false;
  bool m_progressRangePending = false;
  bool m_relativeMode = true;
  bool m_extrasConfigured = false;
  bool m_cleanupSelected = false;
  bool m_fullCleanup = false;
  bool m_alarmVolumeSet = false;
  std::int32_t m_alarmSecondsLeft = 0;  // seconds the ringing alarm still plays
  int m_daysLeft = 0;
  int m_hoursLeft = 0;
  int m_minutesLeft = 0;
  int m_secondsLeft = 0;
  wxDateTime m_now;
  wxDateTime m_target;
  std::int64_t m_diffMillis = 0;
  std::atomic<std::int32_t> m_afterWakeAlarmSeconds{0};  // alarm length kept for the alarm after a wake-up
  // Set by the wake-up timer's owner when it arms the timer: sound the alarm
  // after the machine woke by it.
  std::atomic<bool> m_alarmAfterWakeUp{false};
  // The system woke before its wake-up time (or the wake-up callback ran).
  std::atomic<bool> m_woken{false};
  // When the standby or hibernation was requested (epoch seconds).
  std::int64_t m_standbyBegan = 0;
  // Cancels the armed wake-up timer after an early resume; installed by the
  // wake-up timer's owner. Returns 0, or the code to log (10589 cancelling,
  // 10590 unregistering failed).
  std::function<int()> m_cancelWakeUpTimer;
  // An accepted own suspend must start sleeping within this time, or it
  // counts as refused.
  static constexpr std::chrono::seconds kSuspendGrace{10};
  std::chrono::steady_clock::time_point m_suspendDeadline{};
  bool m_sleeping = false;  // between PrepareForSleep(true) and (false)
  // PrepareForSleep(true) came since the wake-up timer was armed: only then
  // can the timer have woken the machine.
  std::atomic<bool> m_sleepBegan{false};
  unsigned m_sleepSubscription = 0;

  // The countdown runs to a deadline, so late ticks never delay the action:
  // the monotonic clock for durations, the wall clock for "at date and time".
  bool m_deadlineOnWallClock = false;
  std::chrono::steady_clock::time_point m_deadlineMonotonic{};
  std::chrono::system_clock::time_point m_deadlineWall{};

  // Reminder: the engine decides when it is due; the reminder window shows
  // these values while m_reminderShown is set.
  int m_reminderLead = 20;  // seconds
  bool m_reminderShown = false;
  bool m_reminderPassed = false;  // the lead was crossed in this countdown
  int m_reminderMinutes = 0;
  int m_reminderSeconds = 0;
  int m_reminderAction = 99;  // task-choice index shown in the heading; 99 = none
  wxString m_reminderText;
  CDReminder* m_reminder = nullptr;  // created when first due; destroyed with the window

  // Tray: what the icon shows (the tray icon object shows it once it exists).
  bool m_minimised = false;
  bool m_trayShown = false;
  int m_trayIconCode = 0;  // action code whose icon is shown
  wxString m_trayToolTip = "Duskwatch : Idle";
  wxIconBundle m_trayIcon;
  std::array<wxIconBundle, 11> m_statusIcons;  // by action code, in the sizes panels ask for
  std::unique_ptr<CDSysTray> m_tray;           // created on the first minimise
  os::tray::Kind m_trayKind = CDSysTray::DesktopTray();
  // Minimising hides the window into the notification area; without one
  // (no tray on this desktop) the window stays iconized in the task bar.
  bool m_hideToTray = m_trayKind != os::tray::Kind::None;

  // Saved-tasks view: refreshed every 1.5 s unless suspended; the view
  // installs the refresh and the dialog.
  bool m_tasksRefreshSuspended = false;
  bool m_tasksRefreshOpen = true;  // re-entrancy guard
  std::function<void()> m_refreshSavedTasks;
  std::function<void()> m_showSavedTasks;
  CDDialog* m_savedTasksDialog = nullptr;  // created by the first refresh, kept
  // The program the scheduler starts; empty: this executable.
  wxString m_schedulerExecutable;
  // Opens the extras window for a task-choice index; installed by the window.
  std::function<void(int)> m_configureExtras;
  // Where Help > Manual looks for the manual (tests point it elsewhere).
  std::string m_programFolder = ProgramFolder();

  // The extras window and the system wake-up timer (cd_frame_extras.cpp).
  // The window is created when first configured and lives as long as we do.
  CDAuiMainFrame* m_extrasWindow = nullptr;
  void InstallExtras();
  void DestroyExtras();
  void OpenExtrasWindow(int choiceIndex);
  // The wake-up timer fired (GUI thread): the after-wake-up actions.
  void OnSystemWakeUp();

  // Timers 9051..9057.
  wxTimer m_countdownTimer;
  wxTimer m_alarmTimer;
  wxTimer m_monitorWakeTimer;
  wxTimer m_resumeTimer;
  wxTimer m_executeTimer;
  wxTimer m_fullCleanupTimer;
  wxTimer m_tasksRefreshTimer;
  wxTimer m_suspendWatchTimer;  // an accepted own suspend must begin soon
  wxTimer m_triggerTimer;       // checks the start condition every second

  // Controls (created by BuildControls).
  CDToolBar* m_toolBar = nullptr;
  wxStaticText* m_toolStatusText = nullptr;
  CDPanel* m_panelRelative = nullptr;
  CDPanel* m_panelAbsolute = nullptr;
  CDPanel* m_panelAction = nullptr;
  CDPanel* m_panelProgress = nullptr;
  CDPanel* m_panelTask = nullptr;
  CDSpinCtrl* m_spinHours = nullptr;
  CDSpinCtrl* m_spinMinutes = nullptr;
  CDSpinCtrl* m_spinSeconds = nullptr;
  CDSpinCtrl* m_spinHoursAbsolute = nullptr;
  CDSpinCtrl* m_spinMinutesAbsolute = nullptr;
  CDSpinCtrl* m_spinSecondsAbsolute = nullptr;
  CDRadioButton* m_radioRelative = nullptr;
  CDRadioButton* m_radioAbsolute = nullptr;
  wxRadioButton* m_radioRelativeOff = nullptr;  // hidden partners that clear the two modes
  wxRadioButton* m_radioAbsoluteOff = nullptr;
  wxStaticText* m_onLabel = nullptr;
  wxDatePickerCtrl* m_datePicker = nullptr;
  CDStaticText* m_atLabel = nullptr;
  wxCheckBox* m_repeatedCheck = nullptr;
  wxChoicebook* m_repeatBook = nullptr;
  wxSpinCtrl* m_repeatDays = nullptr;
  wxSpinCtrl* m_repeatWeeks = nullptr;
  std::array<wxCheckBox*, 7> m_weekDays{};  // Sunday first
  CDButton* m_startButton = nullptr;
  CDButton* m_stopButton = nullptr;
  CDProgBar* m_progressBar = nullptr;
  CDStaticText* m_countdownText = nullptr;
  CDStaticText* m_taskLabel = nullptr;
  CDChoice* m_taskChoice = nullptr;
  wxCheckBox* m_forceCheck = nullptr;
  wxCheckBox* m_preventStandbyCheck = nullptr;
  wxCheckBox* m_silentModeCheck = nullptr;
  wxCheckBox* m_logDeletedCheck = nullptr;
  CDButton* m_configureButton = nullptr;
  std::array<wxButton*, 8> m_nowButtons{};
  wxStaticText* m_triggerLabel = nullptr;
  wxRadioButton* m_triggerNow = nullptr;
  wxRadioButton* m_triggerProgram = nullptr;
  wxRadioButton* m_triggerIdle = nullptr;
  wxChoice* m_programChoice = nullptr;
  wxButton* m_programRefresh = nullptr;
  CDSpinCtrl* m_spinIdleMinutes = nullptr;
  CDMenu* m_optionsMenu = nullptr;

 private:
  // Layout (cd_frame_layout.cpp).
  void CreateToolBarTools();
  void CreateMenus();
  void CreateRelativeRow();
  void CreateTriggerRows(wxSizer* column);
  // Enables the start condition's controls for the mode and the choice.
  void EnableTriggerControls(bool engineIdle);
  void OnTriggerChoice(wxCommandEvent& event);
  void OnProgramRefresh(wxCommandEvent& event);
  void CreateAbsoluteBlock();
  wxChoicebook* CreateRepeatBook(wxWindow* parent);
  void CreateActionRow();
  void CreateProgressRow();
  void CreateTaskColumn();
  void ArrangeColumns();
  void ApplySettings();

  // Handlers (cd_frame_handlers.cpp).
  void OnRelativeMode(wxCommandEvent& event);
  void OnAbsoluteMode(wxCommandEvent& event);
  void OnRepeated(wxCommandEvent& event);
  void OnTaskChoice(wxCommandEvent& event);
  void OnConfigure(wxCommandEvent& event);
  void OnNowButton(wxCommandEvent& event);
  void OnOptionMenu(wxCommandEvent& event);
  void OnStartupMenu(wxCommandEvent& event);
  void OnContextMenu(wxCommandEvent& event);
  void OnSilentMode(wxCommandEvent& event);
  void OnLogDeletedFiles(wxCommandEvent& event);
  void OnSavedTasksTool(wxCommandEvent& event);
  void OnExit(wxCommandEvent& event);
  void OnAbout(wxCommandEvent& event);
  void OnManual(wxCommandEvent& event);
  void OnIconize(wxIconizeEvent& event);
  void OnClose(wxCloseEvent& event);
  void OnNavigationKey(wxNavigationKeyEvent& event);
  // Moves the focus for a Tab leaving a panel; false lets the toolkit go on.
  bool NavigateFrom(int focusedId, bool backward);
  void SelectRadio(CDRadioButton* radio, bool on);
  // Selects one mode's radio button, clears the other and refreshes.
  void SwitchMode(bool relative);
  // Opens the extras window for the chosen action.
  void ConfigureExtras(int choiceIndex);

  // Engine helpers (countdown.cpp).
  // Arms the countdown timer for m_remainingSeconds from now.
  void ArmCountdown(bool wallClock);
  // The date picker's day at the absolute spins' time.
  wxDateTime AbsoluteTarget() const;
  // Seconds left to the deadline by the current clock.
  std::uint32_t SecondsToDeadline() const;
  void UpdateReminder(std::uint32_t previousSeconds);
  void HideReminder();
  // The action-code table; fromFile applies the differences of a task-file run.
  bool PrepareActionIndex(int index, bool fromFile);
  bool PrepareWakeUp(bool monitor);
  void RejectAction(int index);
  void TakeAlarmSettings();
  void CollectCleanupSelection();
  void HoldPreventStandby();
  void ReleasePreventStandby();
  void ReturnToIdle();

  // End of the countdown (cd_frame_execute.cpp).
  bool AlarmPageSwitchedOn() const;
  bool AlarmExtraOn() const;
  bool LaunchExtraOn() const;
  bool ExitAfterLaunchOn() const;
  void LaunchExtra();
  void RingAlarm();
  void ResetArmed();
  void ExecutePowerOrCleanup();
  void FinishAlarm();
  // A task-file run is over: the window closes (destroy: no veto).
  void EndTaskFileRun(bool destroy);
  void StartAfterWakeUpThread();

  // Clean-up runner (cd_frame_cleanup.cpp).
  bool StartWorker();
  void OpenProgressDialog();
  void CloseProgressDialog();
  void ContinueAfterCleanup();
  void RunIeHistoryStage();
  void WaitForWorker();

  // Tray and reminder (cd_frame_tray.cpp).
  void ShowTrayStatus();
  void ShowReminderWindow();
  void UpdateReminderWindow();
  void HideReminderWindow();

  // The after-wake-up thread; joined when the window goes.
  std::thread m_afterWakeThread;
  std::atomic<bool> m_afterWakeStop{false};

  const ExtrasPages* m_extras = nullptr;
  ExtrasPages m_noExtras;
  CleanupSelection m_selectionBeforeFullCleanup;

  wxDECLARE_EVENT_TABLE();
};
