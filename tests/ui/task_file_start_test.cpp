// A task file given with -task runs through start-up into the real window's
// countdown.
#include <gtest/gtest.h>

#include <filesystem>

#include <wx/cmdline.h>

#include "tests/support/fake_clock.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sandbox.h"
#include "tests/ui/startup_app.h"
#include "ui/cd_controls.h"
#include "ui/cd_frame.h"

namespace {

class TaskFileStart : public testing::Test {
 protected:
  TaskFileStart() {
    sandbox.SetEnv("DKWT_DRY_RUN", (sandbox.Root() / "dry-run.log").string());
    std::filesystem::create_directories(sandbox.Desktop());
  }
  std::string WriteTask(const std::string& name, const std::string& content) {
    const auto folder = sandbox.DataHome() / "DKWT-Tasks";
    std::filesystem::create_directories(folder);
    Sandbox::WriteFile(folder / name, content);
    return (folder / name).string();
  }
  void Tick(CDFrame* frame) {
    clock.Advance(std::chrono::seconds(1));
    wxTimerEvent event(frame->m_countdownTimer);
    frame->GetEventHandler()->ProcessEvent(event);
  }

  Sandbox sandbox;
  FakeClock clock;
  MessageRecorder messages;
};

TEST_F(TaskFileStart, CountsTwoSecondsInAMinimisedWindow) {
  StartupApp app;
  ASSERT_TRUE(app.Start({"-task", WriteTask("shutdown.stask", "[FORCE]\nforced=1\n")}));
  CDFrame* frame = app.window;
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->GetPosition(), wxPoint(160, 160));
  EXPECT_TRUE(frame->m_fromTaskFile);
  // Another copy running on this machine adds its 20 s reminder.
  const std::uint32_t lead = app.m_otherInstanceRunning ? 20 : 0;
  EXPECT_EQ(frame->m_remainingSeconds, lead + 2);
  EXPECT_TRUE(frame->m_running);
  EXPECT_EQ(frame->m_actionCode, 1);
  EXPECT_TRUE(frame->m_task.m_shutdown);
  EXPECT_TRUE(frame->m_task.m_force) << "the file's force flag is kept";
  EXPECT_TRUE(frame->m_countdownTimer.IsRunning());
  EXPECT_TRUE(messages.messages.empty());
  // Minimised, the tray shows the action and the time left.
  wxIconizeEvent iconize(frame->GetId(), true);
  frame->GetEventHandler()->ProcessEvent(iconize);
  EXPECT_EQ(frame->m_trayToolTip, wxString::Format("Duskwatch: Shuting down in 00:00:%02u", lead + 2));

  Tick(frame);
  EXPECT_EQ(frame->m_countdownText->GetLabel(), wxString::Format("00:00:%02u", lead + 1));
  clock.Advance(std::chrono::seconds(lead));
  Tick(frame);
  EXPECT_EQ(frame->m_remainingSeconds, 0u);
  EXPECT_TRUE(frame->m_executeTimer.IsRunning());

  // After its task the run ends by closing the window.
  wxTimerEvent execute(frame->m_executeTimer);
  frame->GetEventHandler()->ProcessEvent(execute);
  EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(frame));
  wxTheApp->ProcessIdle();
  app.window = nullptr;
}

TEST_F(TaskFileStart, ReminderLeadPlusTwoShowsTheReminderAtOnce) {
  StartupApp app;
  ASSERT_TRUE(app.Start({"-task", WriteTask("lock.stask", "[REMINDER]\nSecondes=30\nText=Going away\n")}));
  CDFrame* frame = app.window;
  EXPECT_EQ(frame->m_remainingSeconds, 32u);
  Tick(frame);
  EXPECT_FALSE(frame->m_reminderShown);
  Tick(frame);
  EXPECT_TRUE(frame->m_reminderShown);
  EXPECT_EQ(frame->m_reminderSeconds, 30);
  EXPECT_EQ(frame->m_reminderAction, 8);
  EXPECT_EQ(frame->m_reminderText, "Going away");
  EXPECT_EQ(frame->m_actionCode, 9);
}

}  // namespace
