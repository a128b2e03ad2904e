// The due decision and the next run, under a time zone with clock changes,
// checked against the system's own calendar arithmetic.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "os/scheduler.h"
#include "sched/schedule.h"
#include "tests/support/sandbox.h"

namespace {

// Local time of Berlin (spring change 2026-03-29, autumn change 2026-10-25).
class Berlin {
 public:
  Berlin() {
    const char* old = std::getenv("TZ");
    m_had = old != nullptr;
    m_old = old ? old : "";
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
  }
  ~Berlin() {
    if (m_had)
      setenv("TZ", m_old.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  bool m_had = false;
  std::string m_old;
};

std::int64_t At(int year, int month, int day, int hour, int minute, int second = 0) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&local));
}

RepeatSchedule Daily(int every, int year, int month, int day, int hour, int minute) {
  RepeatSchedule schedule;
  schedule.every = every;
  schedule.year = year;
  schedule.month = month;
  schedule.day = day;
  schedule.hour = hour;
  schedule.minute = minute;
  return schedule;
}

RepeatSchedule Weekly(int every, unsigned days, int year, int month, int day, int hour, int minute) {
  RepeatSchedule schedule = Daily(every, year, month, day, hour, minute);
  schedule.weekly = true;
  schedule.weekDays = days;
  return schedule;
}

constexpr unsigned kSunday = 1, kMonday = 2, kFriday = 32;

}  // namespace

TEST(DueCheck, CountsLocalCalendarDaysAndWeeksAndRefusesLateRuns) {
  Berlin berlin;
  const RepeatSchedule spring = Daily(2, 2026, 3, 28, 23, 0);   // a Saturday, the night before the change
  const RepeatSchedule autumn = Daily(3, 2026, 10, 20, 23, 30);
  const RepeatSchedule leap = Daily(2, 2028, 2, 27, 12, 0);
  const RepeatSchedule monFri = Weekly(3, kMonday | kFriday, 2026, 4, 1, 8, 0);  // starts on a Wednesday
  const RepeatSchedule sundays = Weekly(2, kSunday, 2026, 3, 25, 10, 0);         // a Wednesday
  const RepeatSchedule nightly = Daily(1, 2026, 1, 1, 23, 0);
  const RepeatSchedule late = Daily(1, 2026, 1, 1, 23, 55);
  struct Case {
    const char* what;
    const RepeatSchedule& schedule;
    std::int64_t now;
    bool due;
  } cases[] = {
      {"first day", spring, At(2026, 3, 28, 23, 0), true},
      {"odd day", spring, At(2026, 3, 29, 23, 0), false},
      {"two days though 47 hours passed", spring, At(2026, 3, 30, 23, 0), true},
      {"and on", spring, At(2026, 4, 1, 23, 0), true},
      {"third day", autumn, At(2026, 10, 23, 23, 30), true},
      {"day of the change", autumn, At(2026, 10, 25, 23, 30), false},
      {"three days though 73 hours passed", autumn, At(2026, 10, 26, 23, 30), true},
      {"and on", autumn, At(2026, 10, 29, 23, 30), true},
      {"leap day", leap, At(2028, 2, 29, 12, 0), true},
      {"after the leap day", leap, At(2028, 3, 1, 12, 0), false},
      {"two days after the leap day", leap, At(2028, 3, 2, 12, 0), true},
      {"Monday before the start", monFri, At(2026, 3, 30, 8, 0), false},
      {"Friday of the first week", monFri, At(2026, 4, 3, 8, 0), true},
      {"Monday of the second week", monFri, At(2026, 4, 6, 8, 0), false},
      {"Monday three weeks on", monFri, At(2026, 4, 20, 8, 0), true},
      {"Wednesday three weeks on", monFri, At(2026, 4, 22, 8, 0), false},
      {"Friday three weeks on", monFri, At(2026, 4, 24, 8, 0), true},
      {"Monday six weeks on", monFri, At(2026, 5, 11, 8, 0), true},
      {"Sunday after the start, odd week", sundays, At(2026, 3, 29, 10, 0), false},
      {"Sunday two weeks from the start's week", sundays, At(2026, 4, 5, 10, 0), true},
      {"Sunday in an odd week", sundays, At(2026, 4, 12, 10, 0), false},
      {"Sunday four weeks on", sundays, At(2026, 4, 19, 10, 0), true},
      {"30 s late", nightly, At(2026, 2, 2, 23, 0, 30), true},
      {"9 minutes late", nightly, At(2026, 2, 2, 23, 9), true},
      {"11 minutes late", nightly, At(2026, 2, 2, 23, 11), false},
      {"9 hours late (resumed next morning)", nightly, At(2026, 2, 3, 8, 0), false},
      {"cron's whole minute before the seconds", Daily(1, 2026, 1, 1, 23, 0), At(2026, 2, 2, 22, 59, 30), true},
      {"before the start date", Daily(1, 2026, 6, 10, 23, 0), At(2026, 6, 9, 23, 0), false},
      {"late past midnight belongs to yesterday", late, At(2026, 2, 3, 0, 2), true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsRunDue(c.schedule, c.now), c.due) << c.what;

  EXPECT_EQ(NextRun(spring, At(2026, 3, 28, 23, 0)), At(2026, 3, 30, 23, 0));
  EXPECT_EQ(NextRun(sundays, At(2026, 3, 25, 0, 0)), At(2026, 4, 5, 10, 0));
  EXPECT_EQ(NextRun(monFri, At(2026, 4, 3, 8, 0)), At(2026, 4, 20, 8, 0));
  EXPECT_EQ(NextRun(Weekly(1, 0, 2026, 1, 1, 8, 0), At(2026, 1, 1, 0, 0)), std::nullopt) << "no day chosen";
}

TEST(DueCheck, SummaryRoundTripsAndDecidesTheExitStatus) {
  Sandbox sandbox;
  const std::string file = (sandbox.Root() / "1_lock_x.stask").string();
  Sandbox::WriteFile(file, "[REMINDER]\nSecondes=\n");
  RepeatSchedule weekly = Weekly(3, kMonday | kFriday, 2026, 4, 1, 8, 5);
  ASSERT_TRUE(WriteScheduleSummary(file, weekly));
  EXPECT_NE(Sandbox::ReadFile(file).find("[CRITICAL]\nType=weekly\nEvery=3\nOn=Monday,Friday\nAt=08:05:00\n"
                                         "From=2026-04-01\n"),
            std::string::npos)
      << Sandbox::ReadFile(file);
  RepeatSchedule read;
  ASSERT_TRUE(ReadScheduleSummary(file, read));
  EXPECT_TRUE(read.weekly);
  EXPECT_EQ(read.weekDays, kMonday | kFriday);
  EXPECT_EQ(read.every, 3);
  EXPECT_EQ(read.minute, 5);

  // A daily summary has no "On"; today at the current time is due.
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string daily = (sandbox.Root() / "1_alarm_y.stask").string();
  ASSERT_TRUE(WriteScheduleSummary(daily, Daily(1, 2020, 1, 1, local.tm_hour, local.tm_min)));
  EXPECT_EQ(Sandbox::ReadFile(daily).find("On="), std::string::npos);
  EXPECT_EQ(DueExitStatus(daily), 0);
  EXPECT_EQ(DueExitStatus((sandbox.Root() / "missing.stask").string()), 1) << "a switched-off task is not due";
  Sandbox::WriteFile(daily, "[CRITICAL]\nType=daily\nEvery=0\nAt=08:00:00\nFrom=2026-01-01\n");
  EXPECT_EQ(DueExitStatus(daily), 1) << "a broken summary never runs";
}

// The OnCalendar= line we generate, as systemd computes it, elapses exactly
// where our own next-run computation says (every 1: the two must agree).
TEST(DueCheck, AgreesWithSystemdCalendarOnTheNextElapses) {
  if (std::system("systemd-analyze --version >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "systemd-analyze is not installed";
  Berlin berlin;
  Sandbox sandbox;
  sandbox.SetEnv("DKWT_DRY_RUN", (sandbox.Root() / "dry-run.log").string());
  const std::int64_t base = At(2026, 3, 26, 12, 0);  // the spring change lies among the next elapses
  for (const RepeatSchedule& schedule : {Daily(1, 2026, 3, 1, 2, 30), Weekly(1, kMonday | kFriday, 2026, 3, 1, 23, 0)}) {
    os::scheduler::Job job;
    job.name = "Daily_1_lock_x.stask";
    job.executable = "/usr/bin/true";
    job.taskFile = "/tmp/1_lock_x.stask";
    job.calendar = {schedule.weekly, schedule.weekDays, schedule.hour, schedule.minute, schedule.second};
    ASSERT_EQ(os::scheduler::Register(job), os::scheduler::kDone);
    const std::string timer =
        Sandbox::ReadFile(std::filesystem::path(os::scheduler::UnitFolder()) / (os::scheduler::UnitBaseName(job.name) + ".timer"));
    const std::size_t key = timer.find("OnCalendar=");
    ASSERT_NE(key, std::string::npos) << timer;
    const std::string calendar = timer.substr(key + 11, timer.find('\n', key) - key - 11);
    const std::string command = "systemd-analyze calendar --iterations=6 --base-time=@" + std::to_string(base) +
                                " '" + calendar + "'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe))
      output += buffer;
    pclose(pipe);
    std::vector<std::int64_t> systemd;
    const std::string marker = "(in UTC): ";
    for (std::size_t at = output.find(marker); at != std::string::npos; at = output.find(marker, at + 1)) {
      std::tm t{};
      char day[8];
      if (std::sscanf(output.c_str() + at + marker.size(), "%7s %d-%d-%d %d:%d:%d", day, &t.tm_year, &t.tm_mon,
                      &t.tm_mday, &t.tm_hour, &t.tm_min, &t.tm_sec) != 7)
        continue;
      t.tm_year -= 1900;
      t.tm_mon -= 1;
      systemd.push_back(static_cast<std::int64_t>(timegm(&t)));
    }
    ASSERT_EQ(systemd.size(), 6u) << output;
    std::int64_t after = base;
    for (std::int64_t elapse : systemd) {
      const auto next = NextRun(schedule, after);
      ASSERT_TRUE(next.has_value());
      EXPECT_EQ(*next, elapse) << calendar;
      EXPECT_TRUE(IsRunDue(schedule, elapse));
      after = elapse;
    }
  }
}
