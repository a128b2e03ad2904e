#include "ui/cd_frame.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>

#include "os/folders.h"
#include "os/power.h"
#include "os/sysinfo.h"
#include "res/art/art.h"
#include "ui/cd_controls.h"
#include "ui/cd_ids.h"

// clang-format off
wxBEGIN_EVENT_TABLE(CDFrame, wxFrame)
  EVT_MENU(ids::kMenuAbout, CDFrame::OnAbout)
  EVT_MENU(ids::kMenuManual, CDFrame::OnManual)
  EVT_MENU(ids::kMenuWarnings, CDFrame::OnOptionMenu)
  EVT_MENU(ids::kMenuStartup, CDFrame::OnStartupMenu)
  EVT_MENU(ids::kMenuContextCommands, CDFrame::OnContextMenu)
  EVT_MENU(ids::kMenuCloseBrowsers, CDFrame::OnOptionMenu)
  EVT_MENU(ids::kMenuDisableErrorLog, CDFrame::OnOptionMenu)
  EVT_MENU(ids::kMenuIgnoreBrowserVersion, CDFrame::OnOptionMenu)
  EVT_MENU(ids::kMenuExit, CDFrame::OnExit)
  EVT_MENU(ids::kSavedTasksTool, CDFrame::OnSavedTasksTool)
  EVT_ICONIZE(CDFrame::OnIconize)
  EVT_CLOSE(CDFrame::OnClose)
  EVT_BUTTON(ids::kStartButton, CDFrame::OnStartTimer)
  EVT_BUTTON(ids::kStopButton, CDFrame::OnStopTimer)
  EVT_BUTTON(ids::kConfigureButton, CDFrame::OnConfigure)
  EVT_BUTTON(ids::kShutdownNow, CDFrame::OnNowButton)
  EVT_BUTTON(ids::kRestartNow, CDFrame::OnNowButton)
  EVT_BUTTON(ids::kStandbyNow, CDFrame::OnNowButton)
  EVT_BUTTON(ids::kHibernateNow, CDFrame::OnNowButton)
  EVT_BUTTON(ids::kLogOffNow, CDFrame::OnNowButton)
  EVT_BUTTON(ids::kMonitorOffNow, CDFrame::OnNowButton)
  EVT_BUTTON(ids::kLockNow, CDFrame::OnNowButton)
  EVT_BUTTON(ids::kFullCleanupNow, CDFrame::OnFullCleanupNow)
  EVT_RADIOBUTTON(ids::kRadioRelative, CDFrame::OnRelativeMode)
  EVT_RADIOBUTTON(ids::kRadioAbsolute, CDFrame::OnAbsoluteMode)
  EVT_CHOICE(ids::kTaskChoice, CDFrame::OnTaskChoice)
  EVT_NAVIGATION_KEY(CDFrame::OnNavigationKey)
  EVT_TIMER(ids::kCountdownTimer, CDFrame::OnCountdownTick)
  EVT_TIMER(ids::kExecuteTimer, CDFrame::OnExecuteTick)
  EVT_TIMER(ids::kAlarmTimer, CDFrame::OnAlarmTick)
  EVT_TIMER(ids::kMonitorWakeTimer, CDFrame::OnMonitorWakeTick)
  EVT_TIMER(ids::kResumeTimer, CDFrame::OnResumeTick)
  EVT_TIMER(ids::kSuspendWatchTimer, CDFrame::OnSuspendWatchTick)
  EVT_TIMER(ids::kTriggerTimer, CDFrame::OnTriggerTick)
  EVT_RADIOBUTTON(ids::kTriggerNow, CDFrame::OnTriggerChoice)
  EVT_RADIOBUTTON(ids::kTriggerProgram, CDFrame::OnTriggerChoice)
  EVT_RADIOBUTTON(ids::kTriggerIdle, CDFrame::OnTriggerChoice)
  EVT_BUTTON(ids::kProgramRefresh, CDFrame::OnProgramRefresh)
  EVT_TIMER(ids::kFullCleanupTimer, CDFrame::OnFullCleanupTick)
  EVT_TIMER(ids::kTasksRefreshTimer, CDFrame::OnTasksRefreshTick)
  EVT_MENU(ids::kCleanupEvent, CDFrame::OnCleanupEvent)
  EVT_CHECKBOX(ids::kRepeatedCheck, CDFrame::OnRepeated)
  EVT_CHECKBOX(ids::kLogDeletedCheck, CDFrame::OnLogDeletedFiles)
  EVT_CHECKBOX(ids::kSilentModeCheck, CDFrame::OnSilentMode)
wxEND_EVENT_TABLE()
// clang-format on

CDFrame::CDFrame(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& position, const wxSize& size,
                 long style, const wxString& name)
    : wxFrame(parent, id, title, position, size, style, name),
      m_task(this),
      m_countdownTimer(this, ids::kCountdownTimer),
      m_alarmTimer(this, ids::kAlarmTimer),
      m_monitorWakeTimer(this, ids::kMonitorWakeTimer),
      m_resumeTimer(this, ids::kResumeTimer),
      m_executeTimer(this, ids::kExecuteTimer),
      m_fullCleanupTimer(this, ids::kFullCleanupTimer),
      m_tasksRefreshTimer(this, ids::kTasksRefreshTimer),
      m_suspendWatchTimer(this, ids::kSuspendWatchTimer),
      m_triggerTimer(this, ids::kTriggerTimer) {
  SetIcons(MainIconBundle());
  for (std::size_t code = 0; code < m_statusIcons.size(); ++code)
    for (int size : {16, 22, 32, 48})
      m_statusIcons[code].AddIcon(TrayIcon(static_cast<int>(code), size));
  m_trayIcon = m_statusIcons[0];
  SubscribePowerEvents();
  m_refreshSavedTasks = [this] { RefreshSavedTasks(); };
  InstallExtras();
}

CDFrame::~CDFrame() {
  // The worker uses our state until its very last step.
  WaitForWorker();
  DestroyExtras();
  m_errorLog.WriteFooter(m_task.DescribeSystem(), m_savedTaskCount, os::sysinfo::UptimeSeconds());
  for (wxTimer* timer : {&m_countdownTimer, &m_alarmTimer, &m_monitorWakeTimer, &m_resumeTimer, &m_executeTimer,
                         &m_fullCleanupTimer, &m_tasksRefreshTimer, &m_suspendWatchTimer, &m_triggerTimer})
    timer->Stop();
  if (m_sleepSubscription != 0)
    os::power::UnsubscribeSleepSignal(m_sleepSubscription);
  m_afterWakeStop = true;
  if (m_afterWakeThread.joinable())
    m_afterWakeThread.join();
  // The reminder has no parent: left alone it would outlive us.
  delete m_reminder;
  if (m_tray)
    m_tray->RemoveIcon();
  m_tray.reset();
  // The inhibitor must not outlive the window that asked for it.
  if (m_task.m_executionStateHeld)
    ReleasePreventStandby();
}

void CDFrame::LogError(int code, const wxString& message, bool showBox) {
  m_errorLog.LogError(code, message, showBox);
}

wxString CDFrame::SaveTaskFile(const wxString& name) {
  const wxString folder = wxString::FromUTF8(os::folders::TasksFolder(wxTheApp->GetAppName().utf8_string()));
  return ::SaveTaskFile(name, folder, m_task, m_cleanupSelection, Extras());
}

void CDFrame::StartInteractive() {
  if (m_taskChoice)
    m_taskChoice->SetFocus();
  m_tasksRefreshTimer.Start(1500);
}
