#include "extras/system_wake_up.h"

#include <wx/string.h>

#include "app/task.h"
#include "app/task_host.h"

namespace {

constexpr int kUnsupported = 10591;
constexpr int kCancelFailed = 10589;
constexpr std::int64_t kHundredNanoseconds = 10'000'000;

}  // namespace

std::int64_t SystemWakeUp::DueSeconds(std::int64_t wakeUpSeconds) { return wakeUpSeconds < 10 ? 60 : wakeUpSeconds; }

int SystemWakeUp::Arm(Task& task, TaskHost& host, const AfterWakeAlarm& alarm, std::function<void()> fired) {
  const std::int64_t inForce = task.m_activeWakeUpSeconds > 0 ? task.m_activeWakeUpSeconds : task.m_wakeUpSeconds;
  const std::int64_t seconds = DueSeconds(inForce);
  task.m_wakeUpDueTime = seconds * kHundredNanoseconds;

  // The alarm after waking: the page's for an interactive task, the file's
  // for a task-file run.
  const bool soundAfterWake = host.IsTaskFileRun() ? host.FileAlarmExtra() : host.AlarmPageOn();
  alarm.sound = soundAfterWake;
  if (soundAfterWake)
    alarm.seconds = task.m_alarmSeconds;

  const os::waketimer::Outcome outcome = m_timer.Arm(seconds, std::move(fired));
  switch (outcome.result) {
    case os::waketimer::Result::Ok:
      return 0;
    case os::waketimer::Result::Unsupported:
      host.LogError(kUnsupported, "Your System does not support Wake Up.", false);
      return 1;
    case os::waketimer::Result::Failed:
      break;
  }
  host.LogError(outcome.errorCode, "Failed to prepare for wake-up.", false);
  return 2;
}

int SystemWakeUp::Cancel() { return m_timer.Cancel() == 0 ? 0 : kCancelFailed; }
