// Monitors on X11: DPMS where the server has it, else the core screen saver
// (queried through MIT-SCREEN-SAVER); monitors from DRM connectors, else RandR.
#include <cstdlib>
#include <fstream>
#include <mutex>

#include "os/linux/display_internal.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>

namespace os::display::internal {

static_assert(kDpmsOn == DPMSModeOn && kDpmsStandby == DPMSModeStandby && kDpmsSuspend == DPMSModeSuspend &&
              kDpmsOff == DPMSModeOff);
static_assert(kSaverOff == ScreenSaverOff && kSaverOn == ScreenSaverOn && kSaverCycle == ScreenSaverCycle &&
              kSaverDisabled == ScreenSaverDisabled);

namespace {

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

std::vector<std::string> RandrOutputNames() {
  Connection connection;
  std::vector<std::string> names;
  if (connection.Get())
    QueryRandrOutputs(connection.Get(), false, names);
  return names;
}
Route X11SetPower(bool on, int& code) {
  Connection connection;
  Display* display = connection.Get();
  if (!display)
    return Route::NotHere;
  const bool dpms = HasDpms(display);
  if (!on) {
    if (dpms) {
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
  } else {
    if (dpms) {
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
  }
  code = connection.Sync();
  return code == 0 ? Route::Done : Route::Failed;
}

Route X11List(std::vector<MonitorInfo>& monitors, int& code) {
  Connection connection;
  Display* display = connection.Get();
  if (!display)
    return Route::NotHere;
  // The display server switches all its monitors together.
  const PowerState serverState = QueryState(display);
  monitors = DrmMonitors(serverState);
  if (!monitors.empty())
    return Route::Done;
  std::vector<std::string> names;
  if (!QueryRandrOutputs(display, true, names)) {
    code = connection.Sync();
    return code == 0 ? Route::Done : Route::Failed;  // a server without RandR lists nothing
  }
  for (const std::string& name : names)
    monitors.push_back({name, serverState});
  return Route::Done;
}

Route X11Supported(int&) {
  Connection connection;
  Display* display = connection.Get();
  if (!display)
    return Route::NotHere;
  return HasDpms(display) || HasScreenSaverExtension(display) ? Route::Done : Route::Failed;
}

}  // namespace os::display::internal
