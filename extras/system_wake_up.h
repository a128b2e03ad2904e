#pragma once
// Arms the system wake-up timer just before a stand-by or hibernation.
#include <atomic>
#include <cstdint>
#include <functional>

#include "os/waketimer.h"

class Task;
class TaskHost;

class SystemWakeUp {
 public:
  // Due times below 10 s become 60 s: the machine needs the time to go down.
  static std::int64_t DueSeconds(std::int64_t wakeUpSeconds);

  // What the alarm after the wake-up plays; filled in by Arm.
  struct AfterWakeAlarm {
    std::atomic<bool>& sound;
    std::atomic<std::int32_t>& seconds;
  };

  // Arms the timer for the task's wake-up delay in force. `fired` runs on the
  // timer's thread when the time has come. 0: armed; 1: not armed (the system
  // cannot wake, or preparing failed); 2: the timer could not be set.
  // Failures are logged through the host.
  int Arm(Task& task, TaskHost& host, const AfterWakeAlarm& alarm, std::function<void()> fired);
  // 0, or 10589 when cancelling failed.
  int Cancel();
  bool Armed() const { return m_timer.Armed(); }

 private:
  os::waketimer::Timer m_timer;
};
