// GNOME: Mutter switches its monitors through the PowerSaveMode property of
// its display configuration on the session bus (X11 and Wayland sessions).
#include <cerrno>

#include "os/linux/display_internal.h"
#include "os/linux/logind.h"

namespace os::display::internal {

namespace {

constexpr const char* kService = "org.gnome.Mutter.DisplayConfig";
constexpr const char* kPath = "/org/gnome/Mutter/DisplayConfig";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

// Mutter's modes are the DPMS levels; -1 means it cannot switch.
constexpr int kMutterOn = 0;
constexpr int kMutterOff = 3;
constexpr int kMutterUnsupported = -1;

struct Mode {
  Route route = Route::NotHere;
  int value = kMutterUnsupported;
  int code = 0;
};

Mode ReadMode(const logind::Bus& bus) {
  logind::Error error;
  GVariant* reply = bus.Call(kService, kPath, kProperties, "Get", g_variant_new("(ss)", kService, "PowerSaveMode"),
                             logind::kQueryTimeoutMs, error, G_DBUS_CALL_FLAGS_NO_AUTO_START);
  Mode mode;
  if (!reply) {
    // Nobody owns the name: not a GNOME session.
    if (error.name == "org.freedesktop.DBus.Error.ServiceUnknown" ||
        error.name == "org.freedesktop.DBus.Error.NameHasNoOwner")
      return mode;
    mode.route = Route::Failed;
    mode.code = error.code != 0 ? error.code : EIO;
    return mode;
  }
  GVariant* boxed = nullptr;
  g_variant_get(reply, "(v)", &boxed);
  if (boxed && g_variant_is_of_type(boxed, G_VARIANT_TYPE_INT32)) {
    mode.route = Route::Done;
    mode.value = g_variant_get_int32(boxed);
  } else {
    mode.route = Route::Failed;
    mode.code = EPROTO;
  }
  if (boxed)
    g_variant_unref(boxed);
  g_variant_unref(reply);
  return mode;
}

bool OpenSessionBus(logind::Bus& bus) {
  logind::Error error;
  return bus.Open(logind::BusType::Session, error);
}

}  // namespace

PowerState StateFromMutter(int mode) {
  return mode == kMutterUnsupported ? PowerState::Unknown : StateFromDpms(true, mode);
}

Route MutterSetPower(bool on, int& code) {
  logind::Bus bus;
  if (!OpenSessionBus(bus))
    return Route::NotHere;
  Mode before = ReadMode(bus);
  if (before.route != Route::Done) {
    code = before.code;
    return before.route;
  }
  if (before.value == kMutterUnsupported) {
    code = ENOTSUP;
    return Route::Failed;
  }
  const int wanted = on ? kMutterOn : kMutterOff;
  logind::Error error;
  GVariant* reply =
      bus.Call(kService, kPath, kProperties, "Set",
               g_variant_new("(ssv)", kService, "PowerSaveMode", g_variant_new_int32(wanted)), logind::kQueryTimeoutMs,
               error, G_DBUS_CALL_FLAGS_NO_AUTO_START);
  if (!reply) {
    code = error.code != 0 ? error.code : EIO;
    return Route::Failed;
  }
  g_variant_unref(reply);
  // Mutter takes a mode its monitors cannot enter without complaint: ask again.
  Mode after = ReadMode(bus);
  if (after.route != Route::Done || after.value != wanted) {
    code = after.code != 0 ? after.code : ENOTSUP;
    return Route::Failed;
  }
  code = 0;
  return Route::Done;
}

Route MutterList(std::vector<MonitorInfo>& monitors, int& code) {
  logind::Bus bus;
  if (!OpenSessionBus(bus))
    return Route::NotHere;
  Mode mode = ReadMode(bus);
  if (mode.route != Route::Done) {
    code = mode.code;
    return mode.route;
  }
  // Mutter switches all its monitors together.
  for (const std::string& description : MonitorDescriptions())
    monitors.push_back({description, StateFromMutter(mode.value)});
  code = 0;
  return Route::Done;
}

Route MutterSupported(int& code) {
  logind::Bus bus;
  if (!OpenSessionBus(bus))
    return Route::NotHere;
  Mode mode = ReadMode(bus);
  code = mode.code;
  if (mode.route == Route::Done && mode.value == kMutterUnsupported)
    return Route::Failed;
  return mode.route;
}

}  // namespace os::display::internal
