// The toolkit's own tray icon: the native notification-area icon on Windows,
// the XEmbed icon on Linux desktops that have only an XEmbed tray.
#include <utility>

#include <wx/menu.h>
#include <wx/taskbar.h>

#include "os/toolkit/tray_icon.h"

namespace os::tray {

namespace {

class ToolkitIcon : public wxTaskBarIcon, public Icon {
 public:
  explicit ToolkitIcon(Handlers handlers) : m_handlers(std::move(handlers)) {
    Bind(wxEVT_MENU, [this](wxCommandEvent& event) {
      if (m_handlers.command)
        m_handlers.command(event.GetId());
    });
    Bind(wxEVT_TASKBAR_LEFT_DCLICK, [this](wxTaskBarIconEvent&) {
      if (m_handlers.activate)
        m_handlers.activate();
    });
  }

  bool Show(const wxIconBundle& pictures, const std::string& toolTip) override {
    return SetIcon(wxBitmapBundle::FromIconBundle(pictures), wxString::FromUTF8(toolTip));
  }
  bool Remove() override { return RemoveIcon(); }
  bool Shown() const override { return IsIconInstalled(); }

 protected:
  wxMenu* CreatePopupMenu() override {
    const std::vector<MenuItem> items = m_handlers.menu ? m_handlers.menu() : std::vector<MenuItem>{};
    if (items.empty())
      return nullptr;
    auto* menu = new wxMenu();
    for (const MenuItem& item : items)
      menu->Append(item.id, wxString::FromUTF8(item.label));
    return menu;
  }

 private:
  Handlers m_handlers;
};

}  // namespace

Kind Choose(const Desktop& desktop) {
  if (desktop.statusNotifierWatcher)
    return Kind::StatusNotifier;
  if (desktop.toolkitTray)
    return Kind::Toolkit;
  return Kind::None;
}

std::unique_ptr<Icon> CreateToolkitIcon(Handlers handlers) { return std::make_unique<ToolkitIcon>(std::move(handlers)); }

}  // namespace os::tray
