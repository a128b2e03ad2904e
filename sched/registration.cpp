#include "sched/registration.h"

#include "app/task_host.h"
#include "os/folders.h"
#include "os/scheduler.h"

namespace {
const char kRegisterFailed[] = "Add Task to WTS failed";
}  // namespace

wxString ScheduledTaskName(const wxString& taskFile, bool weekly) {
  return (weekly ? "Weekly_" : "Daily_") + taskFile.AfterLast(os::folders::PathSeparator());
}

bool RegisterRepeatedTask(const wxString& taskFile, const RepeatSchedule& schedule, const wxString& executable,
                          TaskHost& host) {
  os::scheduler::Job job;
  job.name = ScheduledTaskName(taskFile, schedule.weekly).utf8_string();
  job.executable = executable.utf8_string();
  job.taskFile = taskFile.utf8_string();
  job.calendar.weekly = schedule.weekly;
  job.calendar.weekDays = schedule.weekDays;
  job.calendar.hour = schedule.hour;
  job.calendar.minute = schedule.minute;
  job.calendar.second = schedule.second;
  job.calendar.every = schedule.every;
  job.calendar.year = schedule.year;
  job.calendar.month = schedule.month;
  job.calendar.day = schedule.day;
  if (const int failure = os::scheduler::Register(job); failure != os::scheduler::kDone) {
    host.LogError(failure, kRegisterFailed, false);
    return false;
  }
  // Without its summary the entry could never decide that a day is due.
  if (!WriteScheduleSummary(job.taskFile, schedule)) {
    os::scheduler::Unregister(job.name);
    host.LogError(kSummaryWriteFailed, kRegisterFailed, false);
    return false;
  }
  return true;
}
