#pragma once
// The toolkit's tray icon, shared by every platform: it touches nothing but
// the toolkit.
#include <memory>

#include "os/tray.h"

namespace os::tray {

std::unique_ptr<Icon> CreateToolkitIcon(Handlers handlers);

}  // namespace os::tray
