// The countdown engine on the real window: validation, counting to the
// deadline, display and tray texts, Stop and the full clean-up.
#include <filesystem>

#include <wx/app.h>
#include <wx/choicebk.h>
#include <wx/utils.h>

#include "tests/ui/frame_fixture.h"
#include "ui/countdown_format.h"

namespace {

using Countdown = FrameTest;
using std::chrono::milliseconds;

// Extras with a reminder and a cleanup selection, as the extras window
// would report them.
class TestExtras : public ExtrasPages {
 public:
  bool ReminderEnabled() const override { return reminder; }
  int ReminderMinutes() const override { return reminderMinutes; }
  int ReminderSeconds() const override { return reminderSeconds; }
  wxString ReminderText() const override { return "Save your work"; }
  bool CollectCleanupSelection(CleanupSelection& selection) const override {
    if (cleanupItems)
      selection.Set(ItemId::CacheChrome, true);
    return cleanupItems;
  }
  bool WakeupPageOn() const override { return wakeup; }
  bool WakeupAbsolute() const override { return wakeupAbsolute; }
  std::int64_t SystemWakeUpDelay(const WakeUpRequest& request, bool& valid) const override {
    lastRequest = request;
    valid = wakeupDelay > 0;
    return wakeupDelay;
  }

  bool reminder = false;
  int reminderMinutes = 0;
  int reminderSeconds = 0;
  bool cleanupItems = false;
  bool wakeup = false;
  bool wakeupAbsolute = false;
  std::int64_t wakeupDelay = 0;
  mutable WakeUpRequest lastRequest;
};

std::filesystem::path ErrorLogIn(const std::filesystem::path& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().filename().string().starts_with("DKWT_Error_"))
      return entry.path();
  return {};
}

TEST(CountdownFormat, TextsAndTrayToolTips) {
  EXPECT_EQ(FormatRemaining(0, true), "00:00:00");
  EXPECT_EQ(FormatRemaining(93600, true), "26:00:00") << "relative mode never shows days";
  EXPECT_EQ(FormatRemaining(93600, false), "1 Day(s) and 02:00:00");
  EXPECT_EQ(FormatRemaining(86399, false), "23:59:59");
  EXPECT_EQ(FormatRemaining(3 * 86400 + 61, false), "3 Day(s) and 00:01:01");

  EXPECT_EQ(TrayToolTip(0, 50, true), wxString("Duskwatch : Idle"));
  const char* const expected[] = {
      "Duskwatch: Shuting down in 00:01:05",        "Duskwatch: Restarting PC in 00:01:05",
      "Duskwatch: Standby in 00:01:05",             "Duskwatch: Hibernating in 00:01:05",
      "Duskwatch: Logging Off in 00:01:05",         "Duskwatch: Time to Alarm 00:01:05",
      "Duskwatch: Turning Monitor Off in 00:01:05", "Duskwatch: Cleaning Up in 00:01:05",
      "Duskwatch: Locking Workstation in 00:01:05", "Duskwatch: Launching file in 00:01:05",
  };
  for (int code = 1; code <= 10; ++code)
    EXPECT_EQ(TrayToolTip(code, 65, true), wxString(expected[code - 1])) << code;
  EXPECT_EQ(TrayToolTip(1, 90000, false), wxString("Duskwatch: Shuting down in 1 Day(s) and 01:00:00"));
  EXPECT_FALSE(TrayToolTip(11, 5, true).has_value()) << "unknown codes change nothing";
}

TEST_F(Countdown, StartRefusals) {
  Click(frame->m_startButton);
  EXPECT_EQ(LastMessage(), "Pleas select a Task first.");
  EXPECT_EQ(messages.messages.back().caption, "Info");

  Choose(frame->m_taskChoice, 0);
  Click(frame->m_startButton);
  EXPECT_EQ(LastMessage(), "Please set the Time!!");

  SetAbsolute(Now() - wxTimeSpan::Minute());
  Click(frame->m_startButton);
  EXPECT_EQ(LastMessage(), "Invalid Time! Please set the Time to a value in the future. ");

  Toggle(frame->m_repeatedCheck, true);
  frame->m_repeatBook->SetSelection(1);
  Click(frame->m_startButton);
  EXPECT_EQ(LastMessage(), "Pleas select execution day.");
  Toggle(frame->m_repeatedCheck, false);
  Select(frame->m_radioRelative);

  SetRelative(0, 0, 30);
  Choose(frame->m_taskChoice, 7);
  Click(frame->m_startButton);
  EXPECT_EQ(LastMessage(), "You have selected nothing to clean up!");
  EXPECT_EQ(messages.messages.back().caption, "Message");

  Choose(frame->m_taskChoice, 9);
  Click(frame->m_startButton);
  EXPECT_EQ(LastMessage(), "Please Select the File that will be launched.");
  EXPECT_EQ(messages.messages.back().caption, "Message");

  // Out-of-range indexes cannot be chosen in the window; a task file can
  // carry one, and a refused file task still counts down.
  frame->m_fileState.m_fileTaskIndex = 12;
  frame->StartLoadedTask();
  EXPECT_EQ(LastMessage(), "Invalid command! Please select needed Action");
  EXPECT_EQ(messages.messages.back().caption, "Information");
  EXPECT_EQ(messages.messages.back().style, wxOK | wxICON_INFORMATION);
  EXPECT_FALSE(frame->m_running);
  EXPECT_TRUE(frame->m_countdownTimer.IsRunning());
  frame->m_countdownTimer.Stop();
  frame->m_fromTaskFile = false;

  EXPECT_EQ(messages.messages.size(), 7u);
  EXPECT_EQ(frame->m_actionCode, 0);
  EXPECT_FALSE(frame->m_countdownTimer.IsRunning());
  frame->RefreshCountdown();
  EXPECT_TRUE(frame->m_startButton->IsEnabled()) << "a refused start leaves the window idle";
}

TEST_F(Countdown, RelativeTenSecondsFiresAtEleven) {
  Choose(frame->m_taskChoice, 0);
  SetRelative(0, 0, 10);
  Click(frame->m_startButton);
  EXPECT_TRUE(frame->m_running);
  EXPECT_EQ(frame->m_actionCode, 1);
  EXPECT_TRUE(frame->m_task.m_shutdown);
  EXPECT_TRUE(frame->m_countdownTimer.IsRunning());
  EXPECT_FALSE(frame->m_startButton->IsEnabled());

  Tick();
  EXPECT_EQ(CountdownText(), "00:00:10");
  EXPECT_EQ(frame->m_progressBar->GetRange(), 10);
  EXPECT_EQ(frame->m_progressBar->GetValue(), 10);
  for (int second = 2; second <= 10; ++second)
    Tick();
  EXPECT_EQ(CountdownText(), "00:00:01");
  EXPECT_EQ(frame->m_progressBar->GetValue(), 1);
  EXPECT_FALSE(frame->m_executeTimer.IsRunning()) << "nothing happens before 11 s";
  Tick();
  EXPECT_EQ(frame->m_remainingSeconds, 0u);
  EXPECT_FALSE(frame->m_countdownTimer.IsRunning());
  EXPECT_TRUE(frame->m_executeTimer.IsRunning()) << "handed over at 11 s";

  Fire(frame->m_executeTimer);
  EXPECT_FALSE(frame->m_running);
  EXPECT_EQ(frame->m_actionCode, 0);
  EXPECT_FALSE(frame->m_task.m_shutdown);
  EXPECT_TRUE(frame->m_startButton->IsEnabled());
}

TEST_F(Countdown, LateTicksFollowTheDeadline) {
  Choose(frame->m_taskChoice, 4);
  SetRelative(0, 1, 0);
  Click(frame->m_startButton);
  Tick();
  EXPECT_EQ(CountdownText(), "00:01:00");
  // The machine was busy for five seconds: one late tick catches up.
  Tick(6);
  EXPECT_EQ(CountdownText(), "00:00:54");
  EXPECT_EQ(frame->m_progressBar->GetValue(), 54);
  // Ticks a little early or late still count whole seconds.
  clock.Advance(milliseconds(900));
  Fire(frame->m_countdownTimer);
  EXPECT_EQ(CountdownText(), "00:00:53");
  clock.Advance(milliseconds(1300));
  Fire(frame->m_countdownTimer);
  EXPECT_EQ(CountdownText(), "00:00:52");
  // A long stall ends the countdown at the next tick instead of counting on.
  Tick(120);
  EXPECT_EQ(frame->m_remainingSeconds, 0u);
  EXPECT_TRUE(frame->m_executeTimer.IsRunning());
}

TEST_F(Countdown, AbsoluteTargetShowsDays) {
  Choose(frame->m_taskChoice, 5);
  SetAbsolute(Now() + wxTimeSpan::Hours(26) + wxTimeSpan::Second());
  Click(frame->m_startButton);
  ASSERT_TRUE(frame->m_running);
  EXPECT_EQ(frame->m_diffMillis, (26 * 3600 + 1) * 1000);
  Tick();
  EXPECT_EQ(CountdownText(), "1 Day(s) and 02:00:00");
  frame->m_minimised = true;
  Tick();
  EXPECT_EQ(frame->m_trayToolTip, "Duskwatch: Time to Alarm 1 Day(s) and 01:59:59");
  EXPECT_EQ(frame->m_trayIconCode, 6);

  // The wall clock decides: setting it forward brings the moment closer.
  clock.wall += std::chrono::hours(25);
  Fire(frame->m_countdownTimer);
  EXPECT_EQ(CountdownText(), "00:59:59");
}

TEST_F(Countdown, AbsoluteTargetEqualToNowStartsNothingSilently) {
  Choose(frame->m_taskChoice, 0);
  SetAbsolute(Now());
  Click(frame->m_startButton);
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_FALSE(frame->m_running);
  EXPECT_FALSE(frame->m_countdownTimer.IsRunning());
  EXPECT_TRUE(frame->m_startButton->IsEnabled());
}

TEST_F(Countdown, StopWhileIdleIsLogged) {
  Click(frame->m_stopButton);
  const auto log = ErrorLogIn(sandbox.Desktop());
  ASSERT_FALSE(log.empty());
  const std::string text = Sandbox::ReadFile(log);
  EXPECT_NE(text.find("10592"), std::string::npos);
  EXPECT_NE(text.find("Unexpected Error occured."), std::string::npos);
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(CountdownText(), "00:00:00");
}

TEST_F(Countdown, StopDisarms) {
  Choose(frame->m_taskChoice, 1);
  SetRelative(1, 0, 0);
  Click(frame->m_startButton);
  Tick();
  EXPECT_EQ(CountdownText(), "01:00:00");
  Click(frame->m_stopButton);
  EXPECT_FALSE(frame->m_running);
  EXPECT_EQ(frame->m_actionCode, 0);
  EXPECT_FALSE(frame->m_task.m_restart);
  EXPECT_FALSE(frame->m_countdownTimer.IsRunning());
  EXPECT_EQ(CountdownText(), "00:00:00");
  EXPECT_TRUE(frame->m_startButton->IsEnabled());
  EXPECT_FALSE(frame->m_stopButton->IsEnabled());
  EXPECT_TRUE(frame->m_panelRelative->IsEnabled());
  EXPECT_TRUE(ErrorLogIn(sandbox.Desktop()).empty()) << "nothing logged";
}

TEST_F(Countdown, TrayStatusFollowsTheArmedAction) {
  frame->m_minimised = true;
  frame->RefreshCountdown();
  EXPECT_EQ(frame->m_trayToolTip, "Duskwatch : Idle");
  EXPECT_EQ(frame->m_trayIconCode, 0);
  Choose(frame->m_taskChoice, 8);
  SetRelative(0, 2, 5);
  Click(frame->m_startButton);
  Tick();
  EXPECT_EQ(frame->m_trayToolTip, "Duskwatch: Locking Workstation in 00:02:05");
  EXPECT_EQ(frame->m_trayIconCode, 9);
  EXPECT_TRUE(frame->m_trayIcon.IsOk());
  Click(frame->m_stopButton);
  EXPECT_EQ(frame->m_trayToolTip, "Duskwatch : Idle");
}

TEST_F(Countdown, ReminderShowsWhenTheLeadIsCrossed) {
  TestExtras extras;
  extras.reminder = true;
  extras.reminderSeconds = 5;
  frame->SetExtras(&extras);
  Choose(frame->m_taskChoice, 2);
  SetRelative(0, 0, 10);
  Click(frame->m_startButton);
  EXPECT_EQ(frame->m_reminderLead, 5);
  Tick(3);  // 8 left
  EXPECT_FALSE(frame->m_reminderShown);
  Tick(4);  // 4 left: the second at 5 was skipped
  EXPECT_TRUE(frame->m_reminderShown);
  EXPECT_EQ(frame->m_reminderSeconds, 4);
  EXPECT_EQ(frame->m_reminderAction, 2);
  EXPECT_EQ(frame->m_reminderText, "Save your work");
  Tick();
  EXPECT_EQ(frame->m_reminderSeconds, 3);
  Tick(3);
  EXPECT_FALSE(frame->m_reminderShown) << "hidden at zero";
  EXPECT_EQ(frame->m_reminderAction, 99);
  frame->SetExtras(nullptr);
}

TEST_F(Countdown, ReminderLongerThanTheCountdownNeverShows) {
  TestExtras extras;
  extras.reminder = true;  // 0:00 means 20 s
  frame->SetExtras(&extras);
  Choose(frame->m_taskChoice, 0);
  SetRelative(0, 0, 20);
  Click(frame->m_startButton);
  EXPECT_EQ(frame->m_reminderLead, 20);
  Tick();
  EXPECT_TRUE(frame->m_reminderShown) << "a lead equal to the countdown shows at the first tick";
  Click(frame->m_stopButton);
  EXPECT_FALSE(frame->m_reminderShown);

  SetRelative(0, 0, 19);
  Click(frame->m_startButton);
  for (int second = 0; second < 20; ++second)
    Tick();
  EXPECT_FALSE(frame->m_reminderShown);
  EXPECT_EQ(frame->m_reminderAction, 99);
  frame->SetExtras(nullptr);
}

TEST_F(Countdown, CleanupTaskTakesTheSelection) {
  TestExtras extras;
  extras.cleanupItems = true;
  frame->SetExtras(&extras);
  Choose(frame->m_taskChoice, 7);
  SetRelative(0, 0, 2);
  Click(frame->m_startButton);
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(frame->m_actionCode, 8);
  EXPECT_TRUE(frame->m_cleanupSelected);
  EXPECT_TRUE(frame->m_cleanupSelection.Get(ItemId::CacheChrome));
  frame->SetExtras(nullptr);
}

TEST_F(Countdown, ScheduleRequestCountsOneSecond) {
  Choose(frame->m_taskChoice, 0);
  SetAbsolute(Now() + wxTimeSpan::Hours(3));
  Toggle(frame->m_repeatedCheck, true);
  frame->m_repeatBook->SetSelection(1);
  frame->m_weekDays[2]->SetValue(true);
  Click(frame->m_startButton);
  EXPECT_TRUE(frame->m_scheduleMode);
  EXPECT_EQ(frame->m_remainingSeconds, 1u);
  Tick();
  EXPECT_EQ(frame->m_remainingSeconds, 0u);
  EXPECT_TRUE(frame->m_executeTimer.IsRunning());
}

TEST_F(Countdown, AbsoluteWakeUpCountsFromZeroWithThirtySecondsAtLeast) {
  TestExtras extras;
  extras.wakeup = true;
  extras.wakeupAbsolute = true;
  extras.wakeupDelay = 70;  // 10 s after a 60 s countdown
  frame->SetExtras(&extras);
  Choose(frame->m_taskChoice, 2);
  SetRelative(0, 0, 59);
  Click(frame->m_startButton);
  ASSERT_TRUE(frame->m_running);
  EXPECT_FALSE(extras.lastRequest.mainAbsolute);
  EXPECT_EQ(extras.lastRequest.countdownSeconds, 60u);
  EXPECT_TRUE(frame->m_task.m_systemWakeUp);
  EXPECT_EQ(frame->m_task.m_wakeUpSeconds, 40) << "pushed 30 s later, counted from zero";
  Click(frame->m_stopButton);

  extras.wakeupDelay = 0;  // the page refused the time
  Click(frame->m_startButton);
  EXPECT_FALSE(frame->m_running);
  EXPECT_FALSE(frame->m_task.m_systemWakeUp);
  frame->SetExtras(nullptr);
}

TEST_F(Countdown, PreventStandbyHoldsTheInhibitor) {
  Choose(frame->m_taskChoice, 0);
  Toggle(frame->m_preventStandbyCheck, true);
  SetRelative(0, 0, 1);
  Click(frame->m_startButton);
  EXPECT_TRUE(frame->m_task.m_executionStateHeld);
  EXPECT_FALSE(frame->m_task.m_preventStandby) << "the request is used up";
  EXPECT_EQ(DryRun(), "inhibit what=sleep:idle mode=block\n");
  Click(frame->m_stopButton);
  EXPECT_FALSE(frame->m_task.m_executionStateHeld) << "nothing runs after Stop: others may suspend again";
  Click(frame->m_startButton);
  EXPECT_TRUE(frame->m_task.m_executionStateHeld);
  Tick(2);
  Fire(frame->m_executeTimer);
  EXPECT_FALSE(frame->m_task.m_executionStateHeld) << "let go when the task ends";
  EXPECT_EQ(DryRun(), "inhibit what=sleep:idle mode=block\nuninhibit\ninhibit what=sleep:idle mode=block\n"
                      "uninhibit\npoweroff force=0\n");
}

TEST_F(Countdown, FullCleanupNowSelectsAllThenRestores) {
  frame->m_cleanupSelection.Set(ItemId::CacheInternetExplorer, true);
  frame->m_cleanupSelection.anySelected = true;
  Click(frame->m_nowButtons[7]);
  EXPECT_TRUE(frame->m_running);
  EXPECT_EQ(frame->m_cleanupSelection.CountSelected(), kCleanupItemCount);
  // The sandbox's clean-up runs; its end starts the completion timer.
  for (int i = 0; i < 2000 && frame->IsCleanupRunning(); ++i) {
    wxTheApp->ProcessPendingEvents();
    wxMilliSleep(5);
  }
  EXPECT_TRUE(frame->m_fullCleanupTimer.IsRunning());
  EXPECT_FALSE(frame->m_startButton->IsEnabled());

  frame->m_cleanupState.CleanupRunning = true;
  Fire(frame->m_fullCleanupTimer);
  EXPECT_TRUE(frame->m_running) << "waits for the worker";
  frame->m_cleanupState.CleanupRunning = false;
  Fire(frame->m_fullCleanupTimer);
  EXPECT_FALSE(frame->m_running);
  EXPECT_FALSE(frame->m_fullCleanupTimer.IsRunning());
  EXPECT_EQ(frame->m_cleanupSelection.CountSelected(), 1u);
  EXPECT_TRUE(frame->m_cleanupSelection.Get(ItemId::CacheInternetExplorer));
  EXPECT_TRUE(frame->m_startButton->IsEnabled());
}

TEST_F(Countdown, SavedTasksRefreshIsGuarded) {
  int refreshes = 0;
  frame->m_refreshSavedTasks = [&] {
    ++refreshes;
    Fire(frame->m_tasksRefreshTimer);  // a tick arriving during the refresh is skipped
  };
  Fire(frame->m_tasksRefreshTimer);
  EXPECT_EQ(refreshes, 1);
  frame->m_tasksRefreshSuspended = true;
  Fire(frame->m_tasksRefreshTimer);
  EXPECT_EQ(refreshes, 1);
}

}  // namespace
