#pragma once
// The ways of reaching the monitors (Mutter, a Wayland compositor, X11) and
// the pieces that need no display server, kept apart so they can be checked
// on machines whose X server has no DPMS and no DRM.
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

// What one way of reaching the monitors answers: not in this session (try
// the next way), done, or failed with its code (the answer stands).
enum class Route { NotHere, Done, Failed };

// One row per way, tried in order; a function may be missing when the way
// has nothing of its own to say (the next row is asked then).
struct DisplayRoute {
  const char* name;
  Route (*setPower)(bool on, int& code);
  Route (*list)(std::vector<MonitorInfo>& monitors, int& code);
  Route (*supported)(int& code);
};

// GNOME: Mutter's PowerSaveMode on the session bus.
Route MutterSetPower(bool on, int& code);
Route MutterList(std::vector<MonitorInfo>& monitors, int& code);
Route MutterSupported(int& code);
PowerState StateFromMutter(int mode);

// Wayland compositors: KWin's DPMS or wlroots output power, per wl_output.
Route WaylandSetPower(bool on, int& code);
Route WaylandList(std::vector<MonitorInfo>& monitors, int& code);
Route WaylandSupported(int& code);
std::vector<std::string> WaylandOutputDescriptions();

// X11: DPMS, else the screen saver; monitors from DRM, else RandR.
Route X11SetPower(bool on, int& code);
Route X11List(std::vector<MonitorInfo>& monitors, int& code);
Route X11Supported(int& code);

inline constexpr const char kDrmClassFolder[] = "/sys/class/drm";

// The connected connectors with the given state, or each one's own when that
// is Unknown.
std::vector<MonitorInfo> DrmMonitors(PowerState state);

// Connected monitors by name, from whatever can tell: the compositor's
// outputs, the kernel's connectors, the X server's outputs.
std::vector<std::string> MonitorDescriptions();

// Names of the X server's RandR outputs (any connection state); empty when
// no X display is reachable.
std::vector<std::string> RandrOutputNames();

}  // namespace os::display::internal
