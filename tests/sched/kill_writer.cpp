// Saves one of the program's files over and over, two versions in turn,
// until it is killed: the torn-write test kills it at random points.
//   dkwt_kill_writer <writer> <folder> a|b    writes that version once; prints
//                                             the files, then the microseconds it took
//   dkwt_kill_writer <writer> <folder> serve  for each line on stdin forks a
//                                             writer that saves b, a, b, ... for ever,
//                                             prints its pid, and "x" once it was killed
// Forking saves the start-up of a program for every kill. Writers: options,
// ini, task, schedule, units, crontab. Everything stays in <folder>; units
// run under the dry-run switch, crontab only with the test's fakes.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/cleanup_selection.h"
#include "app/extras_pages.h"
#include "app/settings.h"
#include "app/task.h"
#include "app/task_file.h"
#include "app/task_type.h"
#include "os/profile.h"
#include "os/registry.h"
#include "os/scheduler.h"
#include "sched/schedule.h"

namespace {

// Larger than a page, so a write cut short could not pass for a whole file.
const std::string kPadding(64 * 1024, 'p');

class Pages : public ExtrasPages {
 public:
  explicit Pages(bool second) : m_second(second) {}
  bool ReminderEnabled() const override { return true; }
  int ReminderSeconds() const override { return m_second ? 40 : 20; }
  wxString ReminderText() const override { return wxString(m_second ? 'b' : 'a', 200); }
  bool LaunchPageOn() const override { return true; }

 private:
  bool m_second;
};

std::string SaveTask(const std::string& folder, bool second) {
  Task task;
  task.m_shutdown = true;
  task.m_launchPath = second ? "/opt/b/run" : "/opt/a/run";
  return SaveTaskFile("Kill", folder + "/tasks", task, CleanupSelection(), Pages(second)).utf8_string();
}

os::scheduler::Job Job(bool second) {
  os::scheduler::Job job;
  job.name = "Weekly_1_shutdown_Kill.stask";
  job.executable = "/usr/bin/DKWT";
  job.taskFile = second ? "/srv/tasks/b/1_shutdown_Kill.stask" : "/srv/tasks/a/1_shutdown_Kill.stask";
  job.calendar.weekly = true;
  job.calendar.weekDays = second ? 0x22u : 0x04u;
  job.calendar.hour = second ? 23 : 6;
  return job;
}

// One save; returns the files it writes.
std::vector<std::string> Write(const std::string& writer, const std::string& folder, bool second, bool setUp) {
  if (writer == "options") {
    if (setUp)
      os::registry::WriteString(os::registry::Hive::CurrentUser, "Software\\Padding", "Data", kPadding);
    Settings settings;
    ToggleOption(settings, SettingOption::Warnings, second);
    return {folder + "/config/Duskwatch/HKEY_CURRENT_USER.reg"};
  }
  if (writer == "ini") {
    const std::string file = folder + "/test.ini";
    if (setUp)
      os::profile::WriteString(file, "Padding", "Data", kPadding);
    os::profile::WriteString(file, "Main", "Value", std::string(5000, second ? 'b' : 'a'));
    return {file};
  }
  if (writer == "task")
    return {SaveTask(folder, second)};
  if (writer == "schedule") {
    const std::string file = folder + "/tasks/1_" + TaskTypePrefix(0).utf8_string() + "Kill.stask";
    if (setUp)
      SaveTask(folder, false);
    RepeatSchedule schedule;
    schedule.weekly = true;
    schedule.every = second ? 3 : 1;
    schedule.weekDays = second ? 0x22u : 0x04u;
    schedule.hour = second ? 23 : 6;
    schedule.year = second ? 2027 : 2026;
    schedule.month = 1;
    schedule.day = 1;
    WriteScheduleSummary(file, schedule);
    return {file};
  }
  if (writer == "units") {
    os::scheduler::Register(Job(second));
    const std::string base = os::scheduler::UnitFolder() + "/" + os::scheduler::UnitBaseName(Job(false).name);
    return {base + ".timer", base + ".service"};
  }
  if (writer == "crontab") {
    os::scheduler::Register(Job(second));
    return {folder + "/crontab"};
  }
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4)
    return 2;
  const std::string writer = argv[1], folder = argv[2], mode = argv[3];
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
  if (writer == "units") {
    setenv("DKWT_DRY_RUN", (folder + "/dry-run.log").c_str(), 1);
  } else {
    unsetenv("DKWT_DRY_RUN");
  }
  if (writer == "crontab") {
    // Never the machine's crontab: only the test's fake, which keeps it here.
    if (!std::getenv("FAKE_LOG"))
      return 2;
    setenv("FAKE_CRONTAB", (folder + "/crontab").c_str(), 1);
  }
  if (mode == "a" || mode == "b") {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::string> files = Write(writer, folder, mode == "b", true);
    const auto took = std::chrono::steady_clock::now() - start;
    for (const std::string& file : files)
      std::printf("%s\n", file.c_str());
    std::printf("%lld\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(took).count()));
    return 0;
  }
  if (mode != "serve")
    return 2;
  char line[16];
  while (std::fgets(line, sizeof line, stdin)) {
    const pid_t pid = fork();
    if (pid < 0)
      return 1;
    if (pid == 0) {
      for (bool second = true;; second = !second)
        Write(writer, folder, second, false);
    }
    std::printf("%d\n", static_cast<int>(pid));
    std::fflush(stdout);
    waitpid(pid, nullptr, 0);
    std::printf("x\n");
    std::fflush(stdout);
  }
  return 0;
}
