// What the real window does when its countdown reaches zero: each action at
// its second, the alarm, the monitor wake-up, the schedule request, the end
// of the program after a launch, and the steps after a wake-up.
#include <filesystem>
#include <thread>

#include <wx/app.h>

#include "os/display.h"
#include "os/linux/display_internal.h"
#include "tests/support/display_lock.h"
#include "tests/ui/frame_fixture.h"

namespace {

using namespace std::chrono_literals;

class ExtrasStub : public ExtrasPages {
 public:
  bool AlarmPageOn() const override { return alarm; }
  bool AlarmPageEnabled() const override { return alarm; }
  bool AlarmDefaultPlayTime() const override { return alarmSeconds == 0; }
  int AlarmSeconds() const override { return alarmSeconds; }
  bool LaunchPageOn() const override { return launch; }
  bool ExitAfterLaunch() const override { return exitAfterLaunch; }
  bool MonitorPageOn() const override { return monitorDelay > 0; }
  std::int64_t MonitorWakeUpDelay(const WakeUpRequest&, bool& valid) const override {
    valid = monitorDelay > 0;
    return monitorDelay + 1;
  }

  bool alarm = false;
  int alarmSeconds = 0;
  bool launch = false;
  bool exitAfterLaunch = false;
  int monitorDelay = 0;
};

class Execute : public FrameTest {
 protected:
  Execute() {
    // Sound goes to a file; there is no mixer to change.
    const auto config = sandbox.Root() / "asound.conf";
    Sandbox::WriteFile(config, "pcm.!default { type file; slave.pcm { type null }; file \"" + Sound().string() +
                                   "\"; format \"raw\" }\n");
    sandbox.SetEnv("ALSA_CONFIG_PATH", config.string());
    frame->SetExtras(&extras);
  }
  ~Execute() override {
    if (frame)
      frame->SetExtras(nullptr);
  }

  std::filesystem::path Sound() const { return sandbox.Root() / "alarm.raw"; }
  std::uintmax_t SoundBytes() const {
    std::error_code error;
    auto size = std::filesystem::file_size(Sound(), error);
    return error ? 0 : size;
  }
  bool SoundGrows() const {
    const auto before = SoundBytes();
    for (int i = 0; i < 100; ++i) {
      std::this_thread::sleep_for(20ms);
      if (SoundBytes() > before)
        return true;
    }
    return false;
  }
  void ClearDryRun() { std::filesystem::remove(DryRunFile()); }

  // Starts a relative countdown and runs it to the executor.
  void RunToZero(int choice, int seconds) {
    Choose(frame->m_taskChoice, choice);
    SetRelative(0, 0, seconds);
    Click(frame->m_startButton);
    ASSERT_TRUE(frame->m_running);
    for (int second = 0; second <= seconds; ++second)
      Tick();
    ASSERT_TRUE(frame->m_executeTimer.IsRunning());
  }
  // A window that ended the program is deleted as the toolkit would.
  void ExpectProgramEnded() {
    EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(frame));
    wxTheApp->ProcessIdle();
    frame = nullptr;
  }

  ExtrasStub extras;
};

TEST_F(Execute, EachPowerActionAtItsSecond) {
  const std::pair<int, const char*> actions[] = {
      {0, "poweroff force=0\n"},
      {1, "reboot force=0\n"},
      {2, "suspend hibernate=0 force=0\n"},
      {3, "suspend hibernate=1 force=0\n"},
      {4, "logoff force=0\n"},
  };
  for (const auto& [choice, line] : actions) {
    ClearDryRun();
    Choose(frame->m_taskChoice, choice);
    SetRelative(0, 0, 3);
    Click(frame->m_startButton);
    for (int second = 0; second < 3; ++second)
      Tick();
    EXPECT_FALSE(frame->m_executeTimer.IsRunning()) << choice;
    Tick();
    Fire(frame->m_executeTimer);
    EXPECT_EQ(DryRun(), line) << "four seconds after starting three";
    EXPECT_FALSE(frame->m_running);
    EXPECT_EQ(frame->m_actionCode, 0);
    EXPECT_EQ(frame->m_task.ArmedIndex(), -1);
    EXPECT_FALSE(frame->m_executeTimer.IsRunning());
  }
  ClearDryRun();
  Toggle(frame->m_forceCheck, true);
  RunToZero(0, 1);
  Fire(frame->m_executeTimer);
  EXPECT_EQ(DryRun(), "poweroff force=1\n");
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(Execute, OwnSuspendThatNeverBeginsCountsAsRefused) {
  int cancelled = 0;
  frame->m_cancelWakeUpTimer = [&] {
    ++cancelled;
    return 0;
  };
  RunToZero(2, 1);
  Fire(frame->m_executeTimer);
  EXPECT_TRUE(frame->m_task.m_suspendRequested);
  ASSERT_TRUE(frame->m_suspendWatchTimer.IsRunning());
  clock.Advance(9s);
  Fire(frame->m_suspendWatchTimer);
  EXPECT_TRUE(messages.messages.empty()) << "still within the grace time";
  clock.Advance(1s);
  Fire(frame->m_suspendWatchTimer);
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(LastMessage(), "Suspention was denied !");
  EXPECT_EQ(messages.messages.back().caption, "Message");
  EXPECT_FALSE(frame->m_task.m_suspendRequested);
  EXPECT_FALSE(frame->m_suspendWatchTimer.IsRunning());
  EXPECT_EQ(cancelled, 1) << "the wake-up timer of a sleep that never began";

  // A suspend that begins is not reported.
  RunToZero(3, 1);
  Fire(frame->m_executeTimer);
  frame->OnSleepSignal(true);
  EXPECT_FALSE(frame->m_suspendWatchTimer.IsRunning());
  frame->OnSleepSignal(false);
  EXPECT_FALSE(frame->m_task.m_suspendRequested);
  EXPECT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(cancelled, 1);
}

TEST_F(Execute, MonitorOffNowReportsAFailedSwitch) {
  // No display to switch: no X server, no compositor, no session bus.
  sandbox.UnsetEnv("DKWT_DRY_RUN");
  sandbox.UnsetEnv("DISPLAY");
  sandbox.UnsetEnv("WAYLAND_DISPLAY");
  std::filesystem::create_directories(sandbox.Root() / "run");
  sandbox.SetEnv("XDG_RUNTIME_DIR", (sandbox.Root() / "run").string());  // no compositor socket either
  sandbox.SetEnv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (sandbox.Root() / "no-bus").string());
  EXPECT_FALSE(frame->RunNow(6)) << "the tray's command";
  Click(frame->m_nowButtons[5]);  // "Monitor Off Now"
  std::string log;
  for (const auto& entry : std::filesystem::directory_iterator(sandbox.Desktop()))
    log += Sandbox::ReadFile(entry.path());
  std::size_t entries = 0;
  for (auto at = log.find("Can't Power the Monitor Off."); at != std::string::npos;
       at = log.find("Can't Power the Monitor Off.", at + 1))
    ++entries;
  EXPECT_EQ(entries, 2u) << log;
}

TEST_F(Execute, LockLocksAndReturnsToIdle) {
  RunToZero(8, 2);
  Fire(frame->m_executeTimer);
  EXPECT_EQ(DryRun(), "lock\n");
  EXPECT_FALSE(frame->m_running);
  EXPECT_FALSE(frame->m_task.m_lock);
  EXPECT_TRUE(frame->m_startButton->IsEnabled());
}

TEST_F(Execute, LaunchLaunchesAndMayEndTheProgram) {
  const auto file = sandbox.Root() / "notes.xpm";
  Sandbox::WriteFile(file, "/* XPM */\n");
  frame->m_task.m_launchPath = file.string();
  RunToZero(9, 1);
  Fire(frame->m_executeTimer);
  EXPECT_EQ(DryRun(), "launch path=" + file.string() + "\n");
  EXPECT_FALSE(frame->m_running);
  EXPECT_FALSE(frame->m_task.m_launch);
  EXPECT_FALSE(wxTheApp->IsScheduledForDestruction(frame));

  extras.launch = true;
  extras.exitAfterLaunch = true;
  ClearDryRun();
  RunToZero(9, 1);
  Fire(frame->m_executeTimer);
  EXPECT_EQ(DryRun(), "launch path=" + file.string() + "\n");
  ExpectProgramEnded();
}

TEST_F(Execute, AlarmRingsForItsSecondsThenStops) {
  extras.alarmSeconds = 3;
  RunToZero(5, 1);
  EXPECT_EQ(frame->m_task.m_alarmSeconds, 3);
  Fire(frame->m_executeTimer);
  ASSERT_TRUE(frame->m_alarmTimer.IsRunning());
  Fire(frame->m_alarmTimer);
  EXPECT_TRUE(frame->m_task.m_defaultAlarmPlaying);
  EXPECT_TRUE(frame->m_running);
  EXPECT_TRUE(SoundGrows()) << "the tone reaches the sound output";
  Fire(frame->m_alarmTimer);
  Fire(frame->m_alarmTimer);
  EXPECT_TRUE(frame->m_alarmTimer.IsRunning()) << "three seconds of ringing";
  EXPECT_TRUE(frame->m_task.m_alarmSound.IsPlaying());
  Fire(frame->m_alarmTimer);
  EXPECT_FALSE(frame->m_alarmTimer.IsRunning());
  EXPECT_FALSE(frame->m_task.m_alarmSound.IsPlaying());
  EXPECT_FALSE(frame->m_task.m_defaultAlarmPlaying);
  EXPECT_FALSE(frame->m_running);
  EXPECT_FALSE(frame->m_task.m_alarm);
  EXPECT_EQ(frame->m_task.m_alarmSeconds, 3) << "the next alarm rings as long";

  // Stop silences it at once.
  RunToZero(5, 1);
  Fire(frame->m_executeTimer);
  Fire(frame->m_alarmTimer);
  ASSERT_TRUE(frame->m_task.m_alarmSound.IsPlaying());
  Click(frame->m_stopButton);
  EXPECT_FALSE(frame->m_task.m_alarmSound.IsPlaying());
  EXPECT_FALSE(frame->m_alarmTimer.IsRunning());
  EXPECT_FALSE(SoundGrows());
}

TEST_F(Execute, AlarmExtraFollowsLockAndPowerActionsAreIssuedOnce) {
  extras.alarm = true;
  extras.alarmSeconds = 2;
  frame->m_extrasConfigured = true;  // the alarm length is taken from the page
  RunToZero(8, 1);
  Fire(frame->m_executeTimer);
  EXPECT_EQ(DryRun(), "lock\n");
  ASSERT_TRUE(frame->m_alarmTimer.IsRunning());
  Fire(frame->m_alarmTimer);
  EXPECT_TRUE(frame->m_task.m_alarmSound.IsPlaying()) << "the alarm after the lock";
  Fire(frame->m_alarmTimer);
  Fire(frame->m_alarmTimer);
  EXPECT_FALSE(frame->m_task.m_alarmSound.IsPlaying());
  EXPECT_EQ(frame->m_task.ArmedIndex(), -1);

  ClearDryRun();
  RunToZero(0, 1);
  Fire(frame->m_executeTimer);
  EXPECT_EQ(DryRun(), "") << "the alarm tick issues it";
  for (int second = 0; second < 3; ++second)
    Fire(frame->m_alarmTimer);
  EXPECT_EQ(DryRun(), "poweroff force=0\n");
  EXPECT_FALSE(frame->m_alarmTimer.IsRunning());
}

TEST_F(Execute, RepeatedTaskIsSavedNotExecuted) {
  Choose(frame->m_taskChoice, 0);
  Select(frame->m_radioAbsolute);
  Toggle(frame->m_repeatedCheck, true);
  Click(frame->m_startButton);
  ASSERT_TRUE(frame->m_scheduleMode);
  Tick();
  Fire(frame->m_executeTimer);
  EXPECT_EQ(DryRun().rfind("schedule name=Daily_1_shutdown_Task_2010", 0), 0u) << "registered, not executed";
  EXPECT_FALSE(frame->m_running);
  EXPECT_EQ(frame->m_task.ArmedIndex(), -1);
  // In the tasks folder, named after the program (here: the test program).
  std::vector<std::string> saved;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(sandbox.DataHome()))
    if (entry.path().extension() == ".stask")
      saved.push_back(entry.path().filename().string());
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_NE(saved[0].find("shutdown_Task_2010"), std::string::npos) << saved[0];
}

// The monitor is really switched only on the test's own Xvfb (its screen
// saver stands in for the display's power); actions are still recorded.
class MonitorExecute : public Execute {
 protected:
  DisplayLock m_displayLock;
  void SetUp() override {
    // Nothing but that Xvfb: not the desktop's Mutter nor its compositor.
    sandbox.UnsetEnv("WAYLAND_DISPLAY");
    sandbox.UnsetEnv("DBUS_SESSION_BUS_ADDRESS");
    sandbox.SetEnv("XDG_RUNTIME_DIR", sandbox.Root().string());
    m_onXvfb = os::display::internal::RandrOutputNames() == std::vector<std::string>{"screen"};
    if (!m_onXvfb)
      GTEST_SKIP() << "needs the test's own Xvfb";
  }
  void TearDown() override {
    if (m_onXvfb)
      SwitchDisplay(true);
  }
  bool m_onXvfb = false;
  // Another program switching the display.
  void SwitchDisplay(bool on) {
    sandbox.UnsetEnv("DKWT_DRY_RUN");
    int error = 0;
    on ? os::display::MonitorOn(error) : os::display::MonitorOff(error);
    sandbox.SetEnv("DKWT_DRY_RUN", DryRunFile().string());
  }
};

TEST_F(MonitorExecute, WithoutWakeUpTheDisplayStaysOffAndTheTaskEnds) {
  SwitchDisplay(false);
  RunToZero(6, 1);
  Fire(frame->m_executeTimer);
  EXPECT_EQ(DryRun(), "monitor state=off\n");
  EXPECT_FALSE(frame->m_running);
  EXPECT_FALSE(frame->m_task.m_monitorOff);
  EXPECT_FALSE(frame->m_monitorWakeTimer.IsRunning());
}

TEST_F(MonitorExecute, WakeUpTurnsTheDisplayOnAfterItsTime) {
  extras.monitorDelay = 5;
  SwitchDisplay(false);
  RunToZero(6, 1);
  EXPECT_EQ(frame->m_task.m_monitorWakeSeconds, 6);
  Fire(frame->m_executeTimer);
  EXPECT_EQ(DryRun(), "monitor state=off\n");
  ASSERT_TRUE(frame->m_monitorWakeTimer.IsRunning());
  for (int second = 0; second < 6; ++second)
    Fire(frame->m_monitorWakeTimer);
  EXPECT_TRUE(frame->m_task.m_monitorOffPending);
  EXPECT_TRUE(frame->m_running);
  Fire(frame->m_monitorWakeTimer);
  EXPECT_EQ(DryRun(), "monitor state=off\nmonitor state=on\n");
  EXPECT_FALSE(frame->m_monitorWakeTimer.IsRunning());
  EXPECT_FALSE(frame->m_task.m_monitorOffPending);
  EXPECT_FALSE(frame->m_running);
  EXPECT_EQ(frame->m_actionCode, 0);
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(MonitorExecute, DisplayWokenEarlyEndsTheTaskWithItsMessage) {
  extras.monitorDelay = 5;
  SwitchDisplay(false);
  RunToZero(6, 1);
  Fire(frame->m_executeTimer);
  Fire(frame->m_monitorWakeTimer);
  Fire(frame->m_monitorWakeTimer);
  SwitchDisplay(true);
  Fire(frame->m_monitorWakeTimer);
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(LastMessage(), "Monitor was turned on before the specified Time by other proccess.");
  EXPECT_EQ(messages.messages.back().caption, "Message");
  EXPECT_FALSE(frame->m_monitorWakeTimer.IsRunning());
  EXPECT_FALSE(frame->m_running);
  EXPECT_FALSE(frame->m_task.m_monitorOff);
  EXPECT_TRUE(frame->m_startButton->IsEnabled());
  EXPECT_EQ(DryRun(), "monitor state=off\n") << "nothing to switch on";
}

TEST_F(MonitorExecute, DisplayThatStaysOnFailsTheTask) {
  extras.monitorDelay = 5;
  RunToZero(6, 1);
  Fire(frame->m_executeTimer);
  EXPECT_EQ(DryRun(), "monitor state=off\n");
  EXPECT_FALSE(frame->m_monitorWakeTimer.IsRunning()) << "the display never went off";
  EXPECT_FALSE(frame->m_running);
}

TEST_F(Execute, AfterAnOwnWakeUpTheAlarmRingsAndTheFileLaunches) {
  const auto file = sandbox.Root() / "morning.xpm";
  Sandbox::WriteFile(file, "/* XPM */\n");
  Task& task = frame->m_task;
  task.m_launchPath = file.string();
  task.m_launchAfterWakeUp = true;
  frame->m_alarmAfterWakeUp = true;
  frame->m_afterWakeAlarmSeconds = 2;

  frame->RunAfterWakeUpActions();
  wxTheApp->ProcessPendingEvents();
  EXPECT_EQ(DryRun(), "") << "not woken by our own timer";

  task.m_resumedByOwnTimer = true;
  frame->RunAfterWakeUpActions();
  EXPECT_EQ(clock.slept, 2s) << "rings for its seconds";
  EXPECT_FALSE(task.m_alarmSound.IsPlaying());
  EXPECT_FALSE(task.m_defaultAlarmPlaying);
  wxTheApp->ProcessPendingEvents();
  EXPECT_EQ(DryRun(), "launch path=" + file.string() + "\n");
  EXPECT_FALSE(frame->m_running);
}

TEST_F(Execute, EarlyResumeCancelsTheWakeUpTimer) {
  Task& task = frame->m_task;
  int cancelled = 0;
  frame->m_cancelWakeUpTimer = [&] {
    ++cancelled;
    return 10589;
  };
  task.m_systemWakeUp = true;
  task.m_activeWakeUpSeconds = 600;
  frame->m_standbyBegan = EpochSeconds() - 60;
  frame->OnSleepSignal(false);
  EXPECT_FALSE(task.m_systemWakeUp);
  EXPECT_FALSE(task.m_resumedByOwnTimer);
  ASSERT_TRUE(frame->m_resumeTimer.IsRunning());
  Fire(frame->m_resumeTimer);
  EXPECT_EQ(cancelled, 1);
  EXPECT_FALSE(frame->m_resumeTimer.IsRunning());
  EXPECT_EQ(clock.slept, 1s);

  // A resume at the timer's time with no sleep seen: not our timer's doing.
  task.m_systemWakeUp = true;
  frame->m_standbyBegan = EpochSeconds() - 600;
  frame->OnSleepSignal(false);
  EXPECT_FALSE(task.m_resumedByOwnTimer);

  // Woken by our own timer: the after-wake-up steps will run.
  task.m_systemWakeUp = true;
  frame->OnSleepSignal(true);
  frame->OnSleepSignal(false);
  EXPECT_TRUE(task.m_resumedByOwnTimer);
  EXPECT_FALSE(frame->m_resumeTimer.IsRunning());
}

}  // namespace
