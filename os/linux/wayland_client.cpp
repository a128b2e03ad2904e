#include "os/linux/wayland_client.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace os::wayland {

namespace {

std::string Trimmed(const char* text) {
  std::string value = text ? text : "";
  const auto first = value.find_first_not_of(" \t");
  if (first == std::string::npos)
    return {};
  return value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

void OnGlobal(void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version) {
  static_cast<std::vector<Global>*>(data)->push_back({interface ? interface : "", name, version});
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

void OnGeometry(void* data, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                const char* make, const char* model, std::int32_t) {
  auto* output = static_cast<Output*>(data);
  output->make = Trimmed(make);
  output->model = Trimmed(model);
}
void OnMode(void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {}
void OnDone(void*, wl_output*) {}
void OnScale(void*, wl_output*, std::int32_t) {}
void OnName(void* data, wl_output*, const char* name) { static_cast<Output*>(data)->name = Trimmed(name); }
void OnDescription(void* data, wl_output*, const char* text) {
  static_cast<Output*>(data)->description = Trimmed(text);
}

const wl_output_listener kOutputListener = {OnGeometry, OnMode, OnDone, OnScale, OnName, OnDescription};

}  // namespace

std::string DescribeOutput(const Output& output) {
  std::string words = output.description;
  if (words.empty())
    words = Trimmed((output.make + " " + output.model).c_str());
  if (output.name.empty())
    return words;
  return words.empty() ? output.name : words + " (" + output.name + ")";
}

Client::Client() {
  const char* display = std::getenv("WAYLAND_DISPLAY");
  const char* socket = std::getenv("WAYLAND_SOCKET");
  if ((!display || !*display) && (!socket || !*socket))
    return;
  m_display = wl_display_connect(nullptr);
  if (!m_display)
    return;
  m_registry = wl_display_get_registry(m_display);
  wl_registry_add_listener(m_registry, &kRegistryListener, &m_globals);
  if (!Roundtrip())
    return;
  std::size_t outputCount = 0;
  for (const Global& global : m_globals)
    outputCount += global.interface == wl_output_interface.name;
  // Listeners keep pointers into the vector: it must not grow after this.
  m_outputs.reserve(outputCount);
  for (const Global& global : m_globals) {
    if (global.interface == wl_output_interface.name) {
      m_outputs.emplace_back();
      Output& output = m_outputs.back();
      output.proxy = static_cast<wl_output*>(Bind(global, &wl_output_interface, 4));
      wl_output_add_listener(output.proxy, &kOutputListener, &output);
    } else if (global.interface == wl_seat_interface.name) {
      m_seats.push_back(static_cast<wl_seat*>(Bind(global, &wl_seat_interface, 1)));
    }
  }
  Roundtrip();
}

Client::~Client() {
  if (!m_display)
    return;
  for (Output& output : m_outputs) {
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(output.proxy)) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
      wl_output_release(output.proxy);
    else
      wl_output_destroy(output.proxy);
  }
  for (wl_seat* seat : m_seats)
    wl_seat_destroy(seat);
  wl_registry_destroy(m_registry);
  // Requests still queued (a switch just asked for) must reach the compositor.
  wl_display_flush(m_display);
  wl_display_disconnect(m_display);
}

int Client::ErrorCode() const {
  if (!m_display)
    return ENXIO;
  const int error = wl_display_get_error(m_display);
  return error != 0 ? error : m_timeoutError;
}

const Global* Client::Find(const char* interface) const {
  auto found = std::find_if(m_globals.begin(), m_globals.end(),
                            [interface](const Global& global) { return global.interface == interface; });
  return found == m_globals.end() ? nullptr : &*found;
}

void* Client::Bind(const Global& global, const wl_interface* interface, std::uint32_t version) {
  return wl_registry_bind(m_registry, global.name, interface, std::min(version, global.version));
}

bool Client::Roundtrip() {
  if (!m_display)
    return false;
  bool done = false;
  static const wl_callback_listener kListener = {[](void* data, wl_callback* callback, std::uint32_t) {
    *static_cast<bool*>(data) = true;
    wl_callback_destroy(callback);
  }};
  wl_callback* callback = wl_display_sync(m_display);
  wl_callback_add_listener(callback, &kListener, &done);
  const bool answered = WaitFor([&done] { return done; }, kAnswerLimit);
  if (!done)
    wl_callback_destroy(callback);  // it must not write to `done` later
  return answered;
}

bool Client::WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  if (!m_display)
    return false;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  if (wl_display_dispatch_pending(m_display) < 0)
    return false;
  while (!done()) {
    if (!DispatchOnce(deadline))
      return false;
  }
  return true;
}

bool Client::DispatchAvailable() {
  if (!m_display)
    return false;
  while (wl_display_prepare_read(m_display) != 0) {
    if (wl_display_dispatch_pending(m_display) < 0)
      return false;
  }
  if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(m_display);
    return false;
  }
  pollfd descriptor{wl_display_get_fd(m_display), POLLIN, 0};
  int ready;
  do
    ready = poll(&descriptor, 1, 0);
  while (ready < 0 && errno == EINTR);
  if (ready <= 0) {
    wl_display_cancel_read(m_display);
    return ready == 0 && wl_display_get_error(m_display) == 0;
  }
  if (wl_display_read_events(m_display) < 0)
    return false;
  return wl_display_dispatch_pending(m_display) >= 0;
}

bool Client::DispatchOnce(std::chrono::steady_clock::time_point deadline) {
  while (wl_display_prepare_read(m_display) != 0) {
    if (wl_display_dispatch_pending(m_display) < 0)
      return false;
  }
  if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(m_display);
    return false;
  }
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  pollfd descriptor{wl_display_get_fd(m_display), POLLIN, 0};
  int ready = left.count() > 0 ? poll(&descriptor, 1, static_cast<int>(left.count())) : 0;
  while (ready < 0 && errno == EINTR)
    ready = poll(&descriptor, 1, 0);
  if (ready <= 0) {
    wl_display_cancel_read(m_display);
    if (ready == 0)
      m_timeoutError = ETIMEDOUT;
    return false;
  }
  if (wl_display_read_events(m_display) < 0)
    return false;
  return wl_display_dispatch_pending(m_display) >= 0;
}

}  // namespace os::wayland
