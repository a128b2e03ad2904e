// The system wake-up timer: the due-time rule and the alarm after waking
// (recorded under the dry run), a real CLOCK_REALTIME_ALARM timer where this
// process may wake the machine, and the refusal where it may not.
#include <cstdlib>
#include <thread>

#include <wx/app.h>

#include "app/task.h"
#include "app/task_host.h"
#include "extras/system_wake_up.h"
#include "os/waketimer.h"
#include "tests/extras/extras_fixture.h"

namespace {

using namespace std::chrono_literals;

class HostStub : public TaskHost {
 public:
  void LogError(int code, const wxString& message, bool) override { logged.emplace_back(code, message); }
  bool IsTaskFileRun() const override { return fileRun; }
  bool FileAlarmExtra() const override { return fileAlarm; }
  bool AlarmPageOn() const override { return alarmPage; }
  bool IgnoreBrowserVersion() const override { return false; }
  void CloseMainWindow() override {}

  std::vector<std::pair<int, wxString>> logged;
  bool fileRun = false, fileAlarm = false, alarmPage = false;
};

class WakeUp : public testing::Test {
 protected:
  WakeUp() { sandbox.SetEnv("DKWT_DRY_RUN", (sandbox.Root() / "dry-run.log").string()); }
  std::string DryRun() const {
    const auto file = sandbox.Root() / "dry-run.log";
    return std::filesystem::exists(file) ? Sandbox::ReadFile(file) : std::string();
  }
  Sandbox sandbox;
  HostStub host;
  Task task{&host};
  std::atomic<bool> sound{false};
  std::atomic<std::int32_t> seconds{0};
  SystemWakeUp::AfterWakeAlarm alarm{sound, seconds};
};

TEST_F(WakeUp, ShortDelaysLeaveTheMachineAMinute) {
  const std::pair<std::int64_t, const char*> rows[] = {{5, "60"}, {9, "60"}, {10, "10"}, {3600, "3600"}};
  for (const auto& [delay, armed] : rows) {
    std::filesystem::remove(sandbox.Root() / "dry-run.log");
    SystemWakeUp wakeUp;
    task.m_activeWakeUpSeconds = delay;
    EXPECT_EQ(wakeUp.Arm(task, host, alarm, [] {}), 0);
    EXPECT_EQ(task.m_wakeUpDueTime, std::atoll(armed) * 10'000'000);
    EXPECT_EQ(wakeUp.Cancel(), 0);
    EXPECT_EQ(DryRun(), std::string("waketimer seconds=") + armed + "\nwaketimer cancel\n");
  }
  EXPECT_TRUE(host.logged.empty());
}

TEST_F(WakeUp, TheAlarmAfterWakingIsThePagesOrTheFiles) {
  SystemWakeUp wakeUp;
  task.m_activeWakeUpSeconds = 60;
  task.m_alarmSeconds = 45;
  wakeUp.Arm(task, host, alarm, [] {});
  EXPECT_FALSE(sound) << "the Alarm page is off";
  host.alarmPage = true;
  wakeUp.Arm(task, host, alarm, [] {});
  EXPECT_TRUE(sound);
  EXPECT_EQ(seconds, 45);
  host.fileRun = true;  // a task file decides for itself
  wakeUp.Arm(task, host, alarm, [] {});
  EXPECT_FALSE(sound);
  host.fileAlarm = true;
  wakeUp.Arm(task, host, alarm, [] {});
  EXPECT_TRUE(sound);
}

// Without the dry run: a real timer, where this process may wake the machine.
class RealWakeUp : public WakeUp {
 protected:
  RealWakeUp() { sandbox.SetEnv("DKWT_DRY_RUN", ""); }
  void SetUp() override {
    os::waketimer::Timer probe;
    if (probe.Arm(3600, [] {}).result == os::waketimer::Result::Unsupported)
      GTEST_SKIP() << "this process may not wake the machine (CAP_WAKE_ALARM)";
  }
};

TEST_F(RealWakeUp, FiresOnceAndNotAfterCancel) {
  os::waketimer::Timer timer;
  std::atomic<int> fired{0};
  ASSERT_EQ(timer.Arm(1, [&] { ++fired; }).result, os::waketimer::Result::Ok);
  for (int i = 0; i < 300 && fired == 0; ++i)
    std::this_thread::sleep_for(10ms);
  EXPECT_EQ(fired, 1);

  ASSERT_EQ(timer.Arm(1, [&] { ++fired; }).result, os::waketimer::Result::Ok);
  EXPECT_TRUE(timer.Armed());
  EXPECT_EQ(timer.Cancel(), 0);
  std::this_thread::sleep_for(1500ms);
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(DryRun(), "");
}

// The child half of the test below: runs without CAP_WAKE_ALARM.
TEST_F(WakeUp, RefusedWithoutThePermission) {
  if (!std::getenv("DKWT_TEST_WITHOUT_WAKE_ALARM"))
    GTEST_SKIP() << "runs in a child without the capability";
  sandbox.SetEnv("DKWT_DRY_RUN", "");
  SystemWakeUp wakeUp;
  task.m_activeWakeUpSeconds = 60;
  EXPECT_EQ(wakeUp.Arm(task, host, alarm, [] {}), 1);
  ASSERT_EQ(host.logged.size(), 1u);
  EXPECT_EQ(host.logged[0].first, 10591);
  EXPECT_EQ(host.logged[0].second, "Your System does not support Wake Up.");
}

TEST_F(RealWakeUp, WithoutThePermissionTheSystemDoesNotSupportWakeUp) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string command = "DKWT_TEST_WITHOUT_WAKE_ALARM=1 setpriv --inh-caps=-wake_alarm --bounding-set=-wake_alarm '" +
                              self + "' --gtest_filter=WakeUp.RefusedWithoutThePermission 2>&1 | grep -q '^.       OK . WakeUp'";
  EXPECT_EQ(std::system(command.c_str()), 0);
}

// The real window: Standby with a wake-up and an alarm after it.
class FrameWakeUp : public ExtrasTest {
 protected:
  FrameWakeUp() {
    const auto config = sandbox.Root() / "asound.conf";
    Sandbox::WriteFile(config, "pcm.!default { type file; slave.pcm { type null }; file \"" + Sound().string() +
                                   "\"; format \"raw\" }\n");
    sandbox.SetEnv("ALSA_CONFIG_PATH", config.string());
  }
  std::filesystem::path Sound() const { return sandbox.Root() / "alarm.raw"; }
  void ConfigureStandby(int wakeSeconds) {
    Open(kStandby);
    Switch(ExtrasPageId::Wakeup);
    SetSpins(Page(ExtrasPageId::Wakeup).m_relativeSpins, 0, 0, wakeSeconds);
    Switch(ExtrasPageId::Alarm);
    ASSERT_TRUE(CloseWindow());
  }
};

TEST_F(FrameWakeUp, TheTimerIsArmedBeforeTheSuspendAndCancelledOnAnEarlyResume) {
  ConfigureStandby(59);
  SetRelative(0, 0, 2);
  Click(frame->m_startButton);
  ASSERT_TRUE(frame->m_running);
  for (int second = 0; second <= 3 && !frame->m_executeTimer.IsRunning(); ++second)
    Tick();
  Fire(frame->m_executeTimer);
  EXPECT_EQ(DryRun(), "waketimer seconds=60\nsuspend hibernate=0 force=0\n");
  EXPECT_TRUE(frame->m_alarmAfterWakeUp);
  EXPECT_EQ(frame->m_afterWakeAlarmSeconds, 20);

  // Woken after ten seconds by something else: our timer must not fire later.
  clock.Advance(10s);
  frame->OnSleepSignal(false);
  Fire(frame->m_resumeTimer);
  EXPECT_EQ(DryRun(), "waketimer seconds=60\nsuspend hibernate=0 force=0\nwaketimer cancel\n");
}

TEST_F(FrameWakeUp, ASecondStandbyLaunchesNothingAndReplaysNoAlarm) {
  const auto file = sandbox.Root() / "morning.txt";
  Sandbox::WriteFile(file, "good morning\n");
  ConfigureStandby(59);
  Open(kStandby);
  Switch(ExtrasPageId::Launch);
  messages.files = {wxString(file.string())};
  Click(Page(ExtrasPageId::Launch).m_browse);
  ASSERT_TRUE(CloseWindow());
  auto runStandby = [&] {
    SetRelative(0, 0, 1);
    Click(frame->m_startButton);
    for (int second = 0; second <= 2 && !frame->m_executeTimer.IsRunning(); ++second)
      Tick();
    Fire(frame->m_executeTimer);
  };
  auto pumpUntil = [](auto done) {
    for (int i = 0; i < 500 && !done(); ++i) {
      wxTheApp->ProcessPendingEvents();
      std::this_thread::sleep_for(2ms);
    }
    return done();
  };

  runStandby();
  EXPECT_TRUE(frame->m_task.m_launchAfterWakeUp);
  EXPECT_TRUE(frame->m_alarmAfterWakeUp);
  frame->OnSleepSignal(true);
  clock.Advance(60s);
  frame->OnSystemWakeUp();  // what the timer's thread posts
  const std::string launched = "launch path=" + file.string() + "\n";
  ASSERT_TRUE(pumpUntil([&] { return !frame->m_task.m_launchAfterWakeUp; })) << "the after-wake-up steps ended";
  frame->OnSleepSignal(false);
  auto count = [this](const std::string& line) {
    const std::string log = DryRun();
    std::size_t found = 0;
    for (auto at = log.find(line); at != std::string::npos; at = log.find(line, at + 1))
      ++found;
    return found;
  };
  EXPECT_EQ(count("waketimer seconds=60\n"), 1u) << DryRun();
  EXPECT_EQ(count(launched), 1u) << DryRun();
  const auto rung = clock.slept;
  EXPECT_GE(rung, 20s) << "the alarm rang its 20 s after the first wake-up";

  // The same run, a stand-by without a wake-up: nothing follows it.
  Open(kStandby);
  Switch(ExtrasPageId::Wakeup);
  ASSERT_TRUE(CloseWindow());
  runStandby();
  frame->OnSleepSignal(true);
  clock.Advance(60s);
  frame->OnSleepSignal(false);
  EXPECT_FALSE(frame->m_task.m_launchAfterWakeUp);
  EXPECT_FALSE(frame->m_alarmAfterWakeUp);
  EXPECT_FALSE(frame->m_task.m_resumedByOwnTimer);
  // The steps a monitor wake-up runs on its thread: nothing is left for them.
  frame->RunAfterWakeUpActions();
  pumpUntil([] { return false; });
  EXPECT_EQ(count("suspend hibernate=0 force=0\n"), 2u) << DryRun();
  EXPECT_EQ(count("waketimer seconds="), 1u) << DryRun();
  EXPECT_EQ(count("launch path="), 1u) << "nothing launched again:\n" << DryRun();
  EXPECT_EQ(clock.slept, rung) << "no alarm replayed";
}

TEST_F(FrameWakeUp, ARealTimerWakesTheAlarm) {
  sandbox.SetEnv("DKWT_DRY_RUN", "");
  {
    os::waketimer::Timer probe;
    if (probe.Arm(3600, [] {}).result == os::waketimer::Result::Unsupported)
      GTEST_SKIP() << "this process may not wake the machine (CAP_WAKE_ALARM)";
  }
  ConfigureStandby(10);
  SetClock(nullptr);  // the alarm rings for real seconds
  frame->m_task.m_alarmSeconds = 1;
  frame->m_task.m_activeWakeUpSeconds = 10;
  ASSERT_TRUE(frame->m_task.m_armWakeUpTimer());
  frame->OnSleepSignal(true);  // the timer wakes only a sleep that began
  auto played = [this] {
    std::error_code missing;
    const auto size = std::filesystem::file_size(Sound(), missing);
    return !missing && size > 0;
  };
  for (int i = 0; i < 200 && !(played() && !frame->m_running); ++i) {
    std::this_thread::sleep_for(100ms);
    wxTheApp->ProcessPendingEvents();
  }
  EXPECT_TRUE(played()) << "the alarm played after the timer fired";
  EXPECT_FALSE(frame->m_alarmAfterWakeUp) << "and is forgotten: it plays once";
  EXPECT_FALSE(frame->m_running) << "and stopped after its second";
  SetClock(&clock);
}

}  // namespace
