// The main window's controls and handlers, driven by real events.
#include <wx/app.h>
#include <wx/choicebk.h>
#include <wx/menu.h>
#include <wx/toolbar.h>

#include "app/settings.h"
#include "os/platform_texts.h"
#include "tests/ui/frame_fixture.h"
#include "ui/cd_ids.h"

namespace {

using MainWindow = FrameTest;

TEST_F(MainWindow, OpensIdleInRelativeMode) {
  EXPECT_EQ(frame->GetTitle(), "Duskwatch v. 2.1");
  EXPECT_EQ(frame->GetName(), "nCDFrame");
  EXPECT_FALSE(frame->HasFlag(wxRESIZE_BORDER));
  EXPECT_FALSE(frame->HasFlag(wxMAXIMIZE_BOX));
  EXPECT_TRUE(frame->m_radioRelative->GetValue());
  EXPECT_FALSE(frame->m_radioAbsolute->GetValue());
  for (wxSpinCtrl* spin : {static_cast<wxSpinCtrl*>(frame->m_spinHours), static_cast<wxSpinCtrl*>(frame->m_spinMinutes),
                           static_cast<wxSpinCtrl*>(frame->m_spinSeconds),
                           static_cast<wxSpinCtrl*>(frame->m_spinHoursAbsolute),
                           static_cast<wxSpinCtrl*>(frame->m_spinMinutesAbsolute),
                           static_cast<wxSpinCtrl*>(frame->m_spinSecondsAbsolute)})
    EXPECT_EQ(spin->GetValue(), 0) << spin->GetName();
  EXPECT_EQ(frame->m_spinHours->GetMax(), 23);
  EXPECT_EQ(frame->m_spinSecondsAbsolute->GetMax(), 59);
  EXPECT_EQ(frame->m_spinMinutes->GetToolTipText(), "Set needed Minutes");
  EXPECT_TRUE(frame->m_spinHours->IsEnabled());
  EXPECT_FALSE(frame->m_spinHoursAbsolute->IsEnabled());
  EXPECT_FALSE(frame->m_datePicker->IsEnabled());
  EXPECT_FALSE(frame->m_repeatedCheck->IsEnabled());
  EXPECT_FALSE(frame->m_configureButton->IsEnabled());
  EXPECT_FALSE(frame->m_repeatBook->IsEnabled());
  EXPECT_EQ(frame->m_repeatBook->GetSelection(), 0);
  EXPECT_EQ(frame->m_progressBar->GetValue(), 0);
  EXPECT_EQ(CountdownText(), "00:00:00");
  EXPECT_EQ(frame->m_taskChoice->GetSelection(), wxNOT_FOUND);
  EXPECT_EQ(frame->m_taskChoice->GetCount(), 10u);
  EXPECT_EQ(frame->m_taskChoice->GetString(7), "Clean Up Task");
  EXPECT_TRUE(frame->m_startButton->IsEnabled());
  EXPECT_FALSE(frame->m_stopButton->IsEnabled());
  EXPECT_EQ(frame->m_trayToolTip, "Duskwatch : Idle");
  // Every now-button has its label and tool-tip, in order.
  EXPECT_EQ(frame->m_nowButtons[0]->GetLabel(), "Shutdown Now");
  EXPECT_EQ(frame->m_nowButtons[2]->GetToolTipText(), "Standby  Now!");
  EXPECT_EQ(frame->m_nowButtons[7]->GetId(), ids::kFullCleanupNow);
  EXPECT_TRUE(frame->m_datePicker->GetValue().IsSameDate(Now())) << "today by the program's clock";
  // Controls without a label of their own still say what they are.
  EXPECT_FALSE(frame->m_datePicker->GetToolTipText().empty());
  EXPECT_FALSE(frame->m_repeatBook->GetToolTipText().empty());
}

// Stretched to its slot, a gauge is a tall box on some toolkits.
TEST_F(MainWindow, ProgressBarHasItsOwnHeightCentredInItsSlot) {
  frame->m_panelProgress->Layout();
  const wxRect bar = frame->m_progressBar->GetRect();
  const int slot = frame->m_panelProgress->GetClientSize().y;
  EXPECT_GE(slot, 50) << "40 px and the borders";
  EXPECT_EQ(bar.height, frame->m_progressBar->GetBestSize().y);
  EXPECT_NEAR(bar.y, slot - bar.GetBottom() - 1, 1) << "as much room above as below";
}

TEST_F(MainWindow, MenusAndToolBar) {
  wxMenuBar* bar = frame->GetMenuBar();
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->GetMenuCount(), 3u);
  EXPECT_EQ(bar->GetMenuLabel(1), "&Options");
  wxMenuItem* warnings = bar->FindItem(ids::kMenuWarnings);
  ASSERT_NE(warnings, nullptr);
  EXPECT_TRUE(warnings->IsCheckable());
  EXPECT_TRUE(warnings->IsChecked()) << "warnings are on for a new user";
  EXPECT_EQ(warnings->GetHelp(), "Show warning message before executing tasks");
  EXPECT_FALSE(bar->FindItem(ids::kMenuStartup)->IsChecked());
  EXPECT_EQ(bar->FindItem(ids::kMenuIgnoreBrowserVersion)->GetItemLabel(), "Do not i&gnore newer internet browsers");

  wxToolBarBase* tools = frame->GetToolBar();
  ASSERT_NE(tools, nullptr);
  EXPECT_EQ(tools->GetId(), ids::kToolBar);
  EXPECT_FALSE(tools->GetToolEnabled(ids::kSavedTasksTool)) << "enabled by the saved-tasks view";
  EXPECT_EQ(tools->GetToolShortHelp(ids::kSavedTasksTool), "Manage active/inactive saved tasks");
}

TEST_F(MainWindow, ModesAndRepetition) {
  Select(frame->m_radioAbsolute);
  EXPECT_TRUE(frame->m_radioAbsolute->GetValue());
  EXPECT_FALSE(frame->m_radioRelative->GetValue()) << "the two groups are kept exclusive";
  EXPECT_FALSE(frame->m_spinHours->IsEnabled());
  EXPECT_TRUE(frame->m_spinHoursAbsolute->IsEnabled());
  EXPECT_TRUE(frame->m_datePicker->IsEnabled());
  EXPECT_TRUE(frame->m_repeatedCheck->IsEnabled());
  EXPECT_FALSE(frame->m_repeatBook->IsEnabled());

  Toggle(frame->m_repeatedCheck, true);
  EXPECT_EQ(frame->m_startButton->GetLabel(), "Save Task");
  EXPECT_EQ(frame->m_onLabel->GetLabel(), "From :");
  EXPECT_TRUE(frame->m_repeatBook->IsEnabled());

  // Back to relative mode and into absolute again: the label follows "Repeated".
  Select(frame->m_radioRelative);
  EXPECT_EQ(frame->m_startButton->GetLabel(), "Start Timer");
  EXPECT_FALSE(frame->m_radioAbsolute->GetValue());
  EXPECT_FALSE(frame->m_repeatBook->IsEnabled());
  EXPECT_FALSE(frame->m_repeatedCheck->IsEnabled());
  Select(frame->m_radioAbsolute);
  EXPECT_EQ(frame->m_startButton->GetLabel(), "Save Task");
  EXPECT_TRUE(frame->m_repeatBook->IsEnabled());

  Toggle(frame->m_repeatedCheck, false);
  EXPECT_EQ(frame->m_startButton->GetLabel(), "Start Timer");
  EXPECT_EQ(frame->m_onLabel->GetLabel(), "On :");
  EXPECT_FALSE(frame->m_repeatBook->IsEnabled());
}

TEST_F(MainWindow, ModeClicksAreUndoneWhileArmed) {
  Choose(frame->m_taskChoice, 0);
  SetRelative(0, 5, 0);
  Click(frame->m_startButton);
  ASSERT_TRUE(frame->m_running);
  Tick();
  Select(frame->m_radioAbsolute);
  EXPECT_FALSE(frame->m_radioAbsolute->GetValue());
  EXPECT_TRUE(frame->m_radioRelative->GetValue());
  EXPECT_TRUE(frame->m_relativeMode);
  EXPECT_FALSE(frame->m_panelRelative->IsEnabled());
  EXPECT_FALSE(frame->m_panelTask->IsEnabled());
  EXPECT_FALSE(frame->m_startButton->IsEnabled());
  EXPECT_TRUE(frame->m_stopButton->IsEnabled());

  // Exit is ignored while armed.
  Menu(ids::kMenuExit, false);
  EXPECT_TRUE(frame->IsShown());
  EXPECT_FALSE(wxTheApp->IsScheduledForDestruction(frame));
}

TEST_F(MainWindow, TaskChoiceEnablesConfigureAndForce) {
  Toggle(frame->m_forceCheck, true);
  Choose(frame->m_taskChoice, 5);  // Alarm
  EXPECT_TRUE(frame->m_configureButton->IsEnabled());
  EXPECT_FALSE(frame->m_forceCheck->GetValue());
  EXPECT_FALSE(frame->m_forceCheck->IsEnabled());

  Choose(frame->m_taskChoice, 0);  // Shutdown
  EXPECT_TRUE(frame->m_forceCheck->IsEnabled());
  EXPECT_FALSE(frame->m_forceCheck->GetValue()) << "enabled again, not checked";

  Toggle(frame->m_forceCheck, true);
  Choose(frame->m_taskChoice, 8);  // Lock: disabled, the check stays
  EXPECT_FALSE(frame->m_forceCheck->IsEnabled());
  EXPECT_TRUE(frame->m_forceCheck->GetValue());
  Choose(frame->m_taskChoice, 7);  // Clean-up: unchecked and disabled
  EXPECT_FALSE(frame->m_forceCheck->GetValue());
  Choose(frame->m_taskChoice, 3);
  EXPECT_TRUE(frame->m_forceCheck->IsEnabled());

  int opened = -1;
  frame->m_configureExtras = [&opened](int index) { opened = index; };
  Choose(frame->m_taskChoice, 9);
  EXPECT_EQ(opened, 9) << "choosing an action opens its extras at once";
  opened = -1;
  Click(frame->m_configureButton);
  EXPECT_EQ(opened, 9);
}

TEST_F(MainWindow, OptionsPersist) {
  EXPECT_TRUE(frame->m_settings.m_showWarnings);
  Menu(ids::kMenuWarnings, false);
  Menu(ids::kMenuDisableErrorLog, true);
  Toggle(frame->m_silentModeCheck, true);
  EXPECT_TRUE(frame->m_errorLog.m_disableErrorLogging) << "the error log follows the option at once";

  Settings stored;
  LoadSettings(stored);
  EXPECT_FALSE(stored.m_showWarnings);
  EXPECT_TRUE(stored.m_disableErrorLogging);
  EXPECT_TRUE(stored.m_silentMode);
  EXPECT_FALSE(stored.m_logDeletedFiles);

  // A new window shows what was stored.
  CDFrame second(nullptr, 6999, "Duskwatch v. 2.1", wxPoint(250, 160), wxSize(664, 529));
  second.BuildControls();
  EXPECT_FALSE(second.GetMenuBar()->FindItem(ids::kMenuWarnings)->IsChecked());
  EXPECT_TRUE(second.GetMenuBar()->FindItem(ids::kMenuDisableErrorLog)->IsChecked());
  EXPECT_TRUE(second.m_silentModeCheck->GetValue());
  EXPECT_TRUE(second.m_errorLog.m_disableErrorLogging);
}

TEST_F(MainWindow, StartWithTheSessionFollowsTheOutcome) {
  Menu(ids::kMenuStartup, true);
  EXPECT_NE(sandbox.StartupCommand(), "");
  EXPECT_TRUE(frame->GetMenuBar()->FindItem(ids::kMenuStartup)->IsChecked());
  EXPECT_EQ(LastMessage(), os::texts::Get(os::texts::Text::StartupAdded));
  Menu(ids::kMenuStartup, false);
  EXPECT_EQ(sandbox.StartupCommand(), "");
  EXPECT_FALSE(frame->GetMenuBar()->FindItem(ids::kMenuStartup)->IsChecked());
}

TEST_F(MainWindow, NowButtonsAskThenAct) {
  messages.answers = {wxCANCEL};
  Click(frame->m_nowButtons[0]);
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0].caption, "Warning");
  EXPECT_EQ(messages.messages[0].style, wxOK | wxCANCEL | wxICON_WARNING);
  EXPECT_EQ(messages.messages[0].text, os::texts::Get(os::texts::Text::ConfirmShutdown));
  EXPECT_EQ(DryRun(), "") << "Cancel does nothing";

  Click(frame->m_nowButtons[0]);
  EXPECT_EQ(DryRun(), "poweroff force=1\n");
  Click(frame->m_nowButtons[3]);
  EXPECT_EQ(messages.messages.back().text,
            "Hibernate now, are you sure? (if not supported by your System, System will Standby)\n\n"
            "You can disable this warning in OPTIONS Menu.");
  EXPECT_EQ(DryRun(), "poweroff force=1\nsuspend hibernate=1 force=1\n");

  // The monitor never asks.
  const std::size_t asked = messages.messages.size();
  Click(frame->m_nowButtons[5]);
  EXPECT_EQ(messages.messages.size(), asked);
  EXPECT_NE(DryRun().find("monitor state=off"), std::string::npos);

  // Without warnings nothing asks.
  Menu(ids::kMenuWarnings, false);
  Click(frame->m_nowButtons[6]);
  EXPECT_EQ(messages.messages.size(), asked);
  EXPECT_NE(DryRun().find("lock"), std::string::npos);
}

TEST_F(MainWindow, TabSteersBetweenTheColumns) {
  auto tab = [this](wxWindow* from, bool forward) {
    from->SetFocus();
    wxNavigationKeyEvent event;
    event.SetFromTab(true);
    event.SetDirection(forward);
    event.SetEventObject(from->GetParent());
    frame->GetEventHandler()->ProcessEvent(event);
  };
  tab(frame->m_radioRelative, true);
  EXPECT_TRUE(frame->m_radioAbsolute->GetValue()) << "Tab from Relative Mode switches to absolute mode";
  EXPECT_FALSE(frame->m_radioRelative->GetValue());
  EXPECT_TRUE(frame->m_datePicker->IsEnabled());

  tab(frame->m_taskChoice, false);
  EXPECT_TRUE(frame->m_radioAbsolute->GetValue());

  tab(frame->m_startButton, true);
  EXPECT_TRUE(frame->m_radioRelative->GetValue()) << "Tab from Start Timer goes back to the relative row";
  EXPECT_FALSE(frame->m_datePicker->IsEnabled());
}

}  // namespace
