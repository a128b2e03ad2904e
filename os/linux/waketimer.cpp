// CLOCK_REALTIME_ALARM timers wake a suspended machine; creating one needs
// CAP_WAKE_ALARM (`setcap cap_wake_alarm+ep DKWT`). One thread per armed
// timer waits on the timer and on an eventfd that cancels it.
#include "os/waketimer.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>

#include "os/dry_run.h"

namespace os::waketimer {

struct Timer::State {
  std::mutex mutex;
  int timerFd = -1;
  int cancelFd = -1;
  std::thread waiter;
  bool dryArmed = false;
};

namespace {

bool MeansUnsupported(int error) {
  // EPERM: no CAP_WAKE_ALARM; the others: the kernel has no alarm clock.
  return error == EPERM || error == EOPNOTSUPP || error == ENOTSUP || error == EINVAL || error == ENODEV;
}

void CloseFd(int& fd) {
  if (fd >= 0)
    close(fd);
  fd = -1;
}

}  // namespace

Timer::Timer() : m_state(std::make_unique<State>()) {}

Timer::~Timer() { Cancel(); }

bool Timer::Armed() const {
  std::lock_guard lock(m_state->mutex);
  return m_state->timerFd >= 0 || m_state->dryArmed;
}

Outcome Timer::Arm(std::int64_t seconds, std::function<void()> fired) {
  Cancel();
  if (seconds < 1)
    seconds = 1;
  if (dry_run::Active()) {
    dry_run::Record("waketimer", {{"seconds", std::to_string(seconds)}});
    std::lock_guard lock(m_state->mutex);
    m_state->dryArmed = true;
    return {Result::Ok, 0};
  }
  int timerFd = timerfd_create(CLOCK_REALTIME_ALARM, TFD_CLOEXEC);
  if (timerFd < 0) {
    const int error = errno;
    return {MeansUnsupported(error) ? Result::Unsupported : Result::Failed, error};
  }
  int cancelFd = eventfd(0, EFD_CLOEXEC);
  if (cancelFd < 0) {
    const int error = errno;
    CloseFd(timerFd);
    return {Result::Failed, error};
  }
  itimerspec due{};
  due.it_value.tv_sec = static_cast<time_t>(seconds);
  if (timerfd_settime(timerFd, 0, &due, nullptr) != 0) {
    const int error = errno;
    CloseFd(timerFd);
    CloseFd(cancelFd);
    return {Result::Failed, error};
  }
  std::lock_guard lock(m_state->mutex);
  m_state->timerFd = timerFd;
  m_state->cancelFd = cancelFd;
  m_state->waiter = std::thread([timerFd, cancelFd, fired = std::move(fired)] {
    pollfd fds[2] = {{timerFd, POLLIN, 0}, {cancelFd, POLLIN, 0}};
    for (;;) {
      if (poll(fds, 2, -1) < 0) {
        if (errno == EINTR)
          continue;
        return;
      }
      if (fds[1].revents != 0)
        return;
      if (fds[0].revents != 0) {
        std::uint64_t expirations = 0;
        if (read(timerFd, &expirations, sizeof expirations) == sizeof expirations && expirations > 0 && fired)
          fired();
        return;
      }
    }
  });
  return {Result::Ok, 0};
}

int Timer::Cancel() {
  std::thread waiter;
  int timerFd = -1;
  int cancelFd = -1;
  {
    std::lock_guard lock(m_state->mutex);
    if (m_state->dryArmed) {
      m_state->dryArmed = false;
      dry_run::Record("waketimer cancel");
    }
    waiter = std::move(m_state->waiter);
    timerFd = m_state->timerFd;
    cancelFd = m_state->cancelFd;
    m_state->timerFd = -1;
    m_state->cancelFd = -1;
  }
  if (timerFd < 0)
    return 0;
  int failure = 0;
  itimerspec off{};
  if (timerfd_settime(timerFd, 0, &off, nullptr) != 0)
    failure = errno;
  const std::uint64_t one = 1;
  if (write(cancelFd, &one, sizeof one) != sizeof one && failure == 0)
    failure = errno;
  // The waiter may be the caller (a callback cancelling its own timer).
  if (waiter.joinable()) {
    if (waiter.get_id() == std::this_thread::get_id())
      waiter.detach();
    else
      waiter.join();
  }
  CloseFd(timerFd);
  CloseFd(cancelFd);
  return failure;
}

}  // namespace os::waketimer
