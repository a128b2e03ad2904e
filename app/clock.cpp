#include "app/clock.h"

#include <thread>

namespace {

class SystemClock : public Clock {
 public:
  std::chrono::system_clock::time_point Now() const override { return std::chrono::system_clock::now(); }
  std::chrono::steady_clock::time_point Monotonic() const override { return std::chrono::steady_clock::now(); }
  void Sleep(std::chrono::milliseconds duration) override { std::this_thread::sleep_for(duration); }
};

SystemClock g_systemClock;
Clock* g_clock = &g_systemClock;

}  // namespace

Clock& CurrentClock() { return *g_clock; }

Clock* SetClock(Clock* clock) {
  Clock* previous = g_clock;
  g_clock = clock ? clock : &g_systemClock;
  return previous == &g_systemClock ? nullptr : previous;
}

std::int64_t EpochSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(CurrentClock().Now().time_since_epoch()).count();
}
