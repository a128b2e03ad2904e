#pragma once
// A real main window under the test display, driven by real events, the
// test clock and scripted message boxes. Every platform action is recorded
// to a dry-run file inside the sandbox.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/datectrl.h>
#include <wx/radiobut.h>
#include <wx/timer.h>

#include "tests/support/fake_clock.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sandbox.h"
#include "ui/cd_controls.h"
#include "ui/cd_frame.h"

class FrameTest : public testing::Test {
 protected:
  FrameTest() {
    sandbox.SetEnv("DKWT_DRY_RUN", DryRunFile().string());
    std::filesystem::create_directories(sandbox.Desktop());
    frame = new CDFrame(nullptr, 6999, "Duskwatch v. 2.1", wxPoint(250, 160), wxSize(664, 529));
    frame->CurrentTask().CheckSystem();
    frame->BuildControls();
    // Choosing an action opens the (modal) extras window; the extras tests
    // open it, the others work the main window alone.
    frame->m_configureExtras = nullptr;
    frame->Show();
  }
  ~FrameTest() override { delete frame; }

  std::filesystem::path DryRunFile() const { return sandbox.Root() / "dry-run.log"; }
  std::string DryRun() const {
    return std::filesystem::exists(DryRunFile()) ? Sandbox::ReadFile(DryRunFile()) : std::string();
  }

  // What a real click, choice or toggle delivers to the window.
  static void Send(wxWindow* control, wxEventType type, int value = 0) {
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    event.SetInt(value);
    control->GetEventHandler()->ProcessEvent(event);
  }
  static void Click(wxWindow* button) { Send(button, wxEVT_BUTTON); }
  static void Choose(wxChoice* choice, int index) {
    choice->SetSelection(index);
    Send(choice, wxEVT_CHOICE, index);
  }
  static void Toggle(wxCheckBox* box, bool checked) {
    box->SetValue(checked);
    Send(box, wxEVT_CHECKBOX, checked ? 1 : 0);
  }
  static void Select(wxRadioButton* radio) {
    radio->SetValue(true);
    Send(radio, wxEVT_RADIOBUTTON, 1);
  }
  void Menu(int id, bool checked) {
    if (wxMenuItem* item = frame->GetMenuBar()->FindItem(id); item && item->IsCheckable())
      item->Check(checked);
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(frame);
    event.SetInt(checked ? 1 : 0);
    frame->GetEventHandler()->ProcessEvent(event);
  }
  void Fire(wxTimer& timer) {
    wxTimerEvent event(timer);
    frame->GetEventHandler()->ProcessEvent(event);
  }
  // One countdown tick after `seconds` of (test) time.
  void Tick(int seconds = 1) {
    clock.Advance(std::chrono::seconds(seconds));
    Fire(frame->m_countdownTimer);
  }
  void SetRelative(int hours, int minutes, int seconds) {
    frame->m_spinHours->SetValue(hours);
    frame->m_spinMinutes->SetValue(minutes);
    frame->m_spinSeconds->SetValue(seconds);
  }
  // Absolute mode with the date and time of `when`.
  void SetAbsolute(const wxDateTime& when) {
    Select(frame->m_radioAbsolute);
    frame->m_datePicker->SetValue(when.GetDateOnly());
    frame->m_spinHoursAbsolute->SetValue(when.GetHour());
    frame->m_spinMinutesAbsolute->SetValue(when.GetMinute());
    frame->m_spinSecondsAbsolute->SetValue(when.GetSecond());
  }
  wxDateTime Now() const { return wxDateTime(std::chrono::system_clock::to_time_t(clock.wall)); }
  wxString CountdownText() const { return frame->m_countdownText->GetLabel(); }
  wxString LastMessage() const { return messages.messages.empty() ? wxString() : messages.messages.back().text; }

  Sandbox sandbox;
  FakeClock clock;
  MessageRecorder messages;
  CDFrame* frame = nullptr;
};
