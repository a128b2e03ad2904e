// Emptying the clipboard of a Wayland compositor through its data-control
// protocol (wlroots compositors, KWin): setting "no source" unsets the
// clipboard and the primary selection of every seat.
#include <cerrno>
#include <cstdint>
#include <vector>

#include "ext-data-control-v1-client.h"
#include "os/linux/clipboard_internal.h"
#include "os/linux/wayland_client.h"
#include "wlr-data-control-unstable-v1-client.h"

namespace os::clipboard::internal {

namespace {

// The ext protocol is the wlroots one under a new name: same requests, same
// events, same order. One code path drives both through these rows.
static_assert(EXT_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE == ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE);
static_assert(EXT_DATA_CONTROL_MANAGER_V1_DESTROY == ZWLR_DATA_CONTROL_MANAGER_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_DEVICE_V1_SET_SELECTION == ZWLR_DATA_CONTROL_DEVICE_V1_SET_SELECTION);
static_assert(EXT_DATA_CONTROL_DEVICE_V1_SET_PRIMARY_SELECTION == ZWLR_DATA_CONTROL_DEVICE_V1_SET_PRIMARY_SELECTION);
static_assert(EXT_DATA_CONTROL_DEVICE_V1_DESTROY == ZWLR_DATA_CONTROL_DEVICE_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_OFFER_V1_DESTROY == ZWLR_DATA_CONTROL_OFFER_V1_DESTROY);

struct DataControl {
  const wl_interface* manager;
  const wl_interface* device;
  std::uint32_t version;         // the newest we speak
  std::uint32_t primarySince;    // first version with the primary selection
};

const DataControl kDataControls[] = {
    {&ext_data_control_manager_v1_interface, &ext_data_control_device_v1_interface, 1, 1},
    {&zwlr_data_control_manager_v1_interface, &zwlr_data_control_device_v1_interface, 2,
     ZWLR_DATA_CONTROL_DEVICE_V1_SET_PRIMARY_SELECTION_SINCE_VERSION},
};

struct Device {
  wl_proxy* proxy = nullptr;
  bool hasSelection = false;
  bool hasPrimary = false;
  bool finished = false;
  std::vector<wl_proxy*> offers;
};

// The device's events, for either protocol (their listeners have one shape).
struct DeviceListener {
  void (*dataOffer)(void*, wl_proxy*, wl_proxy*);
  void (*selection)(void*, wl_proxy*, wl_proxy*);
  void (*finished)(void*, wl_proxy*);
  void (*primarySelection)(void*, wl_proxy*, wl_proxy*);
};

const DeviceListener kDeviceListener = {
    [](void* data, wl_proxy*, wl_proxy* offer) { static_cast<Device*>(data)->offers.push_back(offer); },
    [](void* data, wl_proxy*, wl_proxy* offer) { static_cast<Device*>(data)->hasSelection = offer != nullptr; },
    [](void* data, wl_proxy*) { static_cast<Device*>(data)->finished = true; },
    [](void* data, wl_proxy*, wl_proxy* offer) { static_cast<Device*>(data)->hasPrimary = offer != nullptr; },
};

void Destroy(wl_proxy* proxy, std::uint32_t opcode) {
  wl_proxy_marshal_flags(proxy, opcode, nullptr, wl_proxy_get_version(proxy), WL_MARSHAL_FLAG_DESTROY);
}

}  // namespace

Route WaylandEmpty(int& code) {
  wayland::Client client;
  if (!client.Connected())
    return Route::NotHere;
  const DataControl* control = nullptr;
  const wayland::Global* global = nullptr;
  for (const DataControl& row : kDataControls) {
    if ((global = client.Find(row.manager->name))) {
      control = &row;
      break;
    }
  }
  if (!control || client.Seats().empty())
    return Route::NoWay;

  auto* manager = static_cast<wl_proxy*>(client.Bind(*global, control->manager, control->version));
  const std::uint32_t version = wl_proxy_get_version(manager);
  std::vector<Device> devices(client.Seats().size());
  for (std::size_t i = 0; i < devices.size(); ++i) {
    devices[i].proxy = wl_proxy_marshal_flags(manager, ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE, control->device,
                                              version, 0, nullptr, client.Seats()[i]);
    auto* listener = reinterpret_cast<void (**)(void)>(const_cast<DeviceListener*>(&kDeviceListener));
    wl_proxy_add_listener(devices[i].proxy, listener, &devices[i]);
  }
  bool ok = client.Roundtrip();
  if (ok) {
    for (Device& device : devices) {
      if (device.finished)
        continue;
      wl_proxy_marshal_flags(device.proxy, ZWLR_DATA_CONTROL_DEVICE_V1_SET_SELECTION, nullptr, version, 0, nullptr);
      if (version >= control->primarySince)
        wl_proxy_marshal_flags(device.proxy, ZWLR_DATA_CONTROL_DEVICE_V1_SET_PRIMARY_SELECTION, nullptr, version, 0,
                               nullptr);
    }
    // Done when the compositor tells every seat's device that nothing is left.
    ok = client.WaitFor(
        [&devices] {
          for (const Device& device : devices)
            if (!device.finished && (device.hasSelection || device.hasPrimary))
              return false;
          return true;
        },
        wayland::kAnswerLimit);
  }
  bool anyDevice = false;
  for (Device& device : devices) {
    anyDevice = anyDevice || !device.finished;
    for (wl_proxy* offer : device.offers)
      Destroy(offer, ZWLR_DATA_CONTROL_OFFER_V1_DESTROY);
    Destroy(device.proxy, ZWLR_DATA_CONTROL_DEVICE_V1_DESTROY);
  }
  Destroy(manager, ZWLR_DATA_CONTROL_MANAGER_V1_DESTROY);
  if (!ok) {
    code = client.ErrorCode();
    return Route::Failed;
  }
  if (!anyDevice) {
    code = ENOTSUP;
    return Route::Failed;
  }
  code = 0;
  return Route::Done;
}

}  // namespace os::clipboard::internal
