#pragma once
// The StatusNotifierItem kind of tray icon, behind os/tray.h (the toolkit's
// kind is in os/toolkit/).
#include <memory>
#include <string>

#include "os/tray.h"

namespace os::tray {

// A StatusNotifierItem with its dbusmenu on the session bus; null without a bus.
std::unique_ptr<Icon> CreateStatusNotifier(Handlers handlers);

// Whether a StatusNotifierWatcher owns its name on the session bus.
bool WatcherPresent();

}  // namespace os::tray
