#pragma once
// Tests that switch the power state of the run's one Xvfb screen hold this
// lock, so two of them (ctest runs tests side by side) never switch it at
// the same time. Linux test programs only.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

class DisplayLock {
 public:
  DisplayLock() {
    const char* display = std::getenv("DISPLAY");
    std::string name = "/tmp/dkwt-test-display-";
    for (const char* c = display ? display : ""; *c; ++c)
      name += (*c == '/' ? '_' : *c);
    m_fd = ::open((name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd >= 0)
      ::flock(m_fd, LOCK_EX);
  }
  ~DisplayLock() {
    if (m_fd >= 0)
      ::close(m_fd);
  }
  DisplayLock(const DisplayLock&) = delete;
  DisplayLock& operator=(const DisplayLock&) = delete;

 private:
  int m_fd = -1;
};
