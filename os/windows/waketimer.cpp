// A waitable timer with resume, waited on by the system's thread pool.
// "Unsupported": the system set the timer but says it cannot wake the machine
// (ERROR_NOT_SUPPORTED after success); then the timer is not kept.
#include "os/waketimer.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

#include "os/dry_run.h"

namespace os::waketimer {

namespace {

// Lives until the wait is gone; a callback that cancels its own timer leaves
// its deletion to itself.
struct Waiter {
  std::function<void()> fired;
  std::atomic<DWORD> runningThread{0};
  bool orphaned = false;  // written only on the running thread
};

void CALLBACK OnTimer(PVOID context, BOOLEAN) {
  auto* waiter = static_cast<Waiter*>(context);
  waiter->runningThread = GetCurrentThreadId();
  if (waiter->fired)
    waiter->fired();
  waiter->runningThread = 0;
  if (waiter->orphaned)
    delete waiter;
}

}  // namespace

struct Timer::State {
  std::mutex mutex;
  HANDLE timer = nullptr;
  HANDLE wait = nullptr;
  Waiter* waiter = nullptr;
  bool dryArmed = false;
};

Timer::Timer() : m_state(std::make_unique<State>()) {}

Timer::~Timer() { Cancel(); }

bool Timer::Armed() const {
  std::lock_guard lock(m_state->mutex);
  return m_state->timer != nullptr || m_state->dryArmed;
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
  HANDLE timer = CreateWaitableTimerW(nullptr, TRUE, nullptr);
  if (!timer)
    return {Result::Failed, static_cast<int>(GetLastError())};
  LARGE_INTEGER due{};
  due.QuadPart = -seconds * 10'000'000LL;  // relative, in 100 ns
  SetLastError(ERROR_SUCCESS);
  if (!SetWaitableTimer(timer, &due, 0, nullptr, nullptr, TRUE)) {
    const int error = static_cast<int>(GetLastError());
    CloseHandle(timer);
    return {Result::Failed, error};
  }
  if (GetLastError() == ERROR_NOT_SUPPORTED) {
    CancelWaitableTimer(timer);
    CloseHandle(timer);
    return {Result::Unsupported, ERROR_NOT_SUPPORTED};
  }
  auto* waiter = new Waiter{std::move(fired)};
  HANDLE wait = nullptr;
  if (!RegisterWaitForSingleObject(&wait, timer, OnTimer, waiter, INFINITE, WT_EXECUTEONLYONCE)) {
    const int error = static_cast<int>(GetLastError());
    CancelWaitableTimer(timer);
    CloseHandle(timer);
    delete waiter;
    return {Result::Failed, error};
  }
  std::lock_guard lock(m_state->mutex);
  m_state->timer = timer;
  m_state->wait = wait;
  m_state->waiter = waiter;
  return {Result::Ok, 0};
}

int Timer::Cancel() {
  HANDLE timer = nullptr;
  HANDLE wait = nullptr;
  Waiter* waiter = nullptr;
  {
    std::lock_guard lock(m_state->mutex);
    if (m_state->dryArmed) {
      m_state->dryArmed = false;
      dry_run::Record("waketimer cancel");
    }
    timer = m_state->timer;
    wait = m_state->wait;
    waiter = m_state->waiter;
    m_state->timer = m_state->wait = nullptr;
    m_state->waiter = nullptr;
  }
  if (!timer)
    return 0;
  int failure = 0;
  if (!CancelWaitableTimer(timer))
    failure = static_cast<int>(GetLastError());
  if (waiter->runningThread == GetCurrentThreadId()) {
    // Called from its own callback: waiting for the callback would never end.
    UnregisterWaitEx(wait, nullptr);
    waiter->orphaned = true;
  } else {
    // Waits until a running callback has returned.
    if (!UnregisterWaitEx(wait, INVALID_HANDLE_VALUE) && failure == 0)
      failure = static_cast<int>(GetLastError());
    delete waiter;
  }
  CloseHandle(timer);
  return failure;
}

}  // namespace os::waketimer
