// Task files of every kind run from start-up to their end, which closes the
// window and so ends the program.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include <wx/utils.h>

#include "tests/support/fake_clock.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sandbox.h"
#include "tests/ui/startup_app.h"

namespace {

class TaskFileRun : public testing::Test {
 protected:
  TaskFileRun() {
    sandbox.SetEnv("DKWT_DRY_RUN", (sandbox.Root() / "dry-run.log").string());
    const auto config = sandbox.Root() / "asound.conf";
    Sandbox::WriteFile(config, "pcm.!default { type file; slave.pcm { type null }; file \"" +
                                   (sandbox.Root() / "alarm.raw").string() + "\"; format \"raw\" }\n");
    sandbox.SetEnv("ALSA_CONFIG_PATH", config.string());
    std::filesystem::create_directories(sandbox.Desktop());
  }
  std::string WriteTask(const std::string& name, const std::string& content) {
    const auto folder = sandbox.DataHome() / "DKWT-Tasks";
    std::filesystem::create_directories(folder);
    Sandbox::WriteFile(folder / name, content);
    return (folder / name).string();
  }
  std::string DryRun() const {
    const auto file = sandbox.Root() / "dry-run.log";
    return std::filesystem::exists(file) ? Sandbox::ReadFile(file) : std::string();
  }
  static void Fire(CDFrame* frame, wxTimer& timer) {
    wxTimerEvent event(timer);
    frame->GetEventHandler()->ProcessEvent(event);
  }
  // Counts down to zero and lets the executor act; then drives the alarm or
  // the monitor watch while they run. True when the window ended the program.
  bool RunToEnd(StartupApp& app) {
    CDFrame* frame = app.window;
    for (int second = 0; second < 100 && !frame->m_executeTimer.IsRunning(); ++second) {
      clock.Advance(std::chrono::seconds(1));
      Fire(frame, frame->m_countdownTimer);
    }
    // A clean-up's worker reports its end through the event queue.
    for (int wait = 0; wait < 2000 && frame->IsCleanupRunning(); ++wait) {
      wxTheApp->ProcessPendingEvents();
      wxMilliSleep(5);
    }
    Fire(frame, frame->m_executeTimer);
    for (int tick = 0; tick < 100 && frame->m_alarmTimer.IsRunning(); ++tick)
      Fire(frame, frame->m_alarmTimer);
    const bool ended = wxTheApp->IsScheduledForDestruction(frame);
    wxTheApp->ProcessIdle();
    if (ended)
      app.window = nullptr;
    return ended;
  }

  Sandbox sandbox;
  FakeClock clock;
  MessageRecorder messages;
};

TEST_F(TaskFileRun, EveryKindActsThenEnds) {
  const auto launch = sandbox.Root() / "page.xpm";
  Sandbox::WriteFile(launch, "/* XPM */\n");
  const std::string file = "[FILE]\nPath=" + launch.string() + "\n";
  const struct {
    const char* name;
    std::string content;
    std::string actions;
  } kinds[] = {
      {"shutdown.stask", "[FORCE]\nforced=1\n", "poweroff force=1\n"},
      {"restart.stask", "", "reboot force=0\n"},
      {"standby.stask", "", "suspend hibernate=0 force=0\n"},
      {"hibernate.stask", "[FORCE]\nforced=1\n", "suspend hibernate=1 force=1\n"},
      {"logout.stask", "", "logoff force=0\n"},
      {"lock.stask", "", "lock\n"},
      {"file.stask", file, "launch path=" + launch.string() + "\n"},
      {"alarm.stask", "[ALARM]\nSecondes=2\n", ""},
      {"monitorOff.stask", "", "monitor state=off\n"},
      {"cleanup.stask", "[CLEANUP]\nFree_Space=Temp\n" + file, "launch path=" + launch.string() + "\n"},
      {"lock_with_alarm.stask", "[ALARM]\nSecondes=1\n", "lock\n"},
  };
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.name);
    std::filesystem::remove(sandbox.Root() / "dry-run.log");
    StartupApp app;
    ASSERT_TRUE(app.Start({"-task", WriteTask(kind.name, kind.content)}));
    ASSERT_TRUE(app.window->m_running);
    EXPECT_TRUE(RunToEnd(app));
    EXPECT_EQ(DryRun(), kind.actions);
  }
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(TaskFileRun, AlarmPlaysThroughTheRun) {
  StartupApp app;
  ASSERT_TRUE(app.Start({"-task", WriteTask("alarm.stask", "[ALARM]\nSecondes=3\nVolume=40\n")}));
  CDFrame* frame = app.window;
  for (int second = 0; second < 3; ++second) {
    clock.Advance(std::chrono::seconds(1));
    Fire(frame, frame->m_countdownTimer);
  }
  Fire(frame, frame->m_executeTimer);
  Fire(frame, frame->m_alarmTimer);
  EXPECT_TRUE(frame->m_task.m_alarmSound.IsPlaying());
  EXPECT_TRUE(frame->m_alarmVolumeSet);
  for (int second = 0; second < 3; ++second)
    Fire(frame, frame->m_alarmTimer);
  EXPECT_FALSE(frame->m_task.m_alarmSound.IsPlaying());
  EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(frame)) << "after its alarm the run ends";
  wxTheApp->ProcessIdle();
  app.window = nullptr;
}

TEST_F(TaskFileRun, ReminderDoubleClickEndsTheRunWithoutActing) {
  StartupApp app;
  ASSERT_TRUE(app.Start({"-task", WriteTask("shutdown.stask", "[REMINDER]\nSecondes=10\nText=Leaving soon\n")}));
  CDFrame* frame = app.window;
  for (int second = 0; second < 2; ++second) {
    clock.Advance(std::chrono::seconds(1));
    Fire(frame, frame->m_countdownTimer);
  }
  ASSERT_NE(frame->m_reminder, nullptr);
  EXPECT_TRUE(frame->m_reminder->IsShown());
  wxMouseEvent click(wxEVT_LEFT_DCLICK);
  click.SetEventObject(frame->m_reminder);
  frame->m_reminder->GetEventHandler()->ProcessEvent(click);
  EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(frame));
  EXPECT_FALSE(frame->m_countdownTimer.IsRunning());
  wxTheApp->ProcessIdle();
  app.window = nullptr;
  EXPECT_EQ(DryRun(), "") << "the task is not carried out";
}

TEST_F(TaskFileRun, AnotherCopyRunningAddsItsReminder) {
  OtherInstance other(sandbox.Root());

  StartupApp app;
  ASSERT_TRUE(app.Start({"-task", WriteTask("lock.stask", "")}));
  CDFrame* frame = app.window;
  EXPECT_TRUE(app.m_otherInstanceRunning);
  EXPECT_EQ(frame->m_remainingSeconds, 22u);
  for (int second = 0; second < 2; ++second) {
    clock.Advance(std::chrono::seconds(1));
    Fire(frame, frame->m_countdownTimer);
  }
  ASSERT_NE(frame->m_reminder, nullptr);
  EXPECT_TRUE(frame->m_reminder->IsShown());
  EXPECT_EQ(frame->m_reminderText,
            "Other DKWT process detected. Double click if you want to stop this scheudled task.");
  EXPECT_TRUE(RunToEnd(app));
  EXPECT_EQ(DryRun(), "lock\n");
}

}  // namespace
