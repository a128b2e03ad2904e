// Under the dry-run switch every state change is recorded with the same
// verbs as on Linux and nothing is done; power notifications reach the
// subscriber through its window.
#include <gtest/gtest.h>

#include "os/display.h"
#include "os/power.h"
#include "os/processes.h"
#include "os/session.h"
#include "os/shell.h"
#include "os/waketimer.h"
#include "os/windows/power_window.h"
#include "windows_test_support.h"

namespace {

using os::power::Action;

TEST(WindowsDryRun, EveryActionIsRecordedNotDone) {
  wintest::DryRun dryRun;
  struct Case {
    Action action;
    bool force;
    const char* line;
  } cases[] = {
      {Action::PowerOff, true, "poweroff force=1"},
      {Action::Reboot, false, "reboot force=0"},
      {Action::Suspend, true, "suspend hibernate=0 force=1"},
      {Action::Hibernate, false, "suspend hibernate=1 force=0"},
      {Action::LogOff, true, "logoff force=1"},
  };
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    EXPECT_TRUE(os::power::Perform(c.action, c.force).ok);
    expected.push_back(c.line);
  }
  int error = 0;
  EXPECT_TRUE(os::session::Lock(error));
  EXPECT_TRUE(os::display::MonitorOff(error));
  EXPECT_TRUE(os::display::MonitorOn(error));
  expected.insert(expected.end(), {"lock", "monitor state=off", "monitor state=on"});

  std::ofstream(dryRun.Folder().Path() / "a b.bat") << "@echo off\n";
  const std::string script = dryRun.Folder().File("a b.bat");
  std::string text;
  EXPECT_TRUE(os::shell::LaunchDefault(script, error, text));
  EXPECT_FALSE(os::shell::LaunchDefault(dryRun.Folder().File("missing.exe"), error, text));
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(os::shell::OpenDocument(script, error)) << "a document is never run";
  expected.push_back("launch path=\"" + script + "\"");
  // Backslashes are doubled inside quotes, as on Linux.
  std::string& last = expected.back();
  for (std::size_t at = last.find('\\'); at != std::string::npos; at = last.find('\\', at + 2))
    last.insert(at, "\\");

  EXPECT_TRUE(os::processes::Terminate(4242, true));
  EXPECT_TRUE(os::power::HoldSleepInhibitor("countdown"));
  EXPECT_TRUE(os::power::HoldSleepInhibitor("again"));
  EXPECT_TRUE(os::power::SleepInhibitorHeld());
  os::power::ReleaseSleepInhibitor();
  {
    os::waketimer::Timer timer;
    EXPECT_EQ(timer.Arm(90, {}).result, os::waketimer::Result::Ok);
  }
  expected.insert(expected.end(), {"terminate pid=4242 polite=1", "inhibit what=sleep:idle mode=block", "uninhibit",
                                   "waketimer seconds=90", "waketimer cancel"});
  EXPECT_EQ(dryRun.Lines(), expected);
}

TEST(WindowsPowerEvents, InhibitorIsHeldUntilReleased) {
  // Only keeps the (Wine) system awake: safe without the dry-run switch.
  ASSERT_TRUE(os::power::HoldSleepInhibitor("countdown"));
  EXPECT_TRUE(os::power::HoldSleepInhibitor("twice keeps one"));
  EXPECT_TRUE(os::power::SleepInhibitorHeld());
  os::power::ReleaseSleepInhibitor();
  EXPECT_FALSE(os::power::SleepInhibitorHeld());
}

TEST(WindowsPowerEvents, BroadcastsReachTheSubscriberOncePerSleep) {
  std::vector<bool> seen;
  const unsigned id = os::power::SubscribeSleepSignal([&](bool goingToSleep) { seen.push_back(goingToSleep); });
  ASSERT_NE(id, 0u);
  HWND window = FindWindowExW(nullptr, nullptr, os::win::power_window::kClassName, nullptr);
  ASSERT_NE(window, nullptr);
  for (WPARAM event : {PBT_APMSUSPEND, PBT_APMRESUMEAUTOMATIC, PBT_APMRESUMESUSPEND})
    SendMessageW(window, WM_POWERBROADCAST, event, 0);
  EXPECT_EQ(seen, (std::vector<bool>{true, false}));

  wintest::DryRun dryRun;  // the inhibitor refuses the (older systems') suspend query
  EXPECT_EQ(SendMessageW(window, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0), TRUE);
  os::power::HoldSleepInhibitor("countdown");
  EXPECT_EQ(SendMessageW(window, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0), BROADCAST_QUERY_DENY);
  os::power::ReleaseSleepInhibitor();
  os::power::UnsubscribeSleepSignal(id);
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
