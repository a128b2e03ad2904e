#pragma once
#include "app/clock.h"

// A clock the test moves by hand; sleeping advances it instantly.
class FakeClock : public Clock {
 public:
  FakeClock() { m_previous = SetClock(this); }
  ~FakeClock() override { SetClock(m_previous); }

  std::chrono::system_clock::time_point Now() const override { return wall; }
  std::chrono::steady_clock::time_point Monotonic() const override { return mono; }
  void Sleep(std::chrono::milliseconds duration) override {
    slept += duration;
    Advance(duration);
  }
  void Advance(std::chrono::milliseconds duration) {
    wall += duration;
    mono += duration;
  }

  std::chrono::system_clock::time_point wall = std::chrono::system_clock::from_time_t(1291801234);
  std::chrono::steady_clock::time_point mono{};
  std::chrono::milliseconds slept{0};

 private:
  Clock* m_previous = nullptr;
};
