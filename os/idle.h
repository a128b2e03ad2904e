#pragma once
// How long the user has left the computer alone: the time since the last
// keyboard or pointer input, as the session's own input owner reports it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace os::idle {

enum class Source { None, MutterIdleMonitor, ExtIdleNotify, KdeIdle, XScreenSaver, Logind, Windows };

// "org.gnome.Mutter.IdleMonitor", "ext_idle_notify_v1", ... for the log and
// the tests.
const char* SourceName(Source source);

class Monitor {
 public:
  virtual ~Monitor() = default;
  virtual Source Kind() const = 0;
  // Milliseconds since the last input; nothing once the source stopped
  // answering.
  virtual std::optional<std::uint64_t> IdleMilliseconds() = 0;
};

// The first source of this session that answers: GNOME's idle monitor, the
// Wayland compositor (ext_idle_notify_v1, else KDE's idle protocol, which
// older wlroots compositors offer), the X server, logind. Null with the reason (a sentence
// for the user) when none does.
std::unique_ptr<Monitor> Open(std::string& reason);

}  // namespace os::idle
