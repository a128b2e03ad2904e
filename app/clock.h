#pragma once
// Time as the program sees it. Tests install a clock they drive themselves.
#include <chrono>
#include <cstdint>

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::chrono::system_clock::time_point Now() const = 0;
  virtual std::chrono::steady_clock::time_point Monotonic() const = 0;
  // Blocking pauses of the program (a few hundred milliseconds at most).
  virtual void Sleep(std::chrono::milliseconds duration) = 0;
};

Clock& CurrentClock();
// Installs a clock (nullptr restores the system clock). Returns the previous one.
Clock* SetClock(Clock* clock);

// Seconds since 1970-01-01 00:00 UTC by the current clock.
std::int64_t EpochSeconds();
