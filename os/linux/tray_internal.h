#pragma once
// The two kinds of tray icon this platform has, behind os/tray.h.
#include <memory>
#include <string>

#include "os/tray.h"

namespace os::tray {

// The toolkit's XEmbed icon.
std::unique_ptr<Icon> CreateToolkitIcon(Handlers handlers);

// A StatusNotifierItem with its dbusmenu on the session bus; null without a bus.
std::unique_ptr<Icon> CreateStatusNotifier(Handlers handlers);

// Whether a StatusNotifierWatcher owns its name on the session bus.
bool WatcherPresent();

}  // namespace os::tray
