// Idle time by what the session offers, first answer wins: GNOME's idle
// monitor (Mutter, X11 or Wayland), a Wayland compositor's ext_idle_notify_v1
// (wlroots, KWin) or KDE's idle protocol (sway 1.7 and other wlroots 0.15), the X server's screen-saver extension, and logind's idle
// hint of our session, which the desktop sets only after its own delay.
#include "os/idle.h"

#include <X11/Xlib.h>
#include <sys/stat.h>
#include <X11/extensions/scrnsaver.h>
// Xlib's macro would hide Source::None.
#undef None

#include <chrono>
#include <cstdlib>
#include <ctime>

#include "ext-idle-notify-v1-client.h"
#include "idle-client.h"
#include "os/linux/logind.h"
#include "os/linux/wayland_client.h"

namespace os::idle {

namespace {

// A hung desktop must not freeze the window that asks every second.
constexpr int kAskTimeoutMs = 1000;

std::uint64_t MonotonicMicroseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
}

std::optional<std::uint64_t> UnsignedReply(GVariant* reply, const char* format) {
  if (!reply)
    return std::nullopt;
  guint64 value = 0;
  g_variant_get(reply, format, &value);
  g_variant_unref(reply);
  return value;
}

// Asking GLib for the session bus without one named would autolaunch a bus
// through dbus-launch (a blocking child process): only a named or standard
// one is asked.
bool SessionBusNamed() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address && *address)
    return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat info {};
  return runtime && *runtime && ::stat((std::string(runtime) + "/bus").c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

class MutterMonitor : public Monitor {
 public:
  bool Open() {
    if (!SessionBusNamed())
      return false;
    logind::Error error;
    return m_bus.Open(logind::BusType::Session, error) && IdleMilliseconds().has_value();
  }
  Source Kind() const override { return Source::MutterIdleMonitor; }
  std::optional<std::uint64_t> IdleMilliseconds() override {
    logind::Error error;
    return UnsignedReply(m_bus.Call("org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core",
                                    "org.gnome.Mutter.IdleMonitor", "GetIdletime", nullptr, kAskTimeoutMs, error,
                                    G_DBUS_CALL_FLAGS_NO_AUTO_START),
                         "(t)");
  }

 private:
  logind::Bus m_bus;
};

// Both protocols tell only "idle since <timeout>" and "active again": a short
// timeout turns that into a running idle time.
class WaylandMonitor : public Monitor {
 public:
  static constexpr std::uint32_t kTimeoutMs = 1000;

  ~WaylandMonitor() override {
    if (m_extNotification)
      ext_idle_notification_v1_destroy(m_extNotification);
    if (m_extNotifier)
      ext_idle_notifier_v1_destroy(m_extNotifier);
    if (m_kdeTimeout)
      org_kde_kwin_idle_timeout_release(m_kdeTimeout);
    if (m_kdeIdle)
      org_kde_kwin_idle_destroy(m_kdeIdle);  // the protocol has no destructor request
  }

  bool Open() {
    if (m_client.Seats().empty())
      return false;
    wl_seat* seat = m_client.Seats().front();
    if (const wayland::Global* ext = m_client.Find(ext_idle_notifier_v1_interface.name)) {
      m_kind = Source::ExtIdleNotify;
      m_extNotifier = static_cast<ext_idle_notifier_v1*>(m_client.Bind(*ext, &ext_idle_notifier_v1_interface, 1));
      m_extNotification = ext_idle_notifier_v1_get_idle_notification(m_extNotifier, kTimeoutMs, seat);
      static const ext_idle_notification_v1_listener kListener = {
          [](void* data, ext_idle_notification_v1*) { static_cast<WaylandMonitor*>(data)->Idled(); },
          [](void* data, ext_idle_notification_v1*) { static_cast<WaylandMonitor*>(data)->m_idle = false; },
      };
      ext_idle_notification_v1_add_listener(m_extNotification, &kListener, this);
    } else if (const wayland::Global* kde = m_client.Find(org_kde_kwin_idle_interface.name)) {
      m_kind = Source::KdeIdle;
      m_kdeIdle = static_cast<org_kde_kwin_idle*>(m_client.Bind(*kde, &org_kde_kwin_idle_interface, 1));
      m_kdeTimeout = org_kde_kwin_idle_get_idle_timeout(m_kdeIdle, seat, kTimeoutMs);
      static const org_kde_kwin_idle_timeout_listener kListener = {
          [](void* data, org_kde_kwin_idle_timeout*) { static_cast<WaylandMonitor*>(data)->Idled(); },
          [](void* data, org_kde_kwin_idle_timeout*) { static_cast<WaylandMonitor*>(data)->m_idle = false; },
      };
      org_kde_kwin_idle_timeout_add_listener(m_kdeTimeout, &kListener, this);
    } else {
      return false;
    }
    return m_client.Roundtrip();
  }

  Source Kind() const override { return m_kind; }
  std::optional<std::uint64_t> IdleMilliseconds() override {
    if (!m_client.DispatchAvailable())
      return std::nullopt;
    if (!m_idle)
      return 0;
    return (MonotonicMicroseconds() - m_idleSince) / 1000u;
  }

 private:
  void Idled() {
    m_idleSince = MonotonicMicroseconds() - kTimeoutMs * 1000u;
    m_idle = true;
  }

  wayland::Client m_client;
  Source m_kind = Source::None;
  ext_idle_notifier_v1* m_extNotifier = nullptr;
  ext_idle_notification_v1* m_extNotification = nullptr;
  org_kde_kwin_idle* m_kdeIdle = nullptr;
  org_kde_kwin_idle_timeout* m_kdeTimeout = nullptr;
  bool m_idle = false;
  std::uint64_t m_idleSince = 0;  // monotonic microseconds
};

class X11Monitor : public Monitor {
 public:
  ~X11Monitor() override {
    if (m_info)
      XFree(m_info);
    if (m_display)
      XCloseDisplay(m_display);
  }
  bool Open() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name || !(m_display = XOpenDisplay(nullptr)))
      return false;
    int eventBase = 0;
    int errorBase = 0;
    if (!XScreenSaverQueryExtension(m_display, &eventBase, &errorBase))
      return false;
    m_info = XScreenSaverAllocInfo();
    return m_info && IdleMilliseconds().has_value();
  }
  Source Kind() const override { return Source::XScreenSaver; }
  std::optional<std::uint64_t> IdleMilliseconds() override {
    if (!XScreenSaverQueryInfo(m_display, DefaultRootWindow(m_display), m_info))
      return std::nullopt;
    return m_info->idle;
  }

 private:
  Display* m_display = nullptr;
  XScreenSaverInfo* m_info = nullptr;
};

class LogindMonitor : public Monitor {
 public:
  bool Open() {
    logind::Error error;
    return m_bus.Open(logind::BusType::System, error) && logind::FindOwnSession(m_bus, m_session, error) &&
           IdleMilliseconds().has_value();
  }
  Source Kind() const override { return Source::Logind; }
  std::optional<std::uint64_t> IdleMilliseconds() override {
    logind::Error error;
    GVariant* reply = m_bus.Call(logind::kService, m_session.c_str(), "org.freedesktop.DBus.Properties", "GetAll",
                                 g_variant_new("(s)", logind::kSessionInterface), kAskTimeoutMs, error);
    if (!reply)
      return std::nullopt;
    GVariant* properties = g_variant_get_child_value(reply, 0);
    gboolean idle = FALSE;
    guint64 since = 0;
    const bool known = g_variant_lookup(properties, "IdleHint", "b", &idle) &&
                       g_variant_lookup(properties, "IdleSinceHintMonotonic", "t", &since);
    g_variant_unref(properties);
    g_variant_unref(reply);
    if (!known)
      return std::nullopt;
    const std::uint64_t now = MonotonicMicroseconds();
    return idle && since <= now ? (now - since) / 1000u : 0;
  }

 private:
  logind::Bus m_bus;
  std::string m_session;
};

template <typename T>
std::unique_ptr<Monitor> Try() {
  auto monitor = std::make_unique<T>();
  if (!monitor->Open())
    return nullptr;
  return monitor;
}

}  // namespace

std::unique_ptr<Monitor> Open(std::string& reason) {
  if (auto monitor = Try<MutterMonitor>())
    return monitor;
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (wayland && *wayland) {
    if (auto monitor = Try<WaylandMonitor>())
      return monitor;
  } else if (auto monitor = Try<X11Monitor>()) {
    // XWayland sees only the input of X programs: never asked on Wayland.
    return monitor;
  }
  if (auto monitor = Try<LogindMonitor>())
    return monitor;
  reason = wayland && *wayland ? "Neither the compositor nor the session reports the time since the last input."
                               : "Neither the desktop nor the session reports the time since the last input.";
  return nullptr;
}

}  // namespace os::idle
