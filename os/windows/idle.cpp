#include "os/idle.h"

#include <windows.h>

namespace os::idle {

namespace {

class LastInput : public Monitor {
 public:
  Source Kind() const override { return Source::Windows; }
  std::optional<std::uint64_t> IdleMilliseconds() override {
    LASTINPUTINFO info{};
    info.cbSize = sizeof info;
    if (!::GetLastInputInfo(&info))
      return std::nullopt;
    // Both are 32-bit tick counts: the difference survives their wrap.
    return static_cast<std::uint64_t>(static_cast<DWORD>(::GetTickCount() - info.dwTime));
  }
};

}  // namespace

std::unique_ptr<Monitor> Open(std::string& reason) {
  auto monitor = std::make_unique<LastInput>();
  if (!monitor->IdleMilliseconds()) {
    reason = "This session does not report the time since the last input.";
    return nullptr;
  }
  return monitor;
}

}  // namespace os::idle
