// The window and a fake logind on a private bus: the inhibitor that refuses
// other programs' suspends, a refused own suspend, and the resume signal.
#include <memory>
#include <thread>

#include <wx/app.h>

#include "tests/support/fake_logind.h"
#include "tests/ui/frame_fixture.h"

namespace {

using namespace std::chrono_literals;

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

template <typename Predicate>
bool PumpUntil(Predicate done) {
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    wxTheApp->Yield(true);
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

class PowerEvents : public FrameTest {
 protected:
  PowerEvents() {
    // No tool may stand in for a missing bus: only the fake answers.
    std::filesystem::create_directories(sandbox.Root() / "no-tools");
    sandbox.SetEnv("PATH", (sandbox.Root() / "no-tools").string());
    logind = std::make_unique<FakeLogind>(sandbox.Root() / "buses", "");
    if (logind->Ready())
      sandbox.SetEnv("DBUS_SYSTEM_BUS_ADDRESS", logind->SystemAddress());
    frame->SubscribePowerEvents();
  }
  ~PowerEvents() override {
    delete frame;  // lets go of the bus before the fake goes
    frame = nullptr;
  }
  std::string Inhibitors() const { return logind->CallManager("org.freedesktop.login1.Manager.ListInhibitors"); }
  void EmitPrepareForSleep(bool goingToSleep) const {
    logind->CallManager("org.freedesktop.DBus.Mock.EmitSignal",
                        {"org.freedesktop.login1.Manager", "PrepareForSleep", "b", goingToSleep ? "[<true>]" : "[<false>]"});
  }

  std::unique_ptr<FakeLogind> logind;
};

TEST_F(PowerEvents, PreventedCountdownRefusesOtherProgramsSuspend) {
  ASSERT_TRUE(logind->Ready()) << logind->Problem();
  sandbox.UnsetEnv("DKWT_DRY_RUN");  // the inhibitor itself, from the fake
  Choose(frame->m_taskChoice, 0);
  Toggle(frame->m_preventStandbyCheck, true);
  SetRelative(1, 0, 0);
  Click(frame->m_startButton);
  ASSERT_TRUE(frame->m_task.m_executionStateHeld);
  EXPECT_EQ(Count(Inhibitors(), "'sleep:idle', 'Duskwatch'"), 1u) << Inhibitors();
  EXPECT_EQ(Count(Inhibitors(), "'block'"), 1u) << Inhibitors();

  Click(frame->m_stopButton);
  EXPECT_TRUE(PumpUntil([&] { return Count(Inhibitors(), "sleep:idle") == 0; })) << Inhibitors();

  // Without "Prevent Standby/Hibernate" nothing is held.
  Toggle(frame->m_preventStandbyCheck, false);
  Click(frame->m_startButton);
  EXPECT_EQ(Count(Inhibitors(), "sleep:idle"), 0u);
  Click(frame->m_stopButton);
}

TEST_F(PowerEvents, RefusedOwnSuspendIsReported) {
  ASSERT_TRUE(logind->Ready()) << logind->Problem();
  logind->Refuse("Suspend", "b", "org.freedesktop.login1.BlockedByInhibitor", "blocked by another program");
  sandbox.UnsetEnv("DKWT_DRY_RUN");
  Choose(frame->m_taskChoice, 2);
  SetRelative(0, 0, 1);
  Click(frame->m_startButton);
  Tick();
  Tick();
  Fire(frame->m_executeTimer);
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(LastMessage(), "Suspention was denied !");
  EXPECT_EQ(messages.messages.back().caption, "Message");
  EXPECT_FALSE(frame->m_task.m_suspendRequested);
  EXPECT_FALSE(frame->m_running);
  bool asked = false;
  for (const std::string& call : logind->Calls())
    asked = asked || call.rfind("Suspend", 0) == 0;
  EXPECT_TRUE(asked) << "the request reached logind";
}

// A stand-by with a wake-up, a launch and an alarm after it.
class WakeUpPages : public ExtrasPages {
 public:
  bool WakeupPageOn() const override { return true; }
  bool LaunchPageOn() const override { return true; }
  std::int64_t SystemWakeUpDelay(const WakeUpRequest&, bool& valid) const override {
    valid = true;
    return 61;
  }
};

TEST_F(PowerEvents, ARefusedSuspendCancelsTheWakeUpAndALaterFireRunsNothing) {
  ASSERT_TRUE(logind->Ready()) << logind->Problem();
  logind->Refuse("Suspend", "b", "org.freedesktop.login1.BlockedByInhibitor", "blocked by another program");
  sandbox.UnsetEnv("DKWT_DRY_RUN");  // the refusal comes from the fake
  const auto sound = sandbox.Root() / "asound.conf";  // an alarm would go nowhere
  Sandbox::WriteFile(sound, "pcm.!default { type null }\n");
  sandbox.SetEnv("ALSA_CONFIG_PATH", sound.string());
  WakeUpPages pages;
  frame->SetExtras(&pages);
  // The timer's seam: what arming and cancelling it would do.
  int armed = 0, cancelled = 0;
  frame->m_task.m_armWakeUpTimer = [&] {
    ++armed;
    frame->m_alarmAfterWakeUp = true;
    frame->m_afterWakeAlarmSeconds = 20;
    return true;
  };
  frame->m_cancelWakeUpTimer = [&] {
    ++cancelled;
    return 0;
  };
  // Launched for real if anything after-wake ran: it leaves a mark.
  const auto mark = sandbox.Root() / "launched";
  const auto program = sandbox.Root() / "after-wake";
  Sandbox::WriteFile(program, "#!/bin/sh\ntouch '" + mark.string() + "'\n");
  std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  frame->m_task.m_launchPath = program.string();

  Choose(frame->m_taskChoice, 2);
  SetRelative(0, 0, 1);
  Click(frame->m_startButton);
  Tick();
  Tick();
  Fire(frame->m_executeTimer);
  EXPECT_EQ(LastMessage(), "Suspention was denied !");
  EXPECT_EQ(armed, 1);
  EXPECT_EQ(cancelled, 1) << "no sleep, so no wake-up";
  EXPECT_FALSE(frame->m_task.m_launchAfterWakeUp);
  EXPECT_FALSE(frame->m_alarmAfterWakeUp);

  // The timer fires anyway (cancelling came too late): nothing follows.
  frame->OnSystemWakeUp();
  for (int i = 0; i < 60; ++i) {  // time for anything to show
    wxTheApp->Yield(true);
    std::this_thread::sleep_for(5ms);
  }
  EXPECT_FALSE(frame->m_task.m_resumedByOwnTimer);
  EXPECT_FALSE(frame->m_task.m_defaultAlarmPlaying);
  EXPECT_FALSE(std::filesystem::exists(mark));
  frame->SetExtras(nullptr);
}

TEST_F(PowerEvents, ResumeSignalClearsTheSuspendRequest) {
  ASSERT_TRUE(logind->Ready()) << logind->Problem();
  Choose(frame->m_taskChoice, 3);
  SetRelative(0, 0, 1);
  Click(frame->m_startButton);
  Tick();
  Tick();
  Fire(frame->m_executeTimer);
  EXPECT_EQ(DryRun(), "suspend hibernate=1 force=0\n");
  ASSERT_TRUE(frame->m_task.m_suspendRequested);

  EmitPrepareForSleep(true);
  ASSERT_TRUE(PumpUntil([&] { return frame->m_sleeping; }));
  EXPECT_FALSE(frame->m_suspendWatchTimer.IsRunning()) << "the suspend began";
  EmitPrepareForSleep(false);
  ASSERT_TRUE(PumpUntil([&] { return !frame->m_task.m_suspendRequested; }));
  EXPECT_FALSE(frame->m_sleeping);
  EXPECT_TRUE(messages.messages.empty());
}

}  // namespace
