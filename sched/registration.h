#pragma once
// Registering a saved repeated task with the system's scheduler.
#include <wx/string.h>

#include "sched/schedule.h"

class TaskHost;

// The scheduler entry's name: "Daily_" or "Weekly_" and the task file's name.
wxString ScheduledTaskName(const wxString& taskFile, bool weekly);

// Registers the task file so that the scheduler starts "-i <file>" on the
// schedule, replacing an entry of the same name, then writes the schedule
// summary into the file. A failure is logged as "Add Task to WTS failed"
// with its code; the task file stays and gets no summary.
bool RegisterRepeatedTask(const wxString& taskFile, const RepeatSchedule& schedule, const wxString& executable,
                          TaskHost& host);

// Code logged when the summary could not be written (the scheduler's own
// failures use its step numbers below this).
constexpr int kSummaryWriteFailed = 8;
