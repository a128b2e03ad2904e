#include "ui/cd_reminder.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/display.h>
#include <wx/stattext.h>
#include <wx/tooltip.h>

#include <string>
#include <vector>

namespace {

const char kHint[] = "Double-click to stop the Task, or right-click to close this window.";

struct RecordingHost : ReminderHost {
  void OnReminderStop() override { ++stops; }
  void OnReminderDismissed() override { ++dismissals; }
  int stops = 0;
  int dismissals = 0;
};

class ReminderTest : public testing::Test {
 protected:
  void SetUp() override {
    reminder = new CDReminder();
    reminder->SetHost(&host);
  }
  void TearDown() override {
    reminder->Destroy();
    wxTheApp->ProcessIdle();
  }

  wxStaticText* Text(int id) const { return wxDynamicCast(reminder->FindWindow(id), wxStaticText); }
  wxString Heading() const { return Text(CDReminder::kHeadingId)->GetLabelText(); }

  // The window itself and its three texts: each must answer the mouse.
  std::vector<wxWindow*> ClickTargets() const {
    return {reminder, Text(CDReminder::kHeadingId), Text(CDReminder::kMessageId), Text(CDReminder::kHintId)};
  }

  static void Send(wxWindow* target, wxEventType type) {
    wxMouseEvent event(type);
    event.SetEventObject(target);
    target->GetEventHandler()->ProcessEvent(event);
  }

  RecordingHost host;
  CDReminder* reminder = nullptr;
};

TEST_F(ReminderTest, IsCreatedAsTheSmallTranslucentTopWindow) {
  EXPECT_EQ(reminder->GetId(), 7007);
  EXPECT_EQ(reminder->GetName(), "nCDReminder");
  EXPECT_TRUE(reminder->GetTitle().empty());
  EXPECT_EQ(reminder->GetParent(), nullptr);
  EXPECT_EQ(reminder->GetSize(), wxSize(288, 180));
  const long style = reminder->GetWindowStyleFlag();
  for (long flag : {long(wxCAPTION), long(wxRAISED_BORDER), long(wxSTAY_ON_TOP), long(wxFRAME_NO_TASKBAR),
                    long(wxFRAME_SHAPED)})
    EXPECT_EQ(style & flag, flag) << "style flag " << flag;
  EXPECT_EQ(style & wxCLOSE_BOX, 0);
  EXPECT_EQ(reminder->Alpha(), 240);
  EXPECT_EQ(reminder->GetBackgroundColour(), wxColour(170, 190, 170));
  EXPECT_FALSE(reminder->IsShown());

  // Centred across the screen; the vertical position is the toolkit's.
  const wxRect screen = wxDisplay(reminder).GetGeometry();
  EXPECT_NEAR(reminder->GetPosition().x, screen.x + (screen.width - 288) / 2, 1);
}

TEST_F(ReminderTest, TextsCarryTheirIdsNamesColoursAndHint) {
  wxStaticText* heading = Text(9108);
  wxStaticText* message = Text(9109);
  wxStaticText* hint = Text(9110);
  ASSERT_TRUE(heading && message && hint);
  for (wxStaticText* text : {heading, message, hint})
    EXPECT_EQ(text->GetName(), "staticText");

  EXPECT_TRUE(heading->GetLabelText().empty());
  EXPECT_EQ(heading->GetForegroundColour(), wxColour(20, 21, 110));
  EXPECT_EQ(message->GetForegroundColour(), wxColour(100, 10, 0));
  EXPECT_EQ(message->GetBackgroundColour(), wxColour(170, 190, 170));
  EXPECT_EQ(message->GetSize(), wxSize(260, 80));
  EXPECT_TRUE(message->HasFlag(wxST_NO_AUTORESIZE));

  wxString hintText = hint->GetLabelText();
  hintText.Replace("\n", " ");
  EXPECT_EQ(hintText, kHint);

  // Screen readers and the mouse pointer get the same hint.
  EXPECT_EQ(reminder->GetToolTipText(), kHint);
  EXPECT_EQ(heading->GetToolTipText(), kHint);
  EXPECT_EQ(message->GetToolTipText(), kHint);
}

TEST_F(ReminderTest, HeadingNamesTheActionWithTheTimeLeft) {
  reminder->SetMinutes(1);
  reminder->SetSeconds(30);
  reminder->SetAction(0);
  EXPECT_EQ(Heading(), "System Shutdown in 01:30");

  reminder->SetMinutes(0);
  reminder->SetSeconds(1);
  reminder->SetAction(0);
  EXPECT_EQ(Heading(), "System Shutdown in 00:01");

  const std::vector<std::pair<int, std::string>> expected = {
      {1, "System Restart in 12:05"},    {2, "System Standby in 12:05"},     {3, "System Hibernation in 12:05"},
      {4, "Log Off in 12:05"},           {5, "Alarm in 12:05"},              {6, "Turn Monitor Off in 12:05"},
      {7, "System Clean-Up in 12:05"},   {8, "Lock Workstation in 12:05"},   {9, "Launch File in 12:05"},
  };
  reminder->SetMinutes(12);
  reminder->SetSeconds(5);
  for (const auto& [index, heading] : expected) {
    reminder->SetAction(index);
    EXPECT_EQ(Heading(), heading) << "index " << index;
    EXPECT_EQ(reminder->ActionIndex(), index);
  }

  // Minutes and seconds alone change nothing until the next SetAction.
  reminder->SetMinutes(59);
  EXPECT_EQ(Heading(), "Launch File in 12:05");

  for (int none : {99, 10, -1}) {
    reminder->SetAction(9);
    reminder->SetAction(none);
    EXPECT_TRUE(Heading().empty()) << "index " << none;
  }
}

TEST_F(ReminderTest, MessageIsShownAsTypedAndWrappedInsideTheWindow) {
  reminder->SetMessage("Save the report & mail it");
  EXPECT_EQ(Text(CDReminder::kMessageId)->GetLabelText(), "Save the report & mail it");

  const wxString longText = "Remember to save every open document before the computer shuts itself down tonight";
  reminder->SetMessage(longText);
  wxString shown = Text(CDReminder::kMessageId)->GetLabelText();
  EXPECT_TRUE(shown.Contains("\n")) << "not wrapped: " << shown.utf8_string();
  shown.Replace("\n", " ");
  EXPECT_EQ(shown, longText);
  // The box keeps its size whatever the text.
  EXPECT_EQ(Text(CDReminder::kMessageId)->GetSize(), wxSize(260, 80));

  reminder->SetMessage("");
  EXPECT_TRUE(Text(CDReminder::kMessageId)->GetLabelText().empty());
}

TEST_F(ReminderTest, RightClickAnywhereHidesResetsAndReportsDismissal) {
  int expectedDismissals = 0;
  for (wxWindow* target : ClickTargets()) {
    reminder->Show();
    reminder->SetMinutes(1);
    reminder->SetSeconds(30);
    reminder->SetAction(0);
    ASSERT_FALSE(Heading().empty());

    Send(target, wxEVT_RIGHT_UP);
    ++expectedDismissals;
    EXPECT_FALSE(reminder->IsShown()) << target->GetId();
    EXPECT_EQ(reminder->Minutes(), 0);
    EXPECT_EQ(reminder->Seconds(), 0);
    EXPECT_EQ(reminder->ActionIndex(), 99);
    EXPECT_TRUE(Heading().empty());
    EXPECT_EQ(host.dismissals, expectedDismissals) << target->GetId();
  }
  EXPECT_EQ(host.stops, 0);
}

TEST_F(ReminderTest, DoubleClickAnywhereAsksToStopTheTask) {
  int expectedStops = 0;
  for (wxWindow* target : ClickTargets()) {
    Send(target, wxEVT_LEFT_DCLICK);
    EXPECT_EQ(host.stops, ++expectedStops) << target->GetId();
  }
  EXPECT_EQ(host.dismissals, 0);

  // Other buttons do nothing.
  Send(reminder, wxEVT_LEFT_UP);
  Send(Text(CDReminder::kMessageId), wxEVT_RIGHT_DOWN);
  EXPECT_EQ(host.stops, expectedStops);
  EXPECT_EQ(host.dismissals, 0);
}

TEST_F(ReminderTest, ClicksWithoutAHostOnlyHide) {
  reminder->SetHost(nullptr);
  reminder->Show();
  Send(reminder, wxEVT_LEFT_DCLICK);
  Send(Text(CDReminder::kHintId), wxEVT_RIGHT_UP);
  EXPECT_FALSE(reminder->IsShown());
}

}  // namespace
