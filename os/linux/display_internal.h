#pragma once
// Pieces of the X11/DRM monitor code that need no display server, kept apart
// so they can be checked on machines whose X server has no DPMS and no DRM.
#include <string>
#include <vector>

#include "os/display.h"

namespace os::display::internal {

// DPMS power levels as the X protocol numbers them.
enum DpmsLevel : int { kDpmsOn = 0, kDpmsStandby = 1, kDpmsSuspend = 2, kDpmsOff = 3 };

// Screen saver states of the MIT-SCREEN-SAVER extension.
enum SaverState : int { kSaverOff = 0, kSaverOn = 1, kSaverCycle = 2, kSaverDisabled = 3 };

// A disabled DPMS never powers the monitor down, so it counts as on.
PowerState StateFromDpms(bool enabled, int level);
PowerState StateFromScreenSaver(int state);
// The kernel's per-connector "dpms" text ("On", "Off", ...).
PowerState StateFromSysfsDpms(const std::string& text);

struct DrmConnector {
  std::string name;       // connector without the card prefix, e.g. "HDMI-A-1"
  std::string directory;  // its folder under the DRM class folder
};

// Connectors whose status is "connected", ordered by card and connector id.
std::vector<DrmConnector> ConnectedDrmConnectors(const std::string& drmClassFolder);

// The monitor name of an EDID block (display descriptor 0xFC), empty if none.
std::string EdidMonitorName(const std::string& edid);

// "<EDID name> (<connector>)", or the connector alone.
std::string DrmDescription(const DrmConnector& connector);

// Names of the X server's RandR outputs (any connection state); empty when
// no X display is reachable.
std::vector<std::string> RandrOutputNames();

}  // namespace os::display::internal
