// The main window's notification-area icon and its reminder window.
#include <wx/app.h>

#include "exec/now_action.h"
#include "ui/cd_frame.h"

// ---- Tray icon -------------------------------------------------------------

void CDFrame::OnIconize(wxIconizeEvent& event) {
  m_minimised = event.IsIconized();
  if (!m_minimised) {
    // Brought back from the task bar: the icon is no longer needed. A window
    // hidden into the tray is restored by the tray alone.
    if (IsShown() && m_trayShown) {
      m_trayShown = false;
      if (m_tray)
        m_tray->RemoveIcon();
    }
    return;
  }
  if (!m_tray)
    m_tray = std::make_unique<CDSysTray>(this, m_trayKind);
  m_trayShown = true;
  UpdateTrayStatus();
  // Without an icon to click the window stays iconized in the task bar,
  // where the user can reach it.
  if (m_hideToTray && m_tray->IsIconInstalled())
    Hide();
}

void CDFrame::ShowTrayStatus() {
  if (m_tray && m_trayShown)
    m_tray->ShowStatus(m_trayIcon, m_trayToolTip);
}

void CDFrame::RestoreFromTray() {
  if (!m_trayShown || (IsShown() && !IsIconized()))
    return;
  m_trayShown = false;
  m_minimised = false;
  if (m_tray)
    m_tray->RemoveIcon();
  Show();
  Iconize(false);
  Raise();
}

void CDFrame::TrayIconFailed(int code, const wxString& message) {
  LogError(code, message, false);
  // From now on minimising keeps the window in the task bar.
  m_hideToTray = false;
  if (m_trayShown && !IsShown()) {
    RestoreFromTray();
    Iconize(true);
  }
}

bool CDFrame::RunNow(int code) { return RunNowAction(m_task, *this, code); }

// ---- Reminder window -------------------------------------------------------

void CDFrame::ShowReminderWindow() {
  if (!m_reminder) {
    m_reminder = new CDReminder();
    m_reminder->SetHost(this);
    // The toolkit deletes every top-level window when the program ends; we
    // must not touch it after that.
    m_reminder->Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& event) {
      if (event.GetEventObject() == m_reminder)
        m_reminder = nullptr;
      event.Skip();
    });
  }
  m_reminder->Show();
}

void CDFrame::UpdateReminderWindow() {
  if (!m_reminder || !m_reminderShown)
    return;
  m_reminder->SetMinutes(m_reminderMinutes);
  m_reminder->SetSeconds(m_reminderSeconds);
  m_reminder->SetAction(m_reminderAction);
  m_reminder->SetMessage(m_reminderText);
}

void CDFrame::HideReminderWindow() {
  if (!m_reminder)
    return;
  m_reminder->Hide();
  m_reminder->SetMinutes(0);
  m_reminder->SetSeconds(0);
  m_reminder->SetAction(CDReminder::kNoAction);
}

void CDFrame::OnReminderStop() {
  if (!m_fromTaskFile) {
    StopTask();
    return;
  }
  // A task-file run ends here without carrying out its task.
  HideReminder();
  for (wxTimer* timer : {&m_countdownTimer, &m_alarmTimer, &m_monitorWakeTimer, &m_executeTimer})
    timer->Stop();
  StopWaiting();
  m_task.ClearActions();
  ReleasePreventStandby();
  wxTheApp->ExitMainLoop();
  Destroy();
}

void CDFrame::OnReminderDismissed() {
  // The reminder reset itself; it stays away for the rest of this countdown
  // because the lead is only crossed once.
  m_reminderShown = false;
  m_reminderMinutes = 0;
  m_reminderSeconds = 0;
  m_reminderAction = CDReminder::kNoAction;
}
