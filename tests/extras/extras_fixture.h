#pragma once
// The real main window with its real extras window, opened as the user opens
// it: by choosing an action.
#include <wx/bmpbuttn.h>
#include <wx/notebook.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include "extras/cd_aui_child_frame.h"
#include "extras/cd_aui_main_frame.h"
#include "tests/ui/frame_fixture.h"

enum Choice { kShutdown, kRestart, kStandby, kHibernate, kLogOff, kAlarm, kMonitor, kCleanup, kLock, kLaunch };

class ExtrasTest : public FrameTest {
 protected:
  ExtrasTest() { frame->InstallExtras(); }

  CDAuiMainFrame* Open(int choice) {
    Choose(frame->m_taskChoice, choice);
    return frame->m_extrasWindow;
  }
  CDAuiChildFrame& Page(ExtrasPageId page) const { return *frame->m_extrasWindow->Page(page); }
  // A click on a page's ON/OFF switch.
  void Switch(ExtrasPageId page) {
    wxBitmapToggleButton* button = Page(page).m_switch;
    button->SetValue(!button->GetValue());
    Send(button, wxEVT_TOGGLEBUTTON, button->GetValue());
  }
  void Press(wxToggleButton* toggle) {
    toggle->SetValue(!toggle->GetValue());
    Send(toggle, wxEVT_TOGGLEBUTTON, toggle->GetValue());
  }
  bool CloseWindow() {
    Click(FindById(9058));
    return !frame->m_extrasWindow->IsShown();
  }
  wxWindow* FindById(int id) const { return frame->m_extrasWindow->FindWindow(id); }
  ExtrasPageId ShownPage() const {
    return static_cast<ExtrasPageId>(frame->m_extrasWindow->Notebook()->GetSelection());
  }
  static void SetSpins(const std::array<wxSpinCtrl*, 3>& spins, int hours, int minutes, int seconds) {
    spins[0]->SetValue(hours);
    spins[1]->SetValue(minutes);
    spins[2]->SetValue(seconds);
  }
  // The Wakeup or Monitor page in absolute mode at `when`.
  void SetAbsoluteWake(ExtrasPageId page, const wxDateTime& when) {
    CDAuiChildFrame& p = Page(page);
    Select(p.m_absolute);
    p.m_date->SetValue(when.GetDateOnly());
    SetSpins(p.m_absoluteSpins, when.GetHour(), when.GetMinute(), when.GetSecond());
  }
};
