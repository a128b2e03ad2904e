// End to end under a private systemd user manager (started by
// user_manager.sh; skipped elsewhere): a registered task's timer fires and
// the manager starts the program's due check and then "-i <file>".
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>

#include "app/task_host.h"
#include "os/scheduler.h"
#include "sched/registration.h"
#include "sched/saved_tasks.h"
#include "tests/support/sandbox.h"

namespace {

namespace fs = std::filesystem;

struct LoggingHost : TaskHost {
  void LogError(int code, const wxString& message, bool) override {
    errors += message.utf8_string() + " " + std::to_string(code) + "\n";
  }
  bool IsTaskFileRun() const override { return false; }
  bool FileAlarmExtra() const override { return false; }
  bool AlarmPageOn() const override { return false; }
  bool IgnoreBrowserVersion() const override { return false; }
  void CloseMainWindow() override {}
  std::string errors;
};

std::string Output(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
      output += buffer;
    pclose(pipe);
  }
  return output;
}

}  // namespace

TEST(UserManager, TimerStartsTheTaskAndRemovalStopsIt) {
  const char* program = std::getenv("DKWT_USER_MANAGER_TEST");
  if (!program)
    GTEST_SKIP() << "runs under tests/sched/user_manager.sh";
  ASSERT_EQ(std::getenv("DKWT_DRY_RUN"), nullptr) << "this process must really register";
  const fs::path data = std::getenv("XDG_DATA_HOME");
  const fs::path dryRun = data.parent_path() / "dry-run.log";
  // The started program records its action instead of locking.
  const char* display = std::getenv("DISPLAY");
  ASSERT_EQ(std::system(("systemctl --user set-environment DKWT_DRY_RUN='" + dryRun.string() + "' DISPLAY='" +
                         (display ? display : "") + "'")
                            .c_str()),
            0);
  ASSERT_NE(Output("systemctl --user show-environment").find("DKWT_DRY_RUN=" + dryRun.string()), std::string::npos);

  const fs::path folder = data / "DKWT-Tasks";
  const fs::path file = folder / "1_lock_End to end.stask";
  Sandbox::WriteFile(file, "[REMINDER]\nSecondes=\n");
  const std::time_t soon = std::time(nullptr) + 5;
  std::tm local{};
  localtime_r(&soon, &local);
  RepeatSchedule schedule;
  schedule.every = 2;
  schedule.year = local.tm_year + 1900;
  schedule.month = local.tm_mon + 1;
  schedule.day = local.tm_mday;
  schedule.hour = local.tm_hour;
  schedule.minute = local.tm_min;
  schedule.second = local.tm_sec;
  LoggingHost host;
  ASSERT_TRUE(RegisterRepeatedTask(file.string(), schedule, program, host)) << host.errors;
  const std::string unit = os::scheduler::UnitBaseName("Daily_" + file.filename().string());
  EXPECT_EQ(Output("systemctl --user is-active '" + unit + ".timer'"), "active\n");
  EXPECT_NE(Output("systemctl --user list-timers --all").find(unit + ".timer"), std::string::npos);

  std::string recorded;
  for (int i = 0; i < 300 && recorded.find("lock") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    recorded = fs::exists(dryRun) ? Sandbox::ReadFile(dryRun) : std::string();
  }
  EXPECT_NE(recorded.find("lock"), std::string::npos)
      << Output("systemctl --user status '" + unit + ".service' 2>&1; journalctl --user -n 30 2>&1");

  SavedTaskList list;
  int code = 0;
  ASSERT_TRUE(BuildSavedTaskList(wxString::FromUTF8(folder.string()), list, code));
  ASSERT_EQ(list.tasks.size(), 1u);
  EXPECT_EQ(list.tasks[0].cells[1], "2 day(s)");

  ASSERT_EQ(os::scheduler::Unregister("Daily_" + file.filename().string()), os::scheduler::kDone);
  EXPECT_NE(Output("systemctl --user is-active '" + unit + ".timer'"), "active\n");
  EXPECT_FALSE(fs::exists(fs::path(os::scheduler::UnitFolder()) / (unit + ".timer")));
}
