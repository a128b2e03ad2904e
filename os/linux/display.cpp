// Monitors, by what the session offers: Mutter, a Wayland compositor, X11
// last. Without any of them the kernel's connectors still list the monitors.
#include "os/display.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "os/dry_run.h"
#include "os/linux/display_internal.h"

namespace os::display {

namespace internal {

PowerState StateFromDpms(bool enabled, int level) {
  if (!enabled)
    return PowerState::On;
  switch (level) {
    case kDpmsOn: return PowerState::On;
    case kDpmsStandby: return PowerState::Standby;
    case kDpmsSuspend: return PowerState::Suspend;
    case kDpmsOff: return PowerState::Off;
    default: return PowerState::Unknown;
  }
}

PowerState StateFromScreenSaver(int state) {
  switch (state) {
    case kSaverOn:
    case kSaverCycle: return PowerState::Off;
    case kSaverOff:
    case kSaverDisabled: return PowerState::On;
    default: return PowerState::Unknown;
  }
}

PowerState StateFromSysfsDpms(const std::string& text) {
  std::string word = text.substr(0, text.find_first_of(" \t\r\n"));
  if (word == "On")
    return PowerState::On;
  if (word == "Standby")
    return PowerState::Standby;
  if (word == "Suspend")
    return PowerState::Suspend;
  if (word == "Off")
    return PowerState::Off;
  return PowerState::Unknown;
}

namespace {

std::string ReadSmallFile(const std::filesystem::path& path, std::size_t limit) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return {};
  std::string data(limit, '\0');
  in.read(data.data(), static_cast<std::streamsize>(limit));
  data.resize(static_cast<std::size_t>(in.gcount()));
  return data;
}

// "card12-HDMI-A-1" → card 12, connector "HDMI-A-1"; false for "card0", "renderD128", "version".
bool SplitConnectorName(const std::string& entry, long& card, std::string& connector) {
  if (entry.rfind("card", 0) != 0)
    return false;
  std::size_t pos = 4;
  std::size_t digits = 0;
  while (pos + digits < entry.size() && entry[pos + digits] >= '0' && entry[pos + digits] <= '9')
    ++digits;
  if (digits == 0 || digits > 6 || pos + digits >= entry.size() || entry[pos + digits] != '-')
    return false;
  card = std::strtol(entry.substr(pos, digits).c_str(), nullptr, 10);
  connector = entry.substr(pos + digits + 1);
  return !connector.empty();
}

}  // namespace

std::vector<DrmConnector> ConnectedDrmConnectors(const std::string& drmClassFolder) {
  struct Sortable {
    long card;
    long id;
    DrmConnector connector;
  };
  std::vector<Sortable> found;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(drmClassFolder, error)) {
    long card = 0;
    std::string name;
    if (!SplitConnectorName(entry.path().filename().string(), card, name))
      continue;
    std::string status = ReadSmallFile(entry.path() / "status", 64);
    if (status.substr(0, status.find_first_of("\r\n")) != "connected")
      continue;
    // The kernel numbers connectors in the order it enumerates them; older
    // kernels lack the file, and then the name decides.
    std::string id = ReadSmallFile(entry.path() / "connector_id", 32);
    long number = id.empty() ? -1 : std::strtol(id.c_str(), nullptr, 10);
    found.push_back({card, number, {name, entry.path().string()}});
  }
  std::sort(found.begin(), found.end(), [](const Sortable& a, const Sortable& b) {
    if (a.card != b.card)
      return a.card < b.card;
    if (a.id != b.id)
      return a.id < b.id;
    return a.connector.name < b.connector.name;
  });
  std::vector<DrmConnector> result;
  for (auto& item : found)
    result.push_back(std::move(item.connector));
  return result;
}

std::string EdidMonitorName(const std::string& edid) {
  static const unsigned char kHeader[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
  if (edid.size() < 128 || !std::equal(std::begin(kHeader), std::end(kHeader), edid.begin(),
                                       [](unsigned char h, char c) { return h == static_cast<unsigned char>(c); }))
    return {};
  // Four 18-byte descriptors in the base block; a display descriptor starts
  // with three zero bytes and carries its tag in the fourth.
  for (std::size_t offset = 54; offset + 18 <= 126; offset += 18) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(edid[offset + i]); };
    if (byte(0) != 0 || byte(1) != 0 || byte(2) != 0 || byte(3) != 0xFC)
      continue;
    std::string name;
    for (std::size_t i = 5; i < 18; ++i) {
      unsigned char c = byte(i);
      if (c == 0x0A || c == 0x00)
        break;
      name += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
    while (!name.empty() && name.back() == ' ')
      name.pop_back();
    return name;
  }
  return {};
}

std::string DrmDescription(const DrmConnector& connector) {
  std::string model = EdidMonitorName(ReadSmallFile(std::filesystem::path(connector.directory) / "edid", 256));
  return model.empty() ? connector.name : model + " (" + connector.name + ")";
}

std::vector<MonitorInfo> DrmMonitors(PowerState state) {
  std::vector<MonitorInfo> monitors;
  for (const DrmConnector& connector : ConnectedDrmConnectors(kDrmClassFolder)) {
    PowerState own = state;
    if (own == PowerState::Unknown) {
      std::ifstream in(std::filesystem::path(connector.directory) / "dpms");
      std::string text;
      std::getline(in, text);
      own = StateFromSysfsDpms(text);
    }
    monitors.push_back({DrmDescription(connector), own});
  }
  return monitors;
}

std::vector<std::string> MonitorDescriptions() {
  std::vector<std::string> names = WaylandOutputDescriptions();
  if (!names.empty())
    return names;
  for (const DrmConnector& connector : ConnectedDrmConnectors(kDrmClassFolder))
    names.push_back(DrmDescription(connector));
  return names.empty() ? RandrOutputNames() : names;
}

}  // namespace internal

namespace {

using namespace internal;

// Mutter first: on GNOME it is the one that really switches, on X11 too.
// A Wayland compositor next; X11 last, as XWayland has no DPMS. A switch
// counts once Mutter or the compositor reports the new mode; the codes are
// the X or D-Bus error, ETIMEDOUT (the compositor never reported the mode),
// ENOTSUP (a compositor without a way), ENXIO (no display at all).
const DisplayRoute kRoutes[] = {
    {"mutter", MutterSetPower, MutterList, MutterSupported},
    {"wayland", WaylandSetPower, WaylandList, WaylandSupported},
    {"x11", X11SetPower, X11List, X11Supported},
};

bool SetPower(bool on, int& errorCode) {
  errorCode = 0;
  if (dry_run::Active()) {
    dry_run::Record("monitor", {{"state", on ? "on" : "off"}});
    return true;
  }
  for (const DisplayRoute& route : kRoutes) {
    switch (route.setPower(on, errorCode)) {
      case Route::Done: errorCode = 0; return true;
      case Route::Failed:
        if (errorCode == 0)
          errorCode = EIO;
        return false;
      case Route::NotHere: break;
    }
  }
  errorCode = ENXIO;  // no display of any kind to ask
  return false;
}

}  // namespace

bool MonitorOff(int& errorCode) { return SetPower(false, errorCode); }

bool MonitorOn(int& errorCode) { return SetPower(true, errorCode); }

bool ListMonitors(std::vector<MonitorInfo>& monitors, int& errorCode) {
  monitors.clear();
  errorCode = 0;
  for (const DisplayRoute& route : kRoutes) {
    switch (route.list(monitors, errorCode)) {
      case Route::Done: return true;
      case Route::Failed: monitors.clear(); return false;
      case Route::NotHere: monitors.clear(); break;
    }
  }
  // No display server: the kernel's view of each connector.
  errorCode = 0;
  monitors = DrmMonitors(PowerState::Unknown);
  return true;
}

PowerState MonitorPowerState() {
  std::vector<MonitorInfo> monitors;
  int errorCode = 0;
  if (!ListMonitors(monitors, errorCode) || monitors.empty())
    return PowerState::Unknown;
  return monitors.front().state;
}

bool MonitorSupported(int& errorCode) {
  errorCode = 0;
  for (const DisplayRoute& route : kRoutes) {
    switch (route.supported(errorCode)) {
      case Route::Done: errorCode = 0; return true;
      case Route::Failed: return false;
      case Route::NotHere: break;
    }
  }
  errorCode = 0;
  return false;
}

}  // namespace os::display
