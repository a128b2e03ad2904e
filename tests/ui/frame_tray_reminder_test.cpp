// The real window with its tray icon and its reminder window.
#include <memory>

#include <wx/app.h>
#include <wx/menu.h>
#include <wx/stattext.h>

#include "tests/support/fake_tray_watcher.h"
#include "tests/ui/frame_fixture.h"

namespace {

class ReminderExtras : public ExtrasPages {
 public:
  bool ReminderEnabled() const override { return true; }
  int ReminderSeconds() const override { return 5; }
  wxString ReminderText() const override { return "Save your work"; }
};

class FrameTray : public FrameTest {
 protected:
  void Minimise(bool iconized = true) {
    wxIconizeEvent event(frame->GetId(), iconized);
    frame->GetEventHandler()->ProcessEvent(event);
  }
  void TrayMenu(int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    frame->m_tray->ProcessEvent(event);
  }
  std::vector<int> MenuIds() {
    std::vector<int> ids;
    for (const auto& item : frame->m_tray->MenuItems())
      ids.push_back(item.id);
    return ids;
  }
  // As on a desktop of that kind (the test display has no tray at all).
  void UseTray(os::tray::Kind kind) {
    frame->m_trayKind = kind;
    frame->m_hideToTray = true;
  }
};

TEST_F(FrameTray, MinimisedWindowLivesInTheTrayWithItsStatus) {
  EXPECT_FALSE(frame->m_tray);
  Minimise();
  ASSERT_TRUE(frame->m_tray);
  EXPECT_TRUE(frame->m_trayShown);
  // This display has no tray of any kind: no icon, and the window stays reachable.
  EXPECT_EQ(frame->m_trayKind, os::tray::Kind::None);
  EXPECT_FALSE(frame->m_tray->IsIconInstalled());
  EXPECT_TRUE(frame->IsShown());

  std::vector<int> full = {9999, 10000, 10001, 10002, 10003, 10004, 10005, 10006, 10007, 10008};
  EXPECT_EQ(MenuIds(), full);
  Choose(frame->m_taskChoice, 0);
  SetRelative(0, 1, 0);
  Click(frame->m_startButton);
  Tick();
  EXPECT_EQ(frame->m_trayToolTip, "Duskwatch: Shuting down in 00:01:00");
  EXPECT_TRUE(MenuIds().empty()) << "no menu while armed";
  Click(frame->m_stopButton);
  EXPECT_EQ(MenuIds(), full);
  EXPECT_EQ(frame->m_trayToolTip, "Duskwatch : Idle");
  frame->m_fromTaskFile = true;
  EXPECT_EQ(MenuIds(), std::vector<int>{10008});

  // Restored from the task bar.
  Minimise(false);
  EXPECT_FALSE(frame->m_trayShown);
}

TEST_F(FrameTray, HiddenWindowComesBackFromTheTray) {
  UseTray(os::tray::Kind::Toolkit);
  Minimise();
  EXPECT_TRUE(frame->m_tray->IsIconInstalled());
  EXPECT_FALSE(frame->IsShown());
  Minimise(false);
  EXPECT_TRUE(frame->m_trayShown) << "a hidden window is restored by the tray only";
  TrayMenu(CDSysTray::kRestore);
  EXPECT_TRUE(frame->IsShown());
  EXPECT_FALSE(frame->m_trayShown);
  EXPECT_FALSE(frame->m_minimised);
  EXPECT_FALSE(frame->m_tray->IsIconInstalled());
  TrayMenu(CDSysTray::kRestore);  // already visible: nothing
  EXPECT_TRUE(frame->IsShown());

  Minimise();
  TrayMenu(CDSysTray::kExit);
  EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(frame));
  wxTheApp->ProcessIdle();
  frame = nullptr;
}

TEST_F(FrameTray, NowCommandsAndFullCleanUpFromTheTray) {
  Minimise();
  messages.answers = {wxCANCEL};
  TrayMenu(CDSysTray::kLockNow);
  EXPECT_EQ(DryRun(), "") << "cancelled";
  TrayMenu(CDSysTray::kLockNow);
  EXPECT_EQ(DryRun(), "lock\n");
  TrayMenu(CDSysTray::kFullCleanupNow);
  EXPECT_TRUE(frame->m_fullCleanup);
  EXPECT_TRUE(frame->m_running);
}

TEST_F(FrameTray, PanelShowsTheCountdownAndRunsTheMenuCommands) {
  FakeTrayWatcher panel;
  ASSERT_EQ(panel.Problem(), "");
  // A late map of the just-shown window would show it again after the minimise.
  for (int round = 0; round < 200 && !frame->IsShownOnScreen(); ++round)
    FakeTrayWatcher::Pump();
  FakeTrayWatcher::Pump();
  UseTray(os::tray::Kind::StatusNotifier);
  Minimise();
  ASSERT_NE(panel.WaitForItem(), "");
  EXPECT_FALSE(frame->IsShown());
  EXPECT_EQ(panel.ToolTipTitle(), "Duskwatch : Idle");
  EXPECT_EQ(panel.IconPixmaps().size(), 4u);

  std::vector<std::pair<int, std::string>> menu = panel.Menu();
  ASSERT_EQ(menu.size(), 10u);
  EXPECT_EQ(menu[6], (std::pair<int, std::string>{10005, "Turn Monitor Off Now!"}));
  messages.answers = {wxOK};
  EXPECT_TRUE(panel.Click(CDSysTray::kLockNow));
  EXPECT_EQ(DryRun(), "lock\n");
  EXPECT_EQ(messages.messages.size(), 1u) << "asked first";

  Choose(frame->m_taskChoice, 0);
  SetRelative(0, 1, 0);
  Click(frame->m_startButton);
  Tick();
  EXPECT_EQ(panel.ToolTipTitle(), "Duskwatch: Shuting down in 00:01:00");
  Tick();
  EXPECT_EQ(panel.ToolTipTitle(), "Duskwatch: Shuting down in 00:00:59");
  EXPECT_TRUE(panel.Menu().empty()) << "no menu while armed";
  Click(frame->m_stopButton);

  EXPECT_TRUE(panel.Activate());
  EXPECT_TRUE(frame->IsShown());
  EXPECT_TRUE(panel.ItemGone()) << "restoring removes the item from the panel";
}

TEST_F(FrameTray, WindowComesBackWhenThePanelRefusesTheIcon) {
  FakeTrayWatcher panel(FakeTrayWatcher::Mode::Refuse);
  ASSERT_EQ(panel.Problem(), "");
  UseTray(os::tray::Kind::StatusNotifier);
  Minimise();
  for (int round = 0; round < 200 && !frame->IsShown(); ++round)
    FakeTrayWatcher::Pump();
  EXPECT_TRUE(frame->IsShown());
  EXPECT_FALSE(frame->m_hideToTray);
  std::string log;
  for (const auto& entry : std::filesystem::directory_iterator(sandbox.Desktop()))
    if (entry.path().filename().string().starts_with("DKWT_Error_"))
      log += Sandbox::ReadFile(entry.path());
  EXPECT_NE(log.find("the panel is full"), std::string::npos) << log;
}

class FrameReminder : public FrameTest {
 protected:
  FrameReminder() { frame->SetExtras(&extras); }
  ~FrameReminder() override {
    if (frame)
      frame->SetExtras(nullptr);
  }
  void StartStandby() {
    Choose(frame->m_taskChoice, 2);
    SetRelative(0, 0, 10);
    Click(frame->m_startButton);
    Tick();
  }
  void Mouse(wxWindow* target, wxEventType type) {
    wxMouseEvent event(type);
    event.SetEventObject(target);
    target->GetEventHandler()->ProcessEvent(event);
  }
  wxString Heading() const {
    return static_cast<wxStaticText*>(frame->m_reminder->FindWindow(CDReminder::kHeadingId))->GetLabelText();
  }

  ReminderExtras extras;
};

TEST_F(FrameReminder, ShownAtTheLeadAndStoppedByDoubleClick) {
  StartStandby();  // 10 left
  Tick(4);         // 6
  EXPECT_EQ(frame->m_reminder, nullptr) << "created when first due";
  Tick();  // 5
  ASSERT_NE(frame->m_reminder, nullptr);
  EXPECT_TRUE(frame->m_reminder->IsShown());
  EXPECT_EQ(frame->m_reminder->GetName(), "nCDReminder");
  EXPECT_EQ(Heading(), "System Standby in 00:05");
  Tick();
  EXPECT_EQ(Heading(), "System Standby in 00:04");

  Mouse(frame->m_reminder, wxEVT_LEFT_DCLICK);
  EXPECT_FALSE(frame->m_running);
  EXPECT_FALSE(frame->m_countdownTimer.IsRunning());
  EXPECT_FALSE(frame->m_reminder->IsShown());
  EXPECT_FALSE(frame->m_reminderShown);
  EXPECT_EQ(Heading(), "");
  EXPECT_TRUE(frame->m_startButton->IsEnabled());
}

TEST_F(FrameReminder, RightClickHidesItForTheRestOfTheCountdown) {
  StartStandby();
  Tick(5);
  ASSERT_TRUE(frame->m_reminder && frame->m_reminder->IsShown());
  CDReminder* reminder = frame->m_reminder;
  Mouse(reminder, wxEVT_RIGHT_UP);
  EXPECT_FALSE(reminder->IsShown());
  EXPECT_FALSE(frame->m_reminderShown);
  EXPECT_TRUE(frame->m_running) << "the countdown goes on";
  for (int second = 0; second < 4; ++second) {
    Tick();
    EXPECT_FALSE(reminder->IsShown());
  }
  Tick();
  Fire(frame->m_executeTimer);
  EXPECT_EQ(DryRun(), "suspend hibernate=0 force=0\n");

  // The next countdown shows it again, in the same window.
  StartStandby();
  Tick(5);
  EXPECT_EQ(frame->m_reminder, reminder);
  EXPECT_TRUE(reminder->IsShown());
}

TEST_F(FrameReminder, HiddenAtZero) {
  StartStandby();
  Tick(5);
  ASSERT_TRUE(frame->m_reminder->IsShown());
  Tick(5);
  EXPECT_FALSE(frame->m_reminder->IsShown());
  EXPECT_EQ(frame->m_reminder->ActionIndex(), CDReminder::kNoAction);
  EXPECT_EQ(frame->m_reminder->Minutes(), 0);
  EXPECT_EQ(frame->m_reminder->Seconds(), 0);
}

}  // namespace
