#pragma once
// Monitors: switching them off and on, their power state, and detection.
#include <string>
#include <vector>

namespace os::display {

enum class PowerState { On, Standby, Suspend, Off, Unknown };

// False with the system's error code when the display refuses (the X error
// code, or ENXIO when no X display can be reached).
bool MonitorOff(int& errorCode);
bool MonitorOn(int& errorCode);

// The power state of the (first) display; Unknown when it cannot be told.
PowerState MonitorPowerState();

struct MonitorInfo {
  std::string description;  // empty when the device has none
  PowerState state = PowerState::Unknown;
};

// Connected monitors in the system's enumeration order. False with the
// system's error code when the list cannot be read.
bool ListMonitors(std::vector<MonitorInfo>& monitors, int& errorCode);

// Whether monitors can be detected and switched here. False with
// errorCode 0 when that is simply not available (no display server).
bool MonitorSupported(int& errorCode);

}  // namespace os::display
