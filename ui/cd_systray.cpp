#include "ui/cd_systray.h"

#include <chrono>

#include <wx/icon.h>

#include "app/clock.h"
#include "os/platform_texts.h"
#include "ui/cd_controls.h"
#include "ui/now_confirm.h"

namespace {

struct TrayItem {
  int id;
  const char* text;
};

// In menu order; "Exit program" follows them.
const TrayItem kNowItems[] = {
    {CDSysTray::kRestore, "Restore main window"},
    {CDSysTray::kShutdownNow, os::texts::Get(os::texts::Text::ShutdownNow)},
    {CDSysTray::kRestartNow, os::texts::Get(os::texts::Text::RestartNow)},
    {CDSysTray::kStandbyNow, "Standby  Now!"},
    {CDSysTray::kHibernateNow, "Hibernate Now!"},
    {CDSysTray::kLogOffNow, "Log Off  Now!"},
    {CDSysTray::kMonitorOffNow, "Turn Monitor Off Now!"},
    {CDSysTray::kLockNow, os::texts::Get(os::texts::Text::LockNow)},
    {CDSysTray::kFullCleanupNow, "Perform full Clean-Up Now!"},
};

// Lets the desktop finish the click on the icon before the window takes the focus.
constexpr std::chrono::milliseconds kRestorePause{200};

}  // namespace

wxBEGIN_EVENT_TABLE(CDSysTray, wxTaskBarIcon)
  EVT_MENU(CDSysTray::kRestore, CDSysTray::OnRestore)
  EVT_MENU_RANGE(CDSysTray::kShutdownNow, CDSysTray::kLockNow, CDSysTray::OnNowCommand)
  EVT_MENU(CDSysTray::kFullCleanupNow, CDSysTray::OnFullCleanupNow)
  EVT_MENU(CDSysTray::kExit, CDSysTray::OnExit)
  EVT_TASKBAR_LEFT_DCLICK(CDSysTray::OnLeftDoubleClick)
wxEND_EVENT_TABLE()

bool CDSysTray::ShowStatus(const wxIcon& icon, const wxString& toolTip) {
  return SetIcon(icon, toolTip);
}

wxMenu* CDSysTray::CreatePopupMenu() {
  const bool fromTaskFile = m_host && m_host->IsTaskFileRun();
  if (m_host && m_host->IsArmed() && !fromTaskFile)
    return nullptr;
  auto* menu = new CDMenu(wxString());
  if (!fromTaskFile)
    for (const TrayItem& item : kNowItems)
      menu->Append(item.id, item.text, wxString(), wxITEM_NORMAL);
  menu->Append(kExit, "Exit program", wxString(), wxITEM_NORMAL);
  return menu;
}

void CDSysTray::OnRestore(wxCommandEvent&) {
  if (m_host)
    m_host->RestoreFromTray();
}

void CDSysTray::OnNowCommand(wxCommandEvent& event) {
  if (!m_host)
    return;
  const int code = event.GetId() - kShutdownNow + 1;
  if (ConfirmNowAction(code, m_host->ShowWarnings()))
    m_host->RunNow(code);
}

void CDSysTray::OnFullCleanupNow(wxCommandEvent&) {
  if (m_host)
    m_host->FullCleanupNow();
}

void CDSysTray::OnExit(wxCommandEvent&) {
  if (m_host)
    m_host->ExitProgram();
}

void CDSysTray::OnLeftDoubleClick(wxTaskBarIconEvent&) {
  if (!m_host || m_host->IsTaskFileRun())
    return;
  CurrentClock().Sleep(kRestorePause);
  m_host->RestoreFromTray();
}
