#pragma once
// The schedule of a repeated task: how its task file's "CRITICAL" summary
// keeps it, and the program's own decision whether a run is due. The system
// scheduler fires at the time of day (on the chosen week days); this check
// adds "every N days or weeks from the start date" and refuses late runs.
#include <cstdint>
#include <optional>
#include <string>

struct RepeatSchedule {
  bool weekly = false;
  int every = 1;          // days or weeks
  unsigned weekDays = 0;  // weekly: Sunday 1, Monday 2, Tuesday 4 ... Saturday 64
  int year = 2000;        // "From", the first day that may run
  int month = 1;
  int day = 1;
  int hour = 0;  // "At"
  int minute = 0;
  int second = 0;
};

// The English names of the days in the mask, Sunday first, joined by ",".
std::string DayList(unsigned weekDays);

// Writes "Type", "Every", "On" (weekly only), "At", "From" into the file.
bool WriteScheduleSummary(const std::string& taskFile, const RepeatSchedule& schedule);
// False when the file has no complete, valid summary.
bool ReadScheduleSummary(const std::string& taskFile, RepeatSchedule& schedule);

// A run late by more than this is skipped (a timer that elapsed during a
// suspend fires at resume: an evening shutdown must not run next morning).
constexpr std::int64_t kLatestStartSeconds = 10 * 60;
// cron starts on the minute, before an "At" with seconds.
constexpr std::int64_t kEarliestStartSeconds = 60;

// Whether a start at `now` (seconds since the epoch) is one of the
// schedule's runs. Days are counted on local calendar dates.
bool IsRunDue(const RepeatSchedule& schedule, std::int64_t now);
// The first run strictly after `after`; none when the schedule never runs.
std::optional<std::int64_t> NextRun(const RepeatSchedule& schedule, std::int64_t after);

// The hidden "-due <task file>" check: 0 when due now, 1 when not (or when
// the file holds no schedule).
int DueExitStatus(const std::string& taskFile);
