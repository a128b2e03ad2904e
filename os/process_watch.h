#pragma once
// Waits for one process to end without polling its state: the system hands
// out a handle that becomes ready when the process is gone.
#include <chrono>
#include <cstdint>

namespace os::process_watch {

class Watch {
 public:
  Watch() = default;
  ~Watch();
  Watch(const Watch&) = delete;
  Watch& operator=(const Watch&) = delete;

  // Watches `pid` (closing any earlier watch). 0, or the system's error code:
  // ESRCH / ERROR_INVALID_PARAMETER when there is no such process.
  int Open(std::uint32_t pid);
  void Close();
  bool IsOpen() const { return m_handle != kNone; }
  std::uint32_t Pid() const { return m_pid; }

  // True once the watched process has ended (or nothing is watched); waits
  // at most `timeout` for that.
  bool Ended(std::chrono::milliseconds timeout = std::chrono::milliseconds(0));

 private:
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t m_handle = kNone;  // a pidfd, or a process HANDLE
  std::uint32_t m_pid = 0;
};

}  // namespace os::process_watch
