#include "ui/cd_systray.h"

#include <chrono>


#include "app/clock.h"
#include "os/platform_texts.h"
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

wxBEGIN_EVENT_TABLE(CDSysTray, wxEvtHandler)
  EVT_MENU(CDSysTray::kRestore, CDSysTray::OnRestore)
  EVT_MENU_RANGE(CDSysTray::kShutdownNow, CDSysTray::kLockNow, CDSysTray::OnNowCommand)
  EVT_MENU(CDSysTray::kFullCleanupNow, CDSysTray::OnFullCleanupNow)
  EVT_MENU(CDSysTray::kExit, CDSysTray::OnExit)
wxEND_EVENT_TABLE()

CDSysTray::CDSysTray(TrayHost* host, os::tray::Kind kind) : m_host(host) {
  os::tray::Handlers handlers;
  handlers.menu = [this] { return MenuItems(); };
  // The icon calls us from inside its own event handling: act once that is done.
  handlers.command = [this](int id) {
    auto* event = new wxCommandEvent(wxEVT_MENU, id);
    event->SetEventObject(this);
    QueueEvent(event);
  };
  handlers.activate = [this] { CallAfter([this] { Activated(); }); };
  handlers.failed = [this](int code, const std::string& message) {
    if (m_host)
      m_host->TrayIconFailed(code, wxString::FromUTF8(message));
  };
  m_icon = os::tray::Create(kind, std::move(handlers));
}

CDSysTray::~CDSysTray() = default;

bool CDSysTray::ShowStatus(const wxIconBundle& icon, const wxString& toolTip) {
  return m_icon && m_icon->Show(icon, toolTip.utf8_string());
}

bool CDSysTray::RemoveIcon() { return m_icon && m_icon->Remove(); }

bool CDSysTray::IsIconInstalled() const { return m_icon && m_icon->Shown(); }

std::vector<os::tray::MenuItem> CDSysTray::MenuItems() const {
  const bool fromTaskFile = m_host && m_host->IsTaskFileRun();
  std::vector<os::tray::MenuItem> items;
  if (m_host && m_host->IsArmed() && !fromTaskFile)
    return items;
  if (!fromTaskFile)
    for (const TrayItem& item : kNowItems)
      items.push_back({item.id, item.text});
  items.push_back({kExit, "Exit program"});
  return items;
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

void CDSysTray::Activated() {
  if (!m_host || m_host->IsTaskFileRun())
    return;
  CurrentClock().Sleep(kRestorePause);
  m_host->RestoreFromTray();
}
