#include "os/process_watch.h"

#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

#ifndef SYS_pidfd_open
#define SYS_pidfd_open 434
#endif

namespace os::process_watch {

Watch::~Watch() { Close(); }

int Watch::Open(std::uint32_t pid) {
  Close();
  if (pid == 0)
    return ESRCH;
  // A pidfd stays tied to this very process even if its number is reused.
  const long fd = ::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0u);
  if (fd < 0)
    return errno;
  m_handle = static_cast<std::intptr_t>(fd);
  m_pid = pid;
  return 0;
}

void Watch::Close() {
  if (m_handle != kNone)
    ::close(static_cast<int>(m_handle));
  m_handle = kNone;
  m_pid = 0;
}

bool Watch::Ended(std::chrono::milliseconds timeout) {
  if (m_handle == kNone)
    return true;
  pollfd descriptor{static_cast<int>(m_handle), POLLIN, 0};
  int ready;
  do
    ready = ::poll(&descriptor, 1, static_cast<int>(timeout.count()));
  while (ready < 0 && errno == EINTR);
  // Readable once the process is gone (a zombie counts as ended).
  return ready > 0;
}

}  // namespace os::process_watch
