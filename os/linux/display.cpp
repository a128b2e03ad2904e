// Monitors on X11: DPMS where the server has it, else the core screen saver
// (queried through MIT-SCREEN-SAVER); monitors from DRM connectors, else RandR.
#include "os/display.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>

#include "os/dry_run.h"
#include "os/linux/display_internal.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>

namespace os::display {

namespace internal {

static_assert(kDpmsOn == DPMSModeOn && kDpmsStandby == DPMSModeStandby && kDpmsSuspend == DPMSModeSuspend &&
              kDpmsOff == DPMSModeOff);
static_assert(kSaverOff == ScreenSaverOff && kSaverOn == ScreenSaverOn && kSaverCycle == ScreenSaverCycle &&
              kSaverDisabled == ScreenSaverDisabled);

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

}  // namespace internal

namespace {

using namespace internal;

const char kDrmClassFolder[] = "/sys/class/drm";

// One connection per call, so a server that went away (or a DISPLAY that
// changed) is noticed. X errors on it are caught by a handler that is
// installed only for its lifetime and passes other connections' errors on.
std::mutex g_connectionMutex;
Display* g_trappedDisplay = nullptr;
int g_trappedError = 0;
XErrorHandler g_previousHandler = nullptr;

int TrapError(Display* display, XErrorEvent* event) {
  if (display == g_trappedDisplay) {
    if (g_trappedError == 0)
      g_trappedError = event->error_code;
    return 0;
  }
  return g_previousHandler ? g_previousHandler(display, event) : 0;
}

class Connection {
 public:
  Connection() : m_lock(g_connectionMutex) {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name)
      return;  // also the Wayland-only session: nothing we can drive
    m_display = XOpenDisplay(nullptr);
    if (!m_display)
      return;
    g_trappedDisplay = m_display;
    g_trappedError = 0;
    g_previousHandler = XSetErrorHandler(TrapError);
  }
  ~Connection() {
    if (!m_display)
      return;
    XSync(m_display, False);
    XSetErrorHandler(g_previousHandler);
    g_previousHandler = nullptr;
    g_trappedDisplay = nullptr;
    XCloseDisplay(m_display);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  Display* Get() const { return m_display; }

  // Waits for the server to process the requests; the first error, or 0.
  int Sync() {
    XSync(m_display, False);
    int error = g_trappedError;
    g_trappedError = 0;
    return error;
  }

 private:
  std::lock_guard<std::mutex> m_lock;
  Display* m_display = nullptr;
};

bool HasDpms(Display* display) {
  int eventBase = 0;
  int errorBase = 0;
  return DPMSQueryExtension(display, &eventBase, &errorBase) && DPMSCapable(display);
}

bool HasScreenSaverExtension(Display* display) {
  int eventBase = 0;
  int errorBase = 0;
  return XScreenSaverQueryExtension(display, &eventBase, &errorBase);
}

PowerState QueryState(Display* display) {
  if (HasDpms(display)) {
    CARD16 level = 0;
    BOOL enabled = False;
    if (!DPMSInfo(display, &level, &enabled))
      return PowerState::Unknown;
    return StateFromDpms(enabled, level);
  }
  if (HasScreenSaverExtension(display)) {
    XScreenSaverInfo* info = XScreenSaverAllocInfo();
    if (!info)
      return PowerState::Unknown;
    PowerState state = PowerState::Unknown;
    if (XScreenSaverQueryInfo(display, DefaultRootWindow(display), info))
      state = StateFromScreenSaver(info->state);
    XFree(info);
    return state;
  }
  return PowerState::Unknown;
}

// RandR outputs of the default screen; false when RandR cannot answer.
bool QueryRandrOutputs(Display* display, bool connectedOnly, std::vector<std::string>& names) {
  int eventBase = 0;
  int errorBase = 0;
  int major = 0;
  int minor = 0;
  if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor))
    return false;
  Window root = DefaultRootWindow(display);
  // The "current" variant does not make the server probe the hardware again.
  bool current = major > 1 || (major == 1 && minor >= 3);
  XRRScreenResources* resources =
      current ? XRRGetScreenResourcesCurrent(display, root) : XRRGetScreenResources(display, root);
  if (!resources)
    return false;
  for (int i = 0; i < resources->noutput; ++i) {
    XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[i]);
    if (!output)
      continue;
    if (!connectedOnly || output->connection == RR_Connected)
      names.emplace_back(output->name ? std::string(output->name, static_cast<std::size_t>(output->nameLen))
                                      : std::string());
    XRRFreeOutputInfo(output);
  }
  XRRFreeScreenResources(resources);
  return true;
}

// Set when we had to switch DPMS on to blank the monitor: switching the
// monitor back on switches DPMS off again, so the user's choice survives.
bool g_dpmsEnabledByUs = false;

}  // namespace

std::vector<std::string> internal::RandrOutputNames() {
  Connection connection;
  std::vector<std::string> names;
  if (connection.Get())
    QueryRandrOutputs(connection.Get(), false, names);
  return names;
}

bool MonitorOff(int& errorCode) {
  errorCode = 0;
  if (dry_run::Active()) {
    dry_run::Record("monitor", {{"state", "off"}});
    return true;
  }
  Connection connection;
  Display* display = connection.Get();
  if (!display) {
    errorCode = ENXIO;
    return false;
  }
  if (HasDpms(display)) {
    CARD16 level = 0;
    BOOL enabled = False;
    DPMSInfo(display, &level, &enabled);
    if (!enabled) {
      DPMSEnable(display);
      g_dpmsEnabledByUs = true;
    }
    DPMSForceLevel(display, DPMSModeOff);
  } else {
    XForceScreenSaver(display, ScreenSaverActive);
  }
  errorCode = connection.Sync();
  return errorCode == 0;
}

bool MonitorOn(int& errorCode) {
  errorCode = 0;
  if (dry_run::Active()) {
    dry_run::Record("monitor", {{"state", "on"}});
    return true;
  }
  Connection connection;
  Display* display = connection.Get();
  if (!display) {
    errorCode = ENXIO;
    return false;
  }
  if (HasDpms(display)) {
    CARD16 level = 0;
    BOOL enabled = False;
    DPMSInfo(display, &level, &enabled);
    if (enabled)  // forcing a level with DPMS disabled is a BadMatch, and the monitor is on anyway
      DPMSForceLevel(display, DPMSModeOn);
    if (enabled && g_dpmsEnabledByUs)
      DPMSDisable(display);
    g_dpmsEnabledByUs = false;
  }
  // A blanking screen saver would keep the picture dark.
  XForceScreenSaver(display, ScreenSaverReset);
  errorCode = connection.Sync();
  return errorCode == 0;
}

PowerState MonitorPowerState() {
  Connection connection;
  return connection.Get() ? QueryState(connection.Get()) : PowerState::Unknown;
}

bool ListMonitors(std::vector<MonitorInfo>& monitors, int& errorCode) {
  monitors.clear();
  errorCode = 0;
  std::vector<DrmConnector> connectors = ConnectedDrmConnectors(kDrmClassFolder);
  Connection connection;
  Display* display = connection.Get();
  // The display server switches all its monitors together; without one the
  // kernel's view of each connector is the best answer.
  PowerState serverState = display ? QueryState(display) : PowerState::Unknown;
  if (!connectors.empty()) {
    for (const DrmConnector& connector : connectors) {
      PowerState state = serverState;
      if (state == PowerState::Unknown) {
        std::ifstream in(std::filesystem::path(connector.directory) / "dpms");
        std::string text;
        std::getline(in, text);
        state = StateFromSysfsDpms(text);
      }
      monitors.push_back({DrmDescription(connector), state});
    }
    return true;
  }
  if (!display)
    return true;  // no monitor we can see: an empty list, not a failure
  std::vector<std::string> names;
  if (!QueryRandrOutputs(display, true, names)) {
    errorCode = connection.Sync();
    return errorCode == 0;  // a server without RandR lists nothing
  }
  for (const std::string& name : names)
    monitors.push_back({name, serverState});
  return true;
}

bool MonitorSupported(int& errorCode) {
  errorCode = 0;
  Connection connection;
  Display* display = connection.Get();
  return display && (HasDpms(display) || HasScreenSaverExtension(display));
}

}  // namespace os::display
