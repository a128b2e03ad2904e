// Launching files and asking the monitor for its state.
#include "app/task.h"
#include "os/display.h"
#include "os/shell.h"

bool Task::LaunchFile(const wxString& path) {
  int error = 0;
  std::string text;
  // Elevation, where the system asks for it, is the platform layer's choice.
  bool launched = os::shell::LaunchDefault(path.utf8_string(), error, text);
  if (!launched)
    LogError(error, "Unable to launch the File.");
  m_fileLaunched = true;
  return launched;
}

bool Task::MonitorSupported() {
  int error = 0;
  if (os::display::MonitorSupported(error))
    return true;
  if (error != 0)
    LogError(error, "It seems that your Monitor is not supported.");
  return false;
}

void Task::ListMonitors(std::vector<os::display::MonitorInfo>& list) {
  list.clear();
  int error = 0;
  if (!os::display::ListMonitors(list, error))
    LogError(error, "Unexpected Error occured( C ).");
}

int Task::MonitorPowerState() {
  std::vector<os::display::MonitorInfo> monitors;
  ListMonitors(monitors);
  if (monitors.empty())
    return kMonitorUnknown;
  switch (monitors.front().state) {
    case os::display::PowerState::On: return kMonitorOn;
    case os::display::PowerState::Standby:
    case os::display::PowerState::Off: return kMonitorStandbyOrOff;
    case os::display::PowerState::Suspend: return kMonitorSuspended;
    case os::display::PowerState::Unknown: break;
  }
  return kMonitorUnknown;
}
