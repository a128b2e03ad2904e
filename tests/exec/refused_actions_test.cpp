// What the program does when the system refuses an action: checked against a
// fake logind that says no.
#include <gtest/gtest.h>

#include <memory>

#include "app/immediate_action.h"
#include "app/task.h"
#include "app/task_host.h"
#include "exec/now_action.h"
#include "tests/support/fake_logind.h"
#include "tests/support/message_recorder.h"

namespace {

class RecordingHost : public TaskHost {
 public:
  void LogError(int code, const wxString& message, bool) override {
    codes.push_back(code);
    texts.push_back(message);
  }
  bool IsTaskFileRun() const override { return taskFileRun; }
  bool FileAlarmExtra() const override { return false; }
  bool AlarmPageOn() const override { return false; }
  bool IgnoreBrowserVersion() const override { return false; }
  void CloseMainWindow() override { ++closes; }

  std::vector<int> codes;
  std::vector<wxString> texts;
  bool taskFileRun = false;
  int closes = 0;
};

class RefusedActions : public testing::Test {
 protected:
  void SetUp() override {
    // Nothing but the fake may answer: no tools on PATH, no other bus.
    sandbox.SetEnv("PATH", (sandbox.Root() / "no-tools").string());
    sandbox.SetEnv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (sandbox.Root() / "none").string());
    sandbox.UnsetEnv("DKWT_DRY_RUN");
    logind = std::make_unique<FakeLogind>(sandbox.Root() / "buses", "");
    ASSERT_TRUE(logind->Ready()) << logind->Problem();
    sandbox.SetEnv("DBUS_SYSTEM_BUS_ADDRESS", logind->SystemAddress());
    for (const char* method : {"PowerOff", "Reboot", "Suspend", "Hibernate"})
      logind->Refuse(method, "b", "org.freedesktop.DBus.Error.AccessDenied", "Permission denied");
    task.CheckSystem();
  }

  Sandbox sandbox;
  std::unique_ptr<FakeLogind> logind;
  RecordingHost host;
  Task task{&host};
};

TEST_F(RefusedActions, EndOfTaskFailuresAreLoggedWithTheirCodes) {
  task.m_shutdown = true;
  task.execute();
  task.ArmAction(1);
  task.execute();
  task.ArmAction(2);
  task.execute();
  task.ArmAction(3);
  task.execute();
  EXPECT_EQ(host.codes, (std::vector<int>{10605, 10606, 10607, 10608}));
  for (const auto& text : host.texts)
    EXPECT_EQ(text, "Unexpected Error occured.");
  EXPECT_FALSE(task.m_suspendRequested);
  EXPECT_EQ(host.closes, 0);
}

TEST_F(RefusedActions, ARefusedSuspendEndsATaskFileRun) {
  host.taskFileRun = true;
  task.m_hibernate = true;
  task.execute();
  EXPECT_EQ(host.closes, 1);
  EXPECT_TRUE(host.codes.empty());
}

TEST_F(RefusedActions, ImmediateCommandsReportTheFailedCall) {
  MessageRecorder messages;
  EXPECT_EQ(RunImmediateAction(1, true), kImmediateCallFailed);
  EXPECT_EQ(RunImmediateAction(4, true), kImmediateCallFailed);
  messages.answers = {wxNO};
  const size_t before = logind->Calls().size();
  EXPECT_EQ(RunImmediateAction(2, false), kImmediateDeclined);
  EXPECT_EQ(logind->Calls().size(), before) << "No means nothing is asked of the system";
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0].text, "Restart the system now?");
  EXPECT_EQ(messages.messages[0].caption, "Duskwatch");
  EXPECT_EQ(RunImmediateAction(9, true), kImmediateDeclined);
}

TEST_F(RefusedActions, NowActionsReturnTheRefusal) {
  EXPECT_FALSE(RunNowAction(task, host, 1));
  EXPECT_FALSE(RunNowAction(task, host, 3));
  EXPECT_TRUE(host.codes.empty()) << "the caller decides what the user sees";
}

TEST(AcceptedActions, ReachLogindForcedFromTheCommandLine) {
  Sandbox sandbox;
  sandbox.SetEnv("PATH", (sandbox.Root() / "no-tools").string());
  sandbox.UnsetEnv("DKWT_DRY_RUN");
  FakeLogind logind(sandbox.Root() / "buses", "");
  ASSERT_TRUE(logind.Ready()) << logind.Problem();
  sandbox.SetEnv("DBUS_SYSTEM_BUS_ADDRESS", logind.SystemAddress());
  EXPECT_EQ(RunImmediateAction(1, true), kImmediateDone);
  EXPECT_EQ(RunImmediateAction(4, true), kImmediateDone);
  EXPECT_EQ(logind.Calls(), (std::vector<std::string>{"PowerOff True", "Hibernate True"}));
}

}  // namespace
