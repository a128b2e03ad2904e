#include "ui/cd_systray.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "res/art/art.h"
#include "tests/support/fake_clock.h"
#include "tests/support/message_recorder.h"

namespace {

using namespace std::chrono_literals;

struct FakeTrayHost : TrayHost {
  bool IsArmed() const override { return armed; }
  bool IsTaskFileRun() const override { return taskFile; }
  bool ShowWarnings() const override { return warnings; }
  bool RunNow(int code) override {
    ran.push_back(code);
    return true;
  }
  void RestoreFromTray() override {
    ++restores;
    if (clock)
      sleptBeforeRestore = clock->slept;
  }
  void FullCleanupNow() override { ++fullCleanups; }
  void ExitProgram() override { ++exits; }
  void TrayIconFailed(int, const wxString&) override {}

  bool armed = false;
  bool taskFile = false;
  bool warnings = true;
  std::vector<int> ran;
  int restores = 0;
  int fullCleanups = 0;
  int exits = 0;
  const FakeClock* clock = nullptr;
  std::chrono::milliseconds sleptBeforeRestore{-1};
};

class SysTrayTest : public testing::Test {
 protected:
  SysTrayTest() : tray(&host) {}

  std::vector<os::tray::MenuItem> Menu() const { return tray.MenuItems(); }

  void Choose(int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(&tray);
    tray.ProcessEvent(event);
  }

  void DoubleClick() { tray.Activated(); }

  bool NothingHappened() const {
    return host.ran.empty() && host.restores == 0 && host.fullCleanups == 0 && host.exits == 0;
  }

  FakeTrayHost host;
  CDSysTray tray;
  MessageRecorder recorder;
};

TEST_F(SysTrayTest, IdleMenuOffersEveryCommandInOrder) {
  const std::vector<std::pair<int, std::string>> expected = {
      {9999, "Restore main window"},     {10000, "Shut down the computer now!"}, {10001, "Restart the computer now!"},
      {10002, "Standby  Now!"},          {10003, "Hibernate Now!"},        {10004, "Log Off  Now!"},
      {10005, "Turn Monitor Off Now!"},  {10006, "Lock the session now!"},     {10007, "Perform full Clean-Up Now!"},
      {10008, "Exit program"},
  };
  std::vector<std::pair<int, std::string>> menu;
  for (const auto& item : Menu())
    menu.emplace_back(item.id, item.label);
  EXPECT_EQ(menu, expected);
}

TEST_F(SysTrayTest, MenuFollowsTheRunState) {
  host.armed = true;
  EXPECT_TRUE(Menu().empty()) << "no menu while a countdown runs";

  // A task-file run may always be ended, and nothing else.
  for (bool armed : {true, false}) {
    host.taskFile = true;
    host.armed = armed;
    auto menu = Menu();
    ASSERT_EQ(menu.size(), 1u) << armed;
    EXPECT_EQ(menu[0].id, 10008);
    EXPECT_EQ(menu[0].label, "Exit program");
  }

  // After Stop the full menu is back.
  host.taskFile = false;
  host.armed = false;
  EXPECT_EQ(Menu().size(), 10u);
}

TEST_F(SysTrayTest, NowCommandsAskFirstWhileWarningsAreOn) {
  const std::vector<std::pair<int, std::string>> questions = {
      {10000, "Please save any opened documents and press OK to shut down the computer or press CANCEL to abort.\n\n"
              "You can disable this warning in OPTIONS Menu."},
      {10001, "Please save any opened documents and press OK to restart the computer or press CANCEL to abort.\n\n"
              "You can disable this warning in OPTIONS Menu."},
      {10002, "Standby now, are you sure?\n\nYou can disable this warning in OPTIONS Menu."},
      {10003, "Hibernate now, are you sure? (if not supported by your System, System will Standby)\n\n"
              "You can disable this warning in OPTIONS Menu."},
      {10004, "Please save any opened documents and press OK to Log Off or press CANCEL to abort.\n\n"
              "You can disable this warning in OPTIONS Menu."},
      {10006, "Lock the session now, are you sure?\n\nYou can disable this warning in OPTIONS Menu."},
  };
  for (const auto& [id, question] : questions) {
    recorder.messages.clear();
    host.ran.clear();
    recorder.answers = {wxOK};
    Choose(id);
    ASSERT_EQ(recorder.messages.size(), 1u) << id;
    EXPECT_EQ(recorder.messages[0].text, question) << id;
    EXPECT_EQ(recorder.messages[0].caption, "Warning");
    EXPECT_EQ(recorder.messages[0].style, wxOK | wxCANCEL | wxICON_EXCLAMATION);
    EXPECT_EQ(host.ran, std::vector<int>{id - 9999}) << "code of " << id;
  }
}

TEST_F(SysTrayTest, CancelLeavesEverythingUnchanged) {
  for (int id : {10000, 10001, 10002, 10003, 10004, 10006}) {
    recorder.answers = {wxCANCEL};
    Choose(id);
  }
  EXPECT_EQ(recorder.messages.size(), 6u);
  EXPECT_TRUE(NothingHappened());
}

TEST_F(SysTrayTest, WithoutWarningsAndForTheMonitorNothingIsAsked) {
  Choose(10005);
  EXPECT_TRUE(recorder.messages.empty()) << "the monitor switch never asks";
  EXPECT_EQ(host.ran, std::vector<int>{6});

  host.warnings = false;
  host.ran.clear();
  for (int id = 10000; id <= 10006; ++id)
    Choose(id);
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(host.ran, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(SysTrayTest, RestoreCleanUpAndExitReachTheWindow) {
  Choose(9999);
  EXPECT_EQ(host.restores, 1);
  Choose(10007);
  EXPECT_EQ(host.fullCleanups, 1);
  Choose(10008);
  EXPECT_EQ(host.exits, 1);
  EXPECT_TRUE(host.ran.empty());
  EXPECT_TRUE(recorder.messages.empty()) << "none of these asks";
}

TEST_F(SysTrayTest, DoubleClickRestoresAfterAShortPause) {
  FakeClock clock;
  host.clock = &clock;
  DoubleClick();
  EXPECT_EQ(host.restores, 1);
  EXPECT_EQ(host.sleptBeforeRestore, 200ms);
  EXPECT_EQ(clock.slept, 200ms);
}

TEST_F(SysTrayTest, DoubleClickDoesNothingInATaskFileRun) {
  FakeClock clock;
  host.taskFile = true;
  DoubleClick();
  EXPECT_EQ(clock.slept, 0ms);
  EXPECT_TRUE(NothingHappened());
}

TEST_F(SysTrayTest, ShowsAndRemovesTheToolkitIcon) {
  CDSysTray toolkitTray(&host, os::tray::Kind::Toolkit);
  EXPECT_TRUE(toolkitTray.ShowStatus(wxIconBundle(TrayIcon(1)), "Duskwatch: Shuting down in 00:01:00"));
  EXPECT_TRUE(toolkitTray.IsIconInstalled());
  EXPECT_TRUE(toolkitTray.ShowStatus(wxIconBundle(TrayIcon(0)), "Duskwatch : Idle"));
  EXPECT_TRUE(toolkitTray.RemoveIcon());
  EXPECT_FALSE(toolkitTray.IsIconInstalled());

  // No tray on this desktop: nothing to show, and it says so.
  EXPECT_FALSE(tray.ShowStatus(wxIconBundle(TrayIcon(1)), "Duskwatch : Idle"));
  EXPECT_FALSE(tray.IsIconInstalled());
}

}  // namespace
