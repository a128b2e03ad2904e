// The pages of the extras window other than Cleanup: their controls, the
// ON/OFF switches and the page handlers.
#include "extras/cd_aui_child_frame.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/radiobut.h>
#include <wx/simplebook.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include "app/message_box.h"
#include "app/task.h"
#include "extras/cd_aui_main_frame.h"
#include "extras/cd_image_panel.h"
#include "extras/extras_ids.h"
#include "os/accessibility.h"
#include "os/shell.h"
#include "res/art/art.h"

namespace {

constexpr int kSoundBrowse = 9109;  // the sound picker's button
constexpr int kReminderTextLimit = 200;

}  // namespace

void SetAccessibleName(wxWindow* control, const wxString& name) {
  os::accessibility::SetName(control->GetHandle(), name.utf8_string().c_str());
}

// clang-format off
wxBEGIN_EVENT_TABLE(CDAuiChildFrame, wxPanel)
  EVT_DATAVIEW_SELECTION_CHANGED(extras_ids::kTree, CDAuiChildFrame::OnTreeSelection)
  EVT_COMMAND_RANGE(kFirstCleanupBoxId, kLastCleanupBoxId, wxEVT_CHECKBOX, CDAuiChildFrame::OnBox)
  EVT_COMMAND_RANGE(extras_ids::kFirstSelectAll, extras_ids::kFirstSelectAll + 6, wxEVT_TOGGLEBUTTON,
                    CDAuiChildFrame::OnSelectAll)
  EVT_CHECKBOX(extras_ids::kDefaultSound, CDAuiChildFrame::OnDefaultSound)
  EVT_CHECKBOX(extras_ids::kDefaultPlayTime, CDAuiChildFrame::OnDefaultPlayTime)
  EVT_BUTTON(kSoundBrowse, CDAuiChildFrame::OnSoundBrowse)
  EVT_TOGGLEBUTTON(extras_ids::kAlarmSwitch, CDAuiChildFrame::OnSwitch)
  EVT_TOGGLEBUTTON(extras_ids::kMonitorSwitch, CDAuiChildFrame::OnSwitch)
  EVT_TOGGLEBUTTON(extras_ids::kWakeupSwitch, CDAuiChildFrame::OnSwitch)
  EVT_TOGGLEBUTTON(extras_ids::kLaunchSwitch, CDAuiChildFrame::OnSwitch)
  EVT_RADIOBUTTON(extras_ids::kMonitorRelative, CDAuiChildFrame::OnRelative)
  EVT_RADIOBUTTON(extras_ids::kWakeupRelative, CDAuiChildFrame::OnRelative)
  EVT_RADIOBUTTON(extras_ids::kMonitorAbsolute, CDAuiChildFrame::OnAbsolute)
  EVT_RADIOBUTTON(extras_ids::kWakeupAbsolute, CDAuiChildFrame::OnAbsolute)
  EVT_BUTTON(extras_ids::kBrowse, CDAuiChildFrame::OnBrowse)
  EVT_CHECKBOX(extras_ids::kReminderCheck, CDAuiChildFrame::OnReminderCheck)
wxEND_EVENT_TABLE()
// clang-format on

CDAuiChildFrame::CDAuiChildFrame(CDAuiMainFrame* owner, wxWindow* parent, wxWindowID id, const wxString& caption)
    : wxPanel(parent, id, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "frame"), m_owner(owner) {
  SetLabel(caption);
  SetBackgroundColour(wxColour(200, 200, 200));
  switch (id) {
    case extras_ids::kCleanupPage: BuildCleanup(); break;
    case extras_ids::kAlarmPage: BuildAlarm(); break;
    case extras_ids::kMonitorPage: BuildWakeMode(true); break;
    case extras_ids::kWakeupPage: BuildWakeMode(false); break;
    case extras_ids::kLaunchPage: BuildLaunch(); break;
    case extras_ids::kOptionsPage: BuildOptions(); break;
    default: break;
  }
}

void CDAuiChildFrame::Describe(wxWindow* control, const wxString& text, bool clearOnLeave) {
  control->Bind(wxEVT_ENTER_WINDOW, [this, text](wxMouseEvent& event) {
    m_owner->SetInfo(text);
    event.Skip();
  });
  if (clearOnLeave) {
    control->Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& event) {
      m_owner->SetInfo(wxString());
      event.Skip();
    });
  }
}

wxSpinCtrl* CDAuiChildFrame::MakeSpin(wxWindow* parent, int id, int max, const wxString& name, const wxString& tip,
                                      const char* accessibleName, int initial) {
  auto* spin = new wxSpinCtrl(parent, id, wxString(), wxDefaultPosition, wxDefaultSize,
                              wxSP_ARROW_KEYS | wxSP_WRAP, 0, max, initial, name);
  spin->SetToolTip(tip);
  SetAccessibleName(spin, accessibleName);
  return spin;
}

// ---- Page header: switch and picture ---------------------------------------

void CDAuiChildFrame::BuildHeader(wxSizer* page, int switchId, int panelId, const char* panelName,
                                  const char* switchName) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  if (switchId != 0) {
    m_switch = new wxBitmapToggleButton(this, switchId, ExtrasBitmap("bmp_OFF"));
    m_switch->SetBitmapDisabled(ExtrasBitmap("bmp_OFF"));
    m_switch->SetToolTip("Switch this page ON or OFF");
    // The switch shows only a picture: its name must be set for screen readers.
    SetAccessibleName(m_switch, switchName);
    row->Add(m_switch, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 10);
  }
  const wxBitmap picture = ExtrasBitmap(panelName);
  m_picture = new CDImagePanel(this, panelId, picture, picture.IsOk() ? picture.GetSize() : wxSize(320, 56));
  SetAccessibleName(m_picture, GetLabel());
  row->Add(m_picture, 0, wxALIGN_CENTER_VERTICAL);
  page->Add(row, 0, wxALL, 8);
}

void CDAuiChildFrame::SetOn(bool on) {
  m_on = on;
  if (m_switch) {
    m_switch->SetValue(on);
    m_switch->SetBitmapLabel(ExtrasBitmap(on ? "bmp_ON" : "bmp_OFF"));
  }
}

void CDAuiChildFrame::OnSwitch(wxCommandEvent&) {
  // The picture tells the state: OFF turns ON, anything else turns OFF.
  SetOn(!m_on);
  m_owner->UpdateStates();
}

// ---- Alarm page ------------------------------------------------------------

namespace {

// Three spins in a row, each with its unit after it.
wxSizer* SpinRow(wxWindow* parent, const std::array<wxSpinCtrl*, 3>& spins) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  const char* units[] = {"h", "min", "s"};
  for (std::size_t i = 0; i < spins.size(); ++i) {
    row->Add(spins[i], 0, wxALIGN_CENTER_VERTICAL);
    row->Add(new wxStaticText(parent, wxID_ANY, units[i]), 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 4);
  }
  return row;
}

}  // namespace

void CDAuiChildFrame::BuildAlarm() {
  auto* page = new wxBoxSizer(wxVERTICAL);
  BuildHeader(page, extras_ids::kAlarmSwitch, extras_ids::kAlarmPanel, "bmp_PanelAlarm", "Alarm ON/OFF");

  auto* volumeRow = new wxBoxSizer(wxHORIZONTAL);
  volumeRow->Add(new wxStaticText(this, wxID_ANY, "Volume :"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  m_volume = new wxSlider(this, extras_ids::kVolume, 50, 0, 100, wxDefaultPosition, wxSize(300, -1),
                          wxSL_HORIZONTAL | wxSL_LABELS | wxSL_BOTH);
  m_volume->SetToolTip("sound level");
  SetAccessibleName(m_volume, "sound level");
  volumeRow->Add(m_volume, 0, wxALIGN_CENTER_VERTICAL);
  page->Add(volumeRow, 0, wxLEFT | wxRIGHT, 10);

  auto* timeout = new wxStaticBoxSizer(wxVERTICAL, this, "Alarm Timeout :");
  wxWindow* timeoutBox = timeout->GetStaticBox();
  m_defaultPlayTime = new wxCheckBox(timeoutBox, extras_ids::kDefaultPlayTime, "Use default play time:    20 Secondes");
  m_defaultPlayTime->SetValue(true);
  Describe(m_defaultPlayTime, "Set for how much time the Alarm will be played.", true);
  m_alarmSpins = {MakeSpin(timeoutBox, extras_ids::kAlarmHours, 23, "nSpCtrlHours", "Set needed Hours", "Alarm hours"),
                  MakeSpin(timeoutBox, extras_ids::kAlarmMinutes, 59, "nSpCtrlMinutes", "Set needed Minutes",
                           "Alarm minutes"),
                  MakeSpin(timeoutBox, extras_ids::kAlarmSeconds, 59, "nSpCtrlSecondes", "Set needed Secondes",
                           "Alarm seconds")};
  timeout->Add(m_defaultPlayTime, 0, wxALL, 4);
  timeout->Add(SpinRow(timeoutBox, m_alarmSpins), 0, wxALL, 4);
  page->Add(timeout, 0, wxEXPAND | wxALL, 10);

  auto* sound = new wxStaticBoxSizer(wxVERTICAL, this, "Alarm Sound :");
  wxWindow* soundBox = sound->GetStaticBox();
  m_defaultSound = new wxCheckBox(soundBox, extras_ids::kDefaultSound, "Use default sound");
  m_defaultSound->SetValue(true);
  Describe(m_defaultSound, "If checked, default Tone will be played.", true);
  // The picker: a text field and a button whose dialog goes through the
  // message seam.
  m_soundPath = new wxTextCtrl(soundBox, extras_ids::kSoundPicker, wxString(), wxDefaultPosition, wxSize(330, -1), 0,
                               wxDefaultValidator, "filepicker");
  m_soundPath->SetToolTip("Choose WAV file to be played.");
  SetAccessibleName(m_soundPath, "Custom sound file");
  m_soundBrowse = new wxButton(soundBox, kSoundBrowse, "Browse...");
  SetAccessibleName(m_soundBrowse, "Browse for a sound file");
  Describe(m_soundPath, "Choose WAV file to be played.", true);
  Describe(m_soundBrowse, "Choose WAV file to be played.", true);
  auto* pickerRow = new wxBoxSizer(wxHORIZONTAL);
  pickerRow->Add(m_soundPath, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  pickerRow->Add(m_soundBrowse, 0, wxALIGN_CENTER_VERTICAL);
  sound->Add(m_defaultSound, 0, wxALL, 4);
  sound->Add(pickerRow, 0, wxEXPAND | wxALL, 4);
  page->Add(sound, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
  SetSizer(page);
}

void CDAuiChildFrame::OnDefaultPlayTime(wxCommandEvent&) { m_owner->UpdateStates(); }

void CDAuiChildFrame::OnDefaultSound(wxCommandEvent&) { m_owner->UpdateStates(); }

void CDAuiChildFrame::OnSoundBrowse(wxCommandEvent&) {
  const wxString chosen =
      ChooseFile("Select custom sound file:", "*.wav|*.wav", wxFD_OPEN | wxFD_FILE_MUST_EXIST, m_owner);
  if (!chosen.empty())
    m_soundPath->SetValue(chosen);
}

// ---- Monitor and Wakeup pages ----------------------------------------------

void CDAuiChildFrame::BuildWakeMode(bool monitor) {
  namespace id = extras_ids;
  auto* page = new wxBoxSizer(wxVERTICAL);
  if (monitor)
    BuildHeader(page, id::kMonitorSwitch, id::kMonitorPanel, "bmp_PanelMonitor", "Monitor wake-up ON/OFF");
  else
    BuildHeader(page, id::kWakeupSwitch, id::kWakeupPanel, "bmp_PanelWakeup", "System wake-up ON/OFF");
  const int relativeId = monitor ? id::kMonitorRelative : id::kWakeupRelative;
  const int relativeSpin = monitor ? id::kMonitorRelativeHours : id::kWakeupRelativeHours;
  const int absoluteId = monitor ? id::kMonitorAbsolute : id::kWakeupAbsolute;
  const int dateId = monitor ? id::kMonitorDate : id::kWakeupDate;
  const int absoluteSpin = monitor ? id::kMonitorAbsoluteHours : id::kWakeupAbsoluteHours;
  const wxString what = monitor ? "Monitor wake-up" : "Wake-up";

  // Headings instead of boxes: both modes must share one parent to form one
  // radio group (GTK cannot clear a radio button alone in its group).
  auto heading = [this](const wxString& text) {
    // Labelled after the font is set, so it is sized for the bold text.
    auto* label = new wxStaticText(this, wxID_ANY, wxString());
    label->SetFont(label->GetFont().Bold());
    label->SetLabel(text);
    // GTK wraps labels to their minimum size; keep the heading on one line.
    label->SetMinSize(wxSize(label->GetTextExtent(text).x + 4, -1));
    return label;
  };
  page->Add(heading("Relative Mode :"), 0, wxLEFT | wxRIGHT | wxTOP, 10);
  m_relative = new wxRadioButton(this, relativeId, "Relative", wxDefaultPosition, wxDefaultSize, wxRB_GROUP,
                                 wxDefaultValidator, "radioButton");
  m_relative->SetValue(true);
  Describe(m_relative,
           monitor ? "Set after how much time to wake up the Monitor." : "Set after how much time to wake up the System.",
           true);
  auto spins = [&](int first, const wxString& mode) {
    return std::array<wxSpinCtrl*, 3>{
        MakeSpin(this, first, 23, "wxSpinCtrl", "Set needed Hours", (what + " " + mode + " hours").utf8_string().c_str()),
        MakeSpin(this, first + 1, 59, "wxSpinCtrl", "Set needed Minutes",
                 (what + " " + mode + " minutes").utf8_string().c_str()),
        MakeSpin(this, first + 2, 59, "wxSpinCtrl", "Set needed Secondes",
                 (what + " " + mode + " seconds").utf8_string().c_str())};
  };
  m_relativeSpins = spins(relativeSpin, "relative");
  page->Add(m_relative, 0, wxLEFT | wxTOP, 20);
  page->Add(SpinRow(this, m_relativeSpins), 0, wxLEFT | wxTOP, 20);

  page->Add(heading("Absolute Mode :"), 0, wxLEFT | wxRIGHT | wxTOP, 10);
  m_absolute = new wxRadioButton(this, absoluteId, "Absolute");
  Describe(m_absolute, monitor ? "Set date and time for the Monitor wake up." : "Set date and time for the System wake up.",
           false);
  m_date = new wxDatePickerCtrl(this, dateId, wxDefaultDateTime, wxDefaultPosition, wxDefaultSize, wxDP_DROPDOWN,
                                wxDefaultValidator, "datectrl");
  SetAccessibleName(m_date, (what + " date").utf8_string().c_str());
  m_date->Disable();
  m_absoluteSpins = spins(absoluteSpin, "absolute");
  for (wxSpinCtrl* spin : m_absoluteSpins)
    spin->Disable();
  auto* absoluteRow = new wxBoxSizer(wxHORIZONTAL);
  absoluteRow->Add(m_date, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  absoluteRow->Add(SpinRow(this, m_absoluteSpins), 0, wxALIGN_CENTER_VERTICAL);
  page->Add(m_absolute, 0, wxLEFT | wxTOP, 20);
  page->Add(absoluteRow, 0, wxLEFT | wxTOP, 20);
  SetSizer(page);
}

void CDAuiChildFrame::OnRelative(wxCommandEvent&) {
  m_relative->SetValue(true);
  m_owner->UpdateStates();
}

void CDAuiChildFrame::OnAbsolute(wxCommandEvent&) {
  if (m_owner->Host().RepeatedChecked()) {
    ShowMessage("Absolute Mode not allowed since Repeated Checkbox is checked!", "Message", wxOK | wxCENTRE, m_owner);
    m_relative->SetValue(true);
  } else {
    m_absolute->SetValue(true);
  }
  m_owner->UpdateStates();
}

// ---- Launch page -----------------------------------------------------------

void CDAuiChildFrame::BuildLaunch() {
  auto* page = new wxBoxSizer(wxVERTICAL);
  BuildHeader(page, extras_ids::kLaunchSwitch, extras_ids::kLaunchPanel, "bmp_PanelFile", "Launch a file ON/OFF");
  auto* box = new wxStaticBoxSizer(wxVERTICAL, this, "Select the file you wish to launch:");
  wxWindow* parent = box->GetStaticBox();
  m_launchPath = new wxTextCtrl(parent, extras_ids::kLaunchPath, wxString(), wxDefaultPosition, wxSize(380, -1),
                                wxTE_READONLY, wxDefaultValidator, "text");
  SetAccessibleName(m_launchPath, "File to launch");
  m_browse = new wxButton(parent, extras_ids::kBrowse, "Browse");
  Describe(m_browse, "Choose any file you wish to be launched.", true);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(m_launchPath, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  row->Add(m_browse, 0, wxALIGN_CENTER_VERTICAL);
  box->Add(row, 0, wxEXPAND | wxALL, 4);
  page->Add(box, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
  m_exitAfterLaunch = new wxCheckBox(this, extras_ids::kExitAfterLaunch, "After launching the file, exit Duskwatch.");
  Describe(m_exitAfterLaunch, "After the file is launched, exit Duskwatch.", false);
  page->Add(m_exitAfterLaunch, 0, wxLEFT | wxRIGHT, 14);
  SetSizer(page);
}

void CDAuiChildFrame::OnBrowse(wxCommandEvent&) {
  Task& task = m_owner->Host().CurrentTask();
  const wxString remembered = task.m_launchPath;
  task.m_launchPath.clear();
  // "*": on Linux a program or script usually has no dot in its name.
  const wxString chosen = ChooseFile("Select a File", "All Files|*", wxFD_OPEN | wxFD_FILE_MUST_EXIST | wxFD_NO_FOLLOW,
                                     m_owner);
  if (chosen.empty()) {
    if (!remembered.empty()) {
      m_launchPath->SetValue(remembered);
      task.m_launchPath = remembered;
    }
    return;
  }
  // The extension of the file's own name: a dot in a folder name is none.
  const wxString extension = wxFileName(chosen).GetExt();
  if (extension != "xpm" && !os::shell::KnowsHowToLaunch(chosen.utf8_string())) {
    m_owner->Host().LogError(10588, "Not able to determine the file type.", true);
    // The field still shows the previous file: that is the one to launch.
    task.m_launchPath = remembered;
    return;
  }
  task.m_launchPath = chosen;
  m_launchPath->SetValue(chosen);
}

// ---- Options page ----------------------------------------------------------

void CDAuiChildFrame::BuildOptions() {
  auto* page = new wxBoxSizer(wxVERTICAL);
  BuildHeader(page, 0, extras_ids::kOptionsPanel, "bmp_PanelOptions", nullptr);
  m_reminderCheck = new wxCheckBox(this, extras_ids::kReminderCheck, "Display Reminder before executing selected Task.");
  Describe(m_reminderCheck,
           "If checked, a Reminder will be displayed showing the remaining time to execute the Task.", true);
  page->Add(m_reminderCheck, 0, wxLEFT | wxRIGHT | wxBOTTOM, 14);

  auto* timeout = new wxStaticBoxSizer(wxHORIZONTAL, this, "Set Reminder Timeout: ");
  wxWindow* timeoutParent = timeout->GetStaticBox();
  m_reminderMinutes = MakeSpin(timeoutParent, extras_ids::kReminderMinutes, 59, "wxSpinCtrl", "Set needed Minutes",
                               "Reminder minutes");
  m_reminderSeconds = MakeSpin(timeoutParent, extras_ids::kReminderSeconds, 59, "wxSpinCtrl", "Set needed Secondes",
                               "Reminder seconds", 20);
  m_reminderMinutes->Disable();
  m_reminderSeconds->Disable();
  timeout->Add(m_reminderMinutes, 0, wxALIGN_CENTER_VERTICAL | wxALL, 4);
  timeout->Add(new wxStaticText(timeoutParent, wxID_ANY, "min"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  timeout->Add(m_reminderSeconds, 0, wxALIGN_CENTER_VERTICAL | wxALL, 4);
  timeout->Add(new wxStaticText(timeoutParent, wxID_ANY, "s"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  page->Add(timeout, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);

  auto* text = new wxStaticBoxSizer(wxVERTICAL, this, "Set Reminder text: (OPTIONAL) ");
  m_reminderText = new wxTextCtrl(text->GetStaticBox(), extras_ids::kReminderText, wxString(), wxDefaultPosition,
                                  wxSize(324, 100), wxTE_MULTILINE);
  // GTK has no length limit for multi-line fields: cut what goes beyond.
  m_reminderText->Bind(wxEVT_TEXT, [this](wxCommandEvent& event) {
    const wxString text = m_reminderText->GetValue();
    if (text.length() > static_cast<std::size_t>(kReminderTextLimit)) {
      m_reminderText->ChangeValue(text.Left(kReminderTextLimit));
      m_reminderText->SetInsertionPointEnd();
    }
    event.Skip();
  });
  SetAccessibleName(m_reminderText, "Reminder text");
  Describe(m_reminderText, "Set the text that will be displayed on the Reminder if you need.", true);
  m_reminderText->Disable();
  text->Add(m_reminderText, 0, wxALL, 4);
  page->Add(text, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
  SetSizer(page);
}

void CDAuiChildFrame::OnReminderCheck(wxCommandEvent&) {
  m_reminderEnabled = m_reminderCheck->GetValue();
  m_owner->UpdateStates();
}
