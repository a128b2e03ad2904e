#include <gtest/gtest.h>

#include "app/task.h"
#include "app/task_host.h"
#include "exec/now_action.h"
#include "tests/support/fake_clock.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sandbox.h"

namespace {

class RecordingHost : public TaskHost {
 public:
  void LogError(int code, const wxString& message, bool showBox) override {
    codes.push_back(code);
    texts.push_back(message);
    boxes.push_back(showBox);
  }
  bool IsTaskFileRun() const override { return taskFileRun; }
  bool FileAlarmExtra() const override { return fileAlarm; }
  bool AlarmPageOn() const override { return alarmPage; }
  bool IgnoreBrowserVersion() const override { return false; }
  void CloseMainWindow() override { ++closes; }

  std::vector<int> codes;
  std::vector<wxString> texts;
  std::vector<bool> boxes;
  bool taskFileRun = false;
  bool fileAlarm = false;
  bool alarmPage = false;
  int closes = 0;
};

// Every action is written to a file of the sandbox instead of being done.
class ExecuteTest : public testing::Test {
 protected:
  ExecuteTest() {
    sandbox.SetEnv("DKWT_DRY_RUN", DryRunFile().string());
    task.CheckSystem();
  }
  std::filesystem::path DryRunFile() const { return sandbox.Root() / "actions.txt"; }
  std::string Actions() const { return Sandbox::ReadFile(DryRunFile()); }

  Sandbox sandbox;
  FakeClock clock;
  RecordingHost host;
  Task task{&host};
};

TEST_F(ExecuteTest, ForceDecidesHowPowerActionsAsk) {
  task.m_shutdown = true;
  task.execute();
  task.m_force = true;
  task.execute();
  task.ClearActions();
  task.m_restart = true;
  task.execute();
  task.ClearActions();
  task.m_logoff = true;
  task.m_force = false;
  task.execute();
  EXPECT_EQ(Actions(), "poweroff force=0\npoweroff force=1\nreboot force=1\nlogoff force=0\n");
  EXPECT_TRUE(host.codes.empty());
}

TEST_F(ExecuteTest, SuspendArmsTheWakeUpFirst) {
  std::vector<std::string> order;
  task.m_armWakeUpTimer = [&] {
    order.push_back(Actions());
    return true;
  };
  task.m_standby = true;
  task.m_systemWakeUp = true;
  task.execute();
  ASSERT_EQ(order.size(), 1u);
  EXPECT_EQ(order[0], "") << "armed before the suspend call";
  EXPECT_TRUE(task.m_suspendRequested);

  task.ClearActions();
  task.m_hibernate = true;
  task.m_systemWakeUp = false;
  task.m_force = true;
  task.execute();
  EXPECT_EQ(Actions(), "suspend hibernate=0 force=0\nsuspend hibernate=1 force=1\n");
  EXPECT_EQ(order.size(), 1u);
}

TEST_F(ExecuteTest, FirstFlagWinsAndUnknownFamiliesDoNothing) {
  task.m_lock = true;
  task.m_restart = true;
  task.execute();
  EXPECT_EQ(Actions(), "reboot force=0\n");

  Task oldWindows(&host);
  oldWindows.m_win9xFamily = true;
  oldWindows.m_shutdown = true;
  oldWindows.execute();
  EXPECT_EQ(Actions(), "reboot force=0\n");
}

TEST_F(ExecuteTest, MonitorComesBackOnlyWhenPendingAndOff) {
  task.m_monitorOff = true;
  task.execute();
  EXPECT_EQ(Actions(), "") << "no pending monitor, no alarm extra: nothing";
  task.m_monitorOffPending = true;
  task.execute();
  if (task.MonitorPowerState() == kMonitorOn)
    EXPECT_EQ(Actions(), "") << "a monitor that is on is left alone";
  else
    EXPECT_EQ(Actions(), "monitor state=on\n");
  EXPECT_TRUE(host.codes.empty());
}

TEST_F(ExecuteTest, LockAndNowActions) {
  EXPECT_EQ(task.LockWorkstation(), 0);
  EXPECT_TRUE(RunNowAction(task, host, 1));
  EXPECT_TRUE(RunNowAction(task, host, 3));
  EXPECT_TRUE(RunNowAction(task, host, 4));
  EXPECT_TRUE(RunNowAction(task, host, 5));
  EXPECT_TRUE(RunNowAction(task, host, 6));
  EXPECT_TRUE(RunNowAction(task, host, 7));
  EXPECT_TRUE(RunNowAction(task, host, 42));
  EXPECT_EQ(Actions(),
            "lock\npoweroff force=1\nsuspend hibernate=0 force=1\nsuspend hibernate=1 force=1\nlogoff force=1\n"
            "monitor state=off\nlock\n");
  EXPECT_GE(clock.slept, std::chrono::milliseconds(1000)) << "the monitor waits for the click to settle";
}

TEST_F(ExecuteTest, MonitorOffChecksTheStateAfterwards) {
  // Under the dry run nothing is switched, so the display still reports on.
  const bool off = task.MonitorOff();
  EXPECT_EQ(Actions(), "monitor state=off\n");
  EXPECT_GE(clock.slept, std::chrono::milliseconds(3000));
  if (task.MonitorPowerState() == kMonitorOn) {
    EXPECT_FALSE(off);
    ASSERT_FALSE(host.codes.empty());
    EXPECT_EQ(host.codes.back(), kMonitorOn);
    EXPECT_EQ(host.texts.back(), "Error, Monitor is On.");
  }
}

TEST_F(ExecuteTest, LaunchRecordsAndAlwaysMarksTheAttempt) {
  const auto script = sandbox.Root() / "report.sh";
  Sandbox::WriteFile(script, "#!/bin/sh\n");
  EXPECT_TRUE(task.LaunchFile(wxString::FromUTF8(script.string())));
  EXPECT_TRUE(task.m_fileLaunched);
  EXPECT_EQ(Actions(), "launch path=" + script.string() + "\n");
}

TEST(LaunchFile, FailureIsLoggedWithTheSystemCode) {
  Sandbox sandbox;
  RecordingHost host;
  Task task(&host);
  EXPECT_FALSE(task.LaunchFile(wxString::FromUTF8((sandbox.Root() / "missing.sh").string())));
  EXPECT_TRUE(task.m_fileLaunched);
  ASSERT_EQ(host.codes.size(), 1u);
  EXPECT_NE(host.codes[0], 0);
  EXPECT_EQ(host.texts[0], "Unable to launch the File.");
  EXPECT_FALSE(host.boxes[0]);
}

TEST(MonitorPowerState, MapsTheFirstMonitor) {
  // Without a display there is no monitor to ask.
  Sandbox sandbox;
  sandbox.UnsetEnv("DISPLAY");
  RecordingHost host;
  Task task(&host);
  EXPECT_EQ(task.MonitorPowerState(), kMonitorUnknown);
}

}  // namespace
