#pragma once
// Monitors: switching them off and on, their power state, and detection.
#include <string>
#include <vector>

namespace os::display {

enum class PowerState { On, Standby, Suspend, Off, Unknown };

// By what the session offers: Mutter's PowerSaveMode, a Wayland compositor's
// output-power protocol (KWin, wlroots), X11 DPMS or its screen saver.
// True once the desktop has taken the request (Mutter and the compositors:
// once they report the new mode; a dry run records it). False with the system's
// error code otherwise: the X or D-Bus error, ETIMEDOUT when the compositor
// never reports the new mode, ENOTSUP when it offers no way, ENXIO when no
// display can be reached.
bool MonitorOff(int& errorCode);
bool MonitorOn(int& errorCode);

// The power state of the (first) display; Unknown when it cannot be told.
PowerState MonitorPowerState();

struct MonitorInfo {
  std::string description;  // empty when the device has none
  PowerState state = PowerState::Unknown;
};

// Connected monitors in the system's enumeration order: the compositor's
// outputs, else the kernel's connectors, else the X server's outputs. False with the
// system's error code when the list cannot be read.
bool ListMonitors(std::vector<MonitorInfo>& monitors, int& errorCode);

// Whether monitors can be detected and switched here. False with
// errorCode 0 when that is simply not available (no display server, or a
// compositor without a way to switch them).
bool MonitorSupported(int& errorCode);

}  // namespace os::display
