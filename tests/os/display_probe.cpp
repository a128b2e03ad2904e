// Asks the platform layer about the monitors and the clipboard from a fresh
// process, for the tests that run a real compositor:
//   dkwt_display_probe state|list|supported|off|on|clipboard|idle
// Prints the answer (and the error code); exit status 0 on success.
#include <chrono>
#include <cstdio>
#include <thread>
#include <string>
#include <vector>

#include "os/clipboard.h"
#include "os/display.h"
#include "os/idle.h"

namespace {

const char* StateWord(os::display::PowerState state) {
  switch (state) {
    case os::display::PowerState::On: return "on";
    case os::display::PowerState::Standby: return "standby";
    case os::display::PowerState::Suspend: return "suspend";
    case os::display::PowerState::Off: return "off";
    case os::display::PowerState::Unknown: break;
  }
  return "unknown";
}

int Answer(bool ok, int code) {
  std::printf("%s code=%d\n", ok ? "ok" : "failed", code);
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc == 2 ? argv[1] : "";
  int code = 0;
  if (what == "state") {
    std::printf("%s\n", StateWord(os::display::MonitorPowerState()));
    return 0;
  }
  if (what == "list") {
    std::vector<os::display::MonitorInfo> monitors;
    const bool ok = os::display::ListMonitors(monitors, code);
    for (const auto& monitor : monitors)
      std::printf("%s|%s\n", monitor.description.c_str(), StateWord(monitor.state));
    return ok ? 0 : 1;
  }
  // The call first, then its code: arguments are evaluated in any order.
  if (what == "supported") {
    const bool ok = os::display::MonitorSupported(code);
    return Answer(ok, code);
  }
  if (what == "off" || what == "on") {
    const bool ok = what == "off" ? os::display::MonitorOff(code) : os::display::MonitorOn(code);
    return Answer(ok, code);
  }
  if (what == "clipboard") {
    const bool ok = os::clipboard::EmptyBoth(code);
    return Answer(ok, code);
  }
  if (what == "idle") {
    // The source, and the idle time after 2.5 s without input.
    std::string reason;
    auto monitor = os::idle::Open(reason);
    if (!monitor) {
      std::printf("none %s\n", reason.c_str());
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    const auto idle = monitor->IdleMilliseconds();
    std::printf("%s %lld\n", os::idle::SourceName(monitor->Kind()), idle ? static_cast<long long>(*idle) : -1LL);
    return idle ? 0 : 1;
  }
  std::fprintf(stderr, "usage: %s state|list|supported|off|on|clipboard|idle\n", argv[0]);
  return 2;
}
