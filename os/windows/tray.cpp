// On Windows the toolkit's tray icon is the native notification-area icon.
#include "os/tray.h"

#include <utility>

#include "os/toolkit/tray_icon.h"

namespace os::tray {

// Explorer's notification area is always there.
Desktop Probe() {
  Desktop desktop;
  desktop.toolkitTray = true;
  return desktop;
}

std::unique_ptr<Icon> Create(Kind kind, Handlers handlers) {
  if (kind != Kind::Toolkit)
    return nullptr;
  return CreateToolkitIcon(std::move(handlers));
}

}  // namespace os::tray
