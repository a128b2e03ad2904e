#pragma once
// Internal to the Linux platform layer: a short-lived client connection to
// the session's Wayland compositor, with its globals, outputs and seats, and
// waits that give up on a compositor that stops answering.
#include <wayland-client.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace os::wayland {

struct Global {
  std::string interface;
  std::uint32_t name = 0;
  std::uint32_t version = 0;
};

struct Output {
  wl_output* proxy = nullptr;
  std::string name;         // "HDMI-A-1" (wl_output 4)
  std::string description;  // the compositor's words (wl_output 4)
  std::string make;
  std::string model;
};

// "<description or make model> (<name>)", or whichever part is known.
std::string DescribeOutput(const Output& output);

class Client {
 public:
  // Connects only when the environment names a compositor (WAYLAND_DISPLAY
  // or WAYLAND_SOCKET): the library's default socket may be someone else's.
  Client();
  ~Client();
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  bool Connected() const { return m_display != nullptr; }
  // errno-style code of the connection's failure: ENXIO when not connected,
  // the protocol or socket error otherwise, ETIMEDOUT after a wait ran out.
  int ErrorCode() const;

  const Global* Find(const char* interface) const;
  // Binds a global at the lower of its version and ours.
  void* Bind(const Global& global, const wl_interface* interface, std::uint32_t version);

  std::vector<Output>& Outputs() { return m_outputs; }
  const std::vector<wl_seat*>& Seats() const { return m_seats; }

  // Waits until the compositor has handled every request sent so far.
  bool Roundtrip();
  // Dispatches events until `done` holds; false on error or after `limit`.
  bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit);
  // Dispatches the events that have already arrived, without waiting; false
  // once the connection has failed.
  bool DispatchAvailable();

 private:
  bool DispatchOnce(std::chrono::steady_clock::time_point deadline);

  wl_display* m_display = nullptr;
  wl_registry* m_registry = nullptr;
  std::vector<Global> m_globals;
  std::vector<Output> m_outputs;
  std::vector<wl_seat*> m_seats;
  int m_timeoutError = 0;
};

// How long any single wait on the compositor may take.
inline constexpr std::chrono::milliseconds kAnswerLimit{5000};

}  // namespace os::wayland
