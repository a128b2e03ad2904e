// Power actions, log off, lock, the sleep inhibitor and the sleep signal
// against a fake systemd-logind on a private bus (python-dbusmock), the
// command-line fallback against fake tools, and the dry-run switch.
#include <gtest/gtest.h>
#include <wx/app.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "os/power.h"
#include "os/processes.h"
#include "os/session.h"
#include "tests/support/fake_logind.h"
#include "tests/support/sandbox.h"

namespace fs = std::filesystem;
using os::power::Action;

namespace {

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
    ++count;
  return count;
}

template <typename Predicate>
bool PumpUntil(Predicate done, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    wxTheApp->Yield(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// Every test runs with fake systemctl/loginctl alone on PATH and both buses
// pointing at nothing, so no test can reach the real machine.
class PowerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::path bin = m_sandbox.Root() / "bin";
    for (const char* tool : {"systemctl", "loginctl"}) {
      fs::path script = bin / tool;
      Sandbox::WriteFile(script, "#!/bin/sh\n"
                                 "printf '%s\\n' \"" + std::string(tool) + " $*\" >> '" + ToolLog().string() + "'\n"
                                 "code=0\n"
                                 "[ -r '" + (m_sandbox.Root() / "tool_exit").string() + "' ] && read code < '" +
                                 (m_sandbox.Root() / "tool_exit").string() + "'\n"
                                 "[ \"$code\" = 0 ] || echo \"$1 refused by the test\" >&2\n"
                                 "exit $code\n");
      fs::permissions(script, fs::perms::owner_all);
    }
    m_sandbox.SetEnv("PATH", bin.string());
    m_sandbox.SetEnv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + (m_sandbox.Root() / "no_system_bus").string());
    m_sandbox.SetEnv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (m_sandbox.Root() / "no_session_bus").string());
    m_sandbox.UnsetEnv("DKWT_DRY_RUN");
    m_sandbox.UnsetEnv("XDG_SESSION_ID");
  }
  void TearDown() override { os::power::ReleaseSleepInhibitor(); }

  // Starts the fake logind and points the system bus at it.
  FakeLogind& StartLogind(const std::string& options = "") {
    m_logind = std::make_unique<FakeLogind>(m_sandbox.Root() / "buses", options);
    if (m_logind->Ready())
      m_sandbox.SetEnv("DBUS_SYSTEM_BUS_ADDRESS", m_logind->SystemAddress());
    return *m_logind;
  }

  fs::path ToolLog() const { return m_sandbox.Root() / "tools.log"; }
  std::vector<std::string> ToolCalls() const { return Lines(Sandbox::ReadFile(ToolLog())); }

  Sandbox m_sandbox;
  std::unique_ptr<FakeLogind> m_logind;  // stopped before the sandbox goes
};

#define ASSERT_LOGIND_READY(logind) ASSERT_TRUE((logind).Ready()) << (logind).Problem()

class PowerLogind : public PowerFixture {};
class PowerFallback : public PowerFixture {};
class PowerDryRun : public PowerFixture {};
class SessionLock : public PowerFixture {};

TEST_F(PowerLogind, ActionsReachLogindAndForceAllowsInteractiveAuthorisation) {
  FakeLogind& logind = StartLogind();
  ASSERT_LOGIND_READY(logind);

  for (Action action : {Action::PowerOff, Action::Reboot, Action::Suspend, Action::Hibernate}) {
    for (bool force : {true, false}) {
      os::power::Outcome outcome = os::power::Perform(action, force);
      EXPECT_TRUE(outcome.ok) << outcome.message;
    }
  }
  // This logind has no *WithFlags methods: not forced falls back to the
  // plain call without interactive authorisation.
  EXPECT_EQ(logind.Calls(), (std::vector<std::string>{"PowerOff True", "PowerOff False", "Reboot True", "Reboot False",
                                                      "Suspend True", "Suspend False", "Hibernate True",
                                                      "Hibernate False"}));
  EXPECT_TRUE(ToolCalls().empty());
}

TEST_F(PowerLogind, NotForcedMakesLogindCheckInhibitorsAndARefusalIsAFailure) {
  FakeLogind& logind = StartLogind("--with-flags");
  ASSERT_LOGIND_READY(logind);

  EXPECT_TRUE(os::power::Perform(Action::PowerOff, false).ok);
  EXPECT_TRUE(os::power::Perform(Action::PowerOff, true).ok);
  EXPECT_TRUE(os::power::Perform(Action::Hibernate, false).ok);
  EXPECT_EQ(logind.Calls(),
            (std::vector<std::string>{"PowerOffWithFlags 1", "PowerOff True", "HibernateWithFlags 1"}));

  // A refusal is reported as it came and is not retried some other way.
  logind.Refuse("RebootWithFlags", "t", "org.freedesktop.login1.OperationInhibited",
                "Operation inhibited by Editor (unsaved work)");
  size_t before = logind.Calls().size();
  os::power::Outcome refused = os::power::Perform(Action::Reboot, false);
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.errorCode, 0);
  EXPECT_NE(refused.message.find("org.freedesktop.login1.OperationInhibited"), std::string::npos) << refused.message;
  EXPECT_NE(refused.message.find("Operation inhibited by Editor (unsaved work)"), std::string::npos)
      << refused.message;
  std::vector<std::string> calls = logind.Calls();
  ASSERT_GT(calls.size(), before);
  EXPECT_EQ(calls[before], "RebootWithFlags 1");
  for (size_t i = before; i < calls.size(); ++i)  // the mock also logs the refusal
    EXPECT_EQ(calls[i].rfind("RebootWithFlags", 0), 0u) << calls[i];

  logind.Refuse("Suspend", "b", "org.freedesktop.DBus.Error.AccessDenied", "Permission denied");
  os::power::Outcome denied = os::power::Perform(Action::Suspend, true);
  EXPECT_FALSE(denied.ok);
  EXPECT_NE(denied.errorCode, 0);
  EXPECT_NE(denied.message.find("Permission denied"), std::string::npos) << denied.message;
  EXPECT_TRUE(ToolCalls().empty());
}

TEST_F(PowerLogind, LogOffTerminatesTheCallersSession) {
  FakeLogind& logind = StartLogind();
  ASSERT_LOGIND_READY(logind);

  m_sandbox.SetEnv("XDG_SESSION_ID", "c2");
  EXPECT_TRUE(os::power::Perform(Action::LogOff, true).ok);
  EXPECT_NE(logind.SessionCalls("c2").find("'Terminate'"), std::string::npos);
  EXPECT_EQ(logind.SessionCalls("c1").find("'Terminate'"), std::string::npos);

  // Without the variable the session is the one this process belongs to;
  // not forced and no session manager on the session bus: terminated too.
  m_sandbox.UnsetEnv("XDG_SESSION_ID");
  EXPECT_TRUE(os::power::Perform(Action::LogOff, false).ok);
  EXPECT_NE(logind.SessionCalls("c1").find("'Terminate'"), std::string::npos);
  std::vector<std::string> calls = logind.Calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "GetSessionByPID " + std::to_string(os::processes::CurrentId())),
            calls.end());

  // A session logind does not know cannot be logged off.
  m_sandbox.SetEnv("XDG_SESSION_ID", "gone");
  os::power::Outcome outcome = os::power::Perform(Action::LogOff, true);
  EXPECT_FALSE(outcome.ok);
  EXPECT_NE(outcome.errorCode, 0);
  EXPECT_FALSE(outcome.message.empty());
  EXPECT_TRUE(ToolCalls().empty());
}

TEST_F(PowerLogind, PoliteLogOffAsksTheSessionManagerForcedOneDoesNot) {
  FakeLogind& logind = StartLogind("--session-manager");
  ASSERT_LOGIND_READY(logind);
  m_sandbox.SetEnv("DBUS_SESSION_BUS_ADDRESS", logind.SessionAddress());
  m_sandbox.SetEnv("XDG_SESSION_ID", "c1");

  EXPECT_TRUE(os::power::Perform(Action::LogOff, false).ok);
  EXPECT_EQ(logind.SessionManagerCalls(), (std::vector<std::string>{"Logout 1"}));
  EXPECT_EQ(logind.SessionCalls("c1").find("'Terminate'"), std::string::npos);

  EXPECT_TRUE(os::power::Perform(Action::LogOff, true).ok);
  EXPECT_EQ(logind.SessionManagerCalls().size(), 1u);
  EXPECT_NE(logind.SessionCalls("c1").find("'Terminate'"), std::string::npos);
}

TEST_F(PowerLogind, SleepInhibitorIsTakenOnceAndReleased) {
  FakeLogind& logind = StartLogind();
  ASSERT_LOGIND_READY(logind);

  EXPECT_FALSE(os::power::SleepInhibitorHeld());
  EXPECT_TRUE(os::power::HoldSleepInhibitor("countdown running"));
  EXPECT_TRUE(os::power::SleepInhibitorHeld());
  EXPECT_TRUE(os::power::HoldSleepInhibitor("countdown running"));
  EXPECT_EQ(logind.Calls(),
            (std::vector<std::string>{R"(Inhibit "sleep:idle" "Duskwatch" "countdown running" "block")"}));
  std::string inhibitors = logind.CallManager("org.freedesktop.login1.Manager.ListInhibitors");
  EXPECT_EQ(Count(inhibitors, "'sleep:idle', 'Duskwatch', 'countdown running', 'block'"), 1u) << inhibitors;

  os::power::ReleaseSleepInhibitor();
  EXPECT_FALSE(os::power::SleepInhibitorHeld());
  // logind drops the inhibitor when our descriptor closes.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (Count(inhibitors, "sleep:idle") != 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    inhibitors = logind.CallManager("org.freedesktop.login1.Manager.ListInhibitors");
  }
  EXPECT_EQ(Count(inhibitors, "sleep:idle"), 0u) << inhibitors;
  os::power::ReleaseSleepInhibitor();  // releasing twice is harmless

  // No bus, no inhibitor.
  m_sandbox.SetEnv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + (m_sandbox.Root() / "no_system_bus").string());
  EXPECT_FALSE(os::power::HoldSleepInhibitor("countdown running"));
  EXPECT_FALSE(os::power::SleepInhibitorHeld());
}

TEST_F(PowerLogind, PrepareForSleepReachesTheCallbackOnTheMainLoop) {
  FakeLogind& logind = StartLogind();
  ASSERT_LOGIND_READY(logind);

  std::vector<bool> received;
  std::thread::id mainThread = std::this_thread::get_id();
  bool onMainThread = true;
  unsigned id = os::power::SubscribeSleepSignal([&](bool goingToSleep) {
    received.push_back(goingToSleep);
    onMainThread = onMainThread && std::this_thread::get_id() == mainThread;
  });
  ASSERT_NE(id, 0u);

  for (const char* value : {"[<true>]", "[<false>]"})
    logind.CallManager("org.freedesktop.DBus.Mock.EmitSignal",
                       {"org.freedesktop.login1.Manager", "PrepareForSleep", "b", value});
  EXPECT_TRUE(PumpUntil([&] { return received.size() >= 2; }));
  EXPECT_EQ(received, (std::vector<bool>{true, false}));
  EXPECT_TRUE(onMainThread);

  os::power::UnsubscribeSleepSignal(id);
  logind.CallManager("org.freedesktop.DBus.Mock.EmitSignal",
                     {"org.freedesktop.login1.Manager", "PrepareForSleep", "b", "[<true>]"});
  PumpUntil([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_EQ(received.size(), 2u);
  os::power::UnsubscribeSleepSignal(id);  // unknown ids are ignored
}

TEST_F(SessionLock, LocksTheCallersSessionAndReportsFailure) {
  FakeLogind& logind = StartLogind();
  ASSERT_LOGIND_READY(logind);

  m_sandbox.SetEnv("XDG_SESSION_ID", "c2");
  int errorCode = -1;
  EXPECT_TRUE(os::session::Lock(errorCode));
  EXPECT_EQ(errorCode, 0);
  EXPECT_NE(logind.SessionCalls("c2").find("'Lock'"), std::string::npos);
  EXPECT_EQ(logind.SessionCalls("c1").find("'Lock'"), std::string::npos);

  m_sandbox.UnsetEnv("XDG_SESSION_ID");
  EXPECT_TRUE(os::session::Lock(errorCode));
  EXPECT_NE(logind.SessionCalls("c1").find("'Lock'"), std::string::npos);

  m_sandbox.SetEnv("XDG_SESSION_ID", "gone");
  EXPECT_FALSE(os::session::Lock(errorCode));
  EXPECT_NE(errorCode, 0);
  EXPECT_TRUE(ToolCalls().empty());
}

TEST_F(PowerFallback, CommandLineToolsWhenTheBusIsUnreachable) {
  m_sandbox.SetEnv("XDG_SESSION_ID", "c7");
  for (Action action : {Action::PowerOff, Action::Reboot, Action::Suspend, Action::Hibernate, Action::LogOff}) {
    for (bool force : {true, false}) {
      os::power::Outcome outcome = os::power::Perform(action, force);
      EXPECT_TRUE(outcome.ok) << outcome.message;
    }
  }
  int errorCode = -1;
  EXPECT_TRUE(os::session::Lock(errorCode));
  m_sandbox.UnsetEnv("XDG_SESSION_ID");
  EXPECT_TRUE(os::power::Perform(Action::LogOff, true).ok);
  EXPECT_TRUE(os::session::Lock(errorCode));
  EXPECT_EQ(ToolCalls(), (std::vector<std::string>{
                             "systemctl -i poweroff", "systemctl --no-ask-password poweroff",
                             "systemctl -i reboot", "systemctl --no-ask-password reboot",
                             "systemctl -i suspend", "systemctl --no-ask-password suspend",
                             "systemctl -i hibernate", "systemctl --no-ask-password hibernate",
                             "loginctl terminate-session c7", "loginctl terminate-session c7",
                             "loginctl lock-session c7", "loginctl terminate-session self", "loginctl lock-session"}));

  // The tool's exit status decides; its complaint is the message.
  Sandbox::WriteFile(m_sandbox.Root() / "tool_exit", "3\n");
  os::power::Outcome outcome = os::power::Perform(Action::Reboot, false);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.errorCode, 3);
  EXPECT_NE(outcome.message.find("refused by the test"), std::string::npos) << outcome.message;
  EXPECT_FALSE(os::session::Lock(errorCode));
  EXPECT_EQ(errorCode, 3);

  // A missing tool is a failure too.
  m_sandbox.SetEnv("PATH", (m_sandbox.Root() / "empty").string());
  outcome = os::power::Perform(Action::PowerOff, true);
  EXPECT_FALSE(outcome.ok);
  EXPECT_NE(outcome.errorCode, 0);
  EXPECT_FALSE(outcome.message.empty());

  EXPECT_EQ(os::power::SubscribeSleepSignal([](bool) {}), 0u);
  EXPECT_FALSE(os::power::HoldSleepInhibitor("countdown running"));
  int failedStep = -1;
  EXPECT_TRUE(os::power::EnableShutdownPrivilege(failedStep));
  EXPECT_EQ(failedStep, 0);
}

TEST_F(PowerFallback, CommandLineToolsWhenLogindIsNotOnTheBus) {
  FakeLogind& bus = StartLogind("--no-logind");
  ASSERT_LOGIND_READY(bus);
  m_sandbox.SetEnv("XDG_SESSION_ID", "c1");
  EXPECT_TRUE(os::power::Perform(Action::Suspend, false).ok);
  int errorCode = -1;
  EXPECT_TRUE(os::session::Lock(errorCode));
  EXPECT_EQ(ToolCalls(),
            (std::vector<std::string>{"systemctl --no-ask-password suspend", "loginctl lock-session c1"}));
}

TEST_F(PowerDryRun, RecordsEveryActionAndContactsNothing) {
  FakeLogind& logind = StartLogind("--session-manager");
  ASSERT_LOGIND_READY(logind);
  m_sandbox.SetEnv("DBUS_SESSION_BUS_ADDRESS", logind.SessionAddress());
  fs::path record = m_sandbox.Root() / "dry_run.txt";
  m_sandbox.SetEnv("DKWT_DRY_RUN", record.string());

  for (Action action : {Action::PowerOff, Action::Reboot, Action::Suspend, Action::Hibernate, Action::LogOff})
    for (bool force : {true, false})
      EXPECT_TRUE(os::power::Perform(action, force).ok);
  int errorCode = -1;
  EXPECT_TRUE(os::session::Lock(errorCode));
  EXPECT_EQ(errorCode, 0);
  EXPECT_TRUE(os::power::HoldSleepInhibitor("countdown running"));
  EXPECT_TRUE(os::power::HoldSleepInhibitor("countdown running"));
  EXPECT_TRUE(os::power::SleepInhibitorHeld());
  os::power::ReleaseSleepInhibitor();
  os::power::ReleaseSleepInhibitor();
  EXPECT_FALSE(os::power::SleepInhibitorHeld());

  EXPECT_EQ(Sandbox::ReadFile(record),
            "poweroff force=1\npoweroff force=0\n"
            "reboot force=1\nreboot force=0\n"
            "suspend hibernate=0 force=1\nsuspend hibernate=0 force=0\n"
            "suspend hibernate=1 force=1\nsuspend hibernate=1 force=0\n"
            "logoff force=1\nlogoff force=0\n"
            "lock\n"
            "inhibit what=sleep:idle mode=block\nuninhibit\n");
  EXPECT_TRUE(logind.Calls().empty());
  EXPECT_TRUE(logind.SessionManagerCalls().empty());
  EXPECT_TRUE(ToolCalls().empty());
}

}  // namespace
