#include "sched/schedule.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "app/clock.h"
#include "os/profile.h"

namespace {

constexpr const char* kSection = "CRITICAL";
constexpr const char* kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
// Far enough for every 365 days or every 52 weeks.
constexpr int kSearchDays = 2 * 366 + 7;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(int year, int month, int day) {
  const std::int64_t y = year - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yearOfEra = y - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, int& year, int& month, int& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t mp = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

// 0 Sunday ... 6 Saturday (1970-01-01 was a Thursday).
int WeekDay(std::int64_t days) { return static_cast<int>(((days % 7) + 7 + 4) % 7); }

// The local calendar day of an instant.
std::int64_t LocalDay(std::int64_t instant) {
  const std::time_t time = static_cast<std::time_t>(instant);
  // Called from one thread only (the due check, the GUI).
  const std::tm* local = std::localtime(&time);
  return local ? DaysFromCivil(local->tm_year + 1900, local->tm_mon + 1, local->tm_mday) : 0;
}

// The instant of the schedule's time of day on a local calendar day; none on
// the day a clock change skips that time (the system's timers skip it too).
std::optional<std::int64_t> LocalInstant(std::int64_t days, const RepeatSchedule& schedule) {
  std::tm local{};
  int year = 0, month = 0, day = 0;
  CivilFromDays(days, year, month, day);
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = schedule.hour;
  local.tm_min = schedule.minute;
  local.tm_sec = schedule.second;
  local.tm_isdst = -1;
  const std::time_t instant = std::mktime(&local);
  if (local.tm_hour != schedule.hour || local.tm_min != schedule.minute || local.tm_mday != day)
    return std::nullopt;
  return static_cast<std::int64_t>(instant);
}

bool IsRunDay(const RepeatSchedule& schedule, std::int64_t days) {
  if (schedule.every < 1)
    return false;
  const std::int64_t start = DaysFromCivil(schedule.year, schedule.month, schedule.day);
  if (days < start)
    return false;
  if (!schedule.weekly)
    return (days - start) % schedule.every == 0;
  if ((schedule.weekDays & (1u << WeekDay(days))) == 0)
    return false;
  // Weeks begin on Sunday, like the day list.
  const std::int64_t weeks = ((days - WeekDay(days)) - (start - WeekDay(start))) / 7;
  return weeks % schedule.every == 0;
}

bool ParseNumbers(const std::string& text, const char* format, int& a, int& b, int& c) {
  char tail = 0;
  return std::sscanf(text.c_str(), format, &a, &b, &c, &tail) == 3;
}

std::string Read(const std::string& file, const char* key) {
  return os::profile::GetString(file, kSection, key, std::string());
}

}  // namespace

std::string DayList(unsigned weekDays) {
  std::string list;
  for (unsigned day = 0; day < 7; ++day)
    if (weekDays & (1u << day))
      list += (list.empty() ? "" : ",") + std::string(kDayNames[day]);
  return list;
}

bool WriteScheduleSummary(const std::string& taskFile, const RepeatSchedule& schedule) {
  char at[16];
  char from[16];
  std::snprintf(at, sizeof at, "%02d:%02d:%02d", schedule.hour, schedule.minute, schedule.second);
  std::snprintf(from, sizeof from, "%04d-%02d-%02d", schedule.year, schedule.month, schedule.day);
  // One write: a summary cut short would make a schedule of its own.
  std::vector<std::pair<std::string, std::string>> entries = {{"Type", schedule.weekly ? "weekly" : "daily"},
                                                              {"Every", std::to_string(schedule.every)}};
  if (schedule.weekly)
    entries.emplace_back("On", DayList(schedule.weekDays));
  entries.emplace_back("At", at);
  entries.emplace_back("From", from);
  return os::profile::WriteStrings(taskFile, kSection, entries);
}

bool ReadScheduleSummary(const std::string& taskFile, RepeatSchedule& schedule) {
  RepeatSchedule read;
  const std::string type = Read(taskFile, "Type");
  if (type != "daily" && type != "weekly")
    return false;
  read.weekly = type == "weekly";
  int every = 0;
  char tail = 0;
  if (std::sscanf(Read(taskFile, "Every").c_str(), "%d%c", &every, &tail) != 1 || every < 1)
    return false;
  read.every = every;
  if (!ParseNumbers(Read(taskFile, "At"), "%d:%d:%d%c", read.hour, read.minute, read.second) ||
      !ParseNumbers(Read(taskFile, "From"), "%d-%d-%d%c", read.year, read.month, read.day))
    return false;
  if (read.hour < 0 || read.hour > 23 || read.minute < 0 || read.minute > 59 || read.second < 0 ||
      read.second > 59 || read.month < 1 || read.month > 12 || read.day < 1 || read.day > 31)
    return false;
  if (read.weekly) {
    const std::string on = Read(taskFile, "On");
    std::size_t start = 0;
    while (start < on.size()) {
      std::size_t end = on.find(',', start);
      const std::string name = on.substr(start, end == std::string::npos ? std::string::npos : end - start);
      for (unsigned day = 0; day < 7; ++day)
        if (name == kDayNames[day])
          read.weekDays |= 1u << day;
      if (end == std::string::npos)
        break;
      start = end + 1;
    }
  }
  schedule = read;
  return true;
}

bool IsRunDue(const RepeatSchedule& schedule, std::int64_t now) {
  const std::int64_t today = LocalDay(now);
  // A start just after midnight may belong to yesterday's run, one just
  // before midnight (cron's whole minute) to tomorrow's.
  for (std::int64_t day = today - 1; day <= today + 1; ++day) {
    if (!IsRunDay(schedule, day))
      continue;
    const auto planned = LocalInstant(day, schedule);
    if (planned && now >= *planned - kEarliestStartSeconds && now <= *planned + kLatestStartSeconds)
      return true;
  }
  return false;
}

std::optional<std::int64_t> NextRun(const RepeatSchedule& schedule, std::int64_t after) {
  std::int64_t day = LocalDay(after);
  day = std::max(day - 1, DaysFromCivil(schedule.year, schedule.month, schedule.day));
  for (int step = 0; step < kSearchDays; ++step, ++day) {
    if (!IsRunDay(schedule, day))
      continue;
    const auto planned = LocalInstant(day, schedule);
    if (planned && *planned > after)
      return planned;
  }
  return std::nullopt;
}

int DueExitStatus(const std::string& taskFile) {
  RepeatSchedule schedule;
  if (!ReadScheduleSummary(taskFile, schedule))
    return 1;
  const auto now = std::chrono::system_clock::to_time_t(CurrentClock().Now());
  return IsRunDue(schedule, static_cast<std::int64_t>(now)) ? 0 : 1;
}
