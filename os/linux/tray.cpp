// Which tray icon this session gets: a StatusNotifierItem where a panel
// watches for them (KDE, GNOME's AppIndicator extension, XFCE, waybar...),
// the toolkit's XEmbed icon where only an XEmbed tray exists, else none.
#include "os/tray.h"

#include <wx/taskbar.h>

#include "os/linux/tray_internal.h"
#include "os/toolkit/tray_icon.h"

namespace os::tray {

Desktop Probe() {
  Desktop desktop;
  desktop.statusNotifierWatcher = WatcherPresent();
  // The toolkit looks for the X screen's _NET_SYSTEM_TRAY selection owner.
  desktop.toolkitTray = wxTaskBarIcon::IsAvailable();
  return desktop;
}

std::unique_ptr<Icon> Create(Kind kind, Handlers handlers) {
  switch (kind) {
    case Kind::StatusNotifier:
      return CreateStatusNotifier(std::move(handlers));
    case Kind::Toolkit:
      return CreateToolkitIcon(std::move(handlers));
    case Kind::None:
      break;
  }
  return nullptr;
}

}  // namespace os::tray
