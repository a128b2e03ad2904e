// The main window's controls, menus, tool bar and sizers.
#include <algorithm>
#include <chrono>

#include <wx/checkbox.h>
#include <wx/choicebk.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/statline.h>
#include <wx/tooltip.h>

#include "app/clock.h"
#include "os/platform_texts.h"
#include "res/art/art.h"
#include "ui/cd_controls.h"
#include "ui/cd_frame.h"
#include "ui/cd_ids.h"

namespace {

constexpr int kTaskButtonWidth = 186;
constexpr int kTaskButtonHeight = 25;
constexpr int kStartStopWidth = 90;
constexpr int kProgressSlotHeight = 40;

wxStaticText* Label(wxWindow* parent, const wxString& text, int pointSize = 0) {
  auto* label = new wxStaticText(parent, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, 0, "staticText");
  if (pointSize > 0) {
    wxFont font = label->GetFont();
    font.SetPointSize(pointSize);
    label->SetFont(font);
  }
  return label;
}

CDSpinCtrl* TimeSpin(wxWindow* parent, int id, const char* name, int maximum, const char* tip) {
  // The toolkit's own width: narrower spin buttons lose their arrows.
  auto* spin = new CDSpinCtrl(parent, id, "0", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS | wxSP_WRAP, 0,
                              maximum, 0, name);
  spin->SetToolTip(tip);
  return spin;
}

// "H" hours "M" minutes "S" seconds, as both time rows show them.
struct TimeRow {
  CDSpinCtrl* hours;
  CDSpinCtrl* minutes;
  CDSpinCtrl* seconds;
};

TimeRow AddTimeRow(wxWindow* parent, wxSizer* row, int firstId, const char* suffix, int gapBefore) {
  const wxString names[] = {wxString("nSpCtrlHours") + suffix, wxString("nSpCtrlMinutes") + suffix,
                            wxString("nSpCtrlSecondes") + suffix};
  TimeRow spins{TimeSpin(parent, firstId, names[0], 23, "Set needed Hours"),
                TimeSpin(parent, firstId + 1, names[1], 59, "Set needed Minutes"),
                TimeSpin(parent, firstId + 2, names[2], 59, "Set needed Secondes")};
  const char* letters[] = {"H", "M", "S"};
  CDSpinCtrl* order[] = {spins.hours, spins.minutes, spins.seconds};
  for (int i = 0; i < 3; ++i) {
    row->AddSpacer(i == 0 ? gapBefore : 8);
    row->Add(Label(parent, letters[i], 12), 0, wxALIGN_CENTER_VERTICAL);
    row->AddSpacer(3);
    row->Add(order[i], 0, wxALIGN_CENTER_VERTICAL);
  }
  return spins;
}

wxCheckBox* CheckBox(wxWindow* parent, int id, const wxString& label, const wxString& tip = wxString()) {
  auto* box = new wxCheckBox(parent, id, label, wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "check");
  if (!tip.empty())
    box->SetToolTip(tip);
  return box;
}

// The two mode buttons sit on different panels, so each is a group of its
// own; a hidden second member lets the program clear it.
wxRadioButton* HiddenPartner(wxWindow* parent) {
  auto* partner = new wxRadioButton(parent, wxID_ANY, wxString(), wxDefaultPosition, wxSize(0, 0));
  partner->Hide();
  return partner;
}

struct NowButton {
  int id;
  const char* label;
  const char* tip;
};

using os::texts::Text;

// Tool-tips as stored, including the doubled blanks; the ones that name the
// system come from this platform's texts.
const NowButton kNowButtons[] = {
    {ids::kShutdownNow, "Shutdown Now", os::texts::Get(Text::ShutdownNow)},
    {ids::kRestartNow, "Restart Now", os::texts::Get(Text::RestartNow)},
    {ids::kStandbyNow, "Standby Now", "Standby  Now!"},
    {ids::kHibernateNow, "Hibernate Now", "Hibernate Now!"},
    {ids::kLogOffNow, "Log Off Now", "Log Off  Now!"},
    {ids::kMonitorOffNow, "Monitor Off Now", "Turn Monitor Off Now!"},
    {ids::kLockNow, "Lock Workstation Now", os::texts::Get(Text::LockNow)},
    {ids::kFullCleanupNow, "Full Clean-Up Now", "Perform full Clean-Up Now!"},
};

struct OptionItem {
  int id;
  const char* label;
  const char* help;
};

const OptionItem kOptionItems[] = {
    {ids::kMenuCloseBrowsers, "Close(terminate) &Internet Browsers on Cleanup task",
     "Close Internet Browsers before performing Cleanup task"},
    {ids::kMenuContextCommands, os::texts::Get(Text::ContextMenuItem), os::texts::Get(Text::ContextMenuHelp)},
    {ids::kMenuWarnings, "Show &Warnings", "Show warning message before executing tasks"},
    {ids::kMenuStartup, os::texts::Get(Text::StartupMenuItem), os::texts::Get(Text::StartupMenuHelp)},
    {ids::kMenuDisableErrorLog, "&Disable error logging(not recommended)", "Do not log errors"},
    {ids::kMenuIgnoreBrowserVersion, "Do not i&gnore newer internet browsers", ""},
};

// Menu item of each option stored in the settings.
struct OptionMenuItem {
  int id;
  SettingOption option;
};

const OptionMenuItem kOptionMenuItems[] = {
    {ids::kMenuWarnings, SettingOption::Warnings},
    {ids::kMenuStartup, SettingOption::Startup},
    {ids::kMenuContextCommands, SettingOption::Context},
    {ids::kMenuCloseBrowsers, SettingOption::CloseBrowsers},
    {ids::kMenuDisableErrorLog, SettingOption::DisableErrorLogging},
    {ids::kMenuIgnoreBrowserVersion, SettingOption::IgnoreBrowserVersion},
};

}  // namespace

void CDFrame::BuildControls() {
  wxToolTip::Enable(true);
  wxToolTip::SetDelay(300);
  CreateToolBarTools();
  CreateMenus();
  m_panelRelative = new CDPanel(this, ids::kPanelRelative, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                                "nPanelRelative");
  m_panelAbsolute = new CDPanel(this, ids::kPanelAbsolute, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                                "nPanelAbsolute");
  m_panelAction =
      new CDPanel(this, ids::kPanelAction, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "nPanelAction");
  m_panelProgress =
      new CDPanel(this, ids::kPanelProgress, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "nPanelProgBar");
  m_panelTask = new CDPanel(this, ids::kPanelTask, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "nPanelPara");
  // The frame shows between and below its panels; some toolkits paint a bare
  // frame darker than a panel.
  SetBackgroundColour(m_panelTask->GetBackgroundColour());
  CreateRelativeRow();
  CreateAbsoluteBlock();
  CreateActionRow();
  CreateProgressRow();
  CreateTaskColumn();
  ArrangeColumns();
  ApplySettings();
  m_configureButton->Disable();
  RefreshCountdown();
}

void CDFrame::CreateToolBarTools() {
  m_toolBar = new CDToolBar(this, ids::kToolBar, wxDefaultPosition, wxDefaultSize, wxTB_HORIZONTAL, "nCDToolBar");
  m_toolBar->AddTool(ids::kSavedTasksTool, "scheduled tasks management", SavedTasksToolBitmap(),
                     "Manage active/inactive saved tasks");
  // The saved-tasks view enables the tool once it has counted the tasks.
  m_toolBar->EnableTool(ids::kSavedTasksTool, false);
  auto* spacer = new wxStaticLine(m_toolBar, wxID_ANY, wxDefaultPosition, wxSize(105, -1), wxLI_HORIZONTAL);
  m_toolBar->AddControl(spacer);
  spacer->Hide();
  m_toolStatusText = new wxStaticText(m_toolBar, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, 0,
                                      "staticText");
  wxFont font = m_toolStatusText->GetFont();
  font.SetPointSize(9);
  m_toolStatusText->SetFont(font);
  m_toolBar->AddControl(m_toolStatusText);
  m_toolBar->Realize();
  SetToolBar(m_toolBar);
}

void CDFrame::CreateMenus() {
  auto* menuBar = new CDMenuBar();
  auto* fileMenu = new CDMenu();
  fileMenu->Append(ids::kMenuExit, "E&xit");
  m_optionsMenu = new CDMenu();
  for (const auto& item : kOptionItems)
    m_optionsMenu->AppendCheckItem(item.id, item.label, item.help);
  auto* helpMenu = new CDMenu();
  helpMenu->Append(ids::kMenuManual, "Ma&nual");
  helpMenu->Append(ids::kMenuAbout, "&About");
  menuBar->Append(fileMenu, "&File");
  menuBar->Append(m_optionsMenu, "&Options");
  menuBar->Append(helpMenu, "&Help");
  SetMenuBar(menuBar);
}

void CDFrame::CreateRelativeRow() {
  auto* row = new CDBoxSizer(wxHORIZONTAL);
  TimeRow spins = AddTimeRow(m_panelRelative, row, ids::kSpinHours, "", 5);
  m_spinHours = spins.hours;
  m_spinMinutes = spins.minutes;
  m_spinSeconds = spins.seconds;
  m_radioRelative = new CDRadioButton(m_panelRelative, ids::kRadioRelative, "Relative Mode", wxDefaultPosition,
                                      wxDefaultSize, wxRB_GROUP, wxDefaultValidator, "nRadRelative");
  m_radioRelativeOff = HiddenPartner(m_panelRelative);
  m_radioRelative->SetValue(true);
  // The fixed gap before the radio button shrinks to what the spins leave.
  row->Add(0, 0, 1, wxEXPAND | wxLEFT, 8);
  row->Add(m_radioRelative, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 5);
  auto* column = new CDBoxSizer(wxVERTICAL);
  column->Add(row, 0, wxEXPAND);
  CreateTriggerRows(column);
  m_panelRelative->SetSizer(column);
}

wxChoicebook* CDFrame::CreateRepeatBook(wxWindow* parent) {
  auto* book = new wxChoicebook(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxCHB_LEFT);
  book->SetToolTip("Repeat the task daily or weekly");
  book->GetChoiceCtrl()->SetToolTip("Repeat the task daily or weekly");

  auto* daily = new wxPanel(book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "panel");
  auto* dailyRow = new wxBoxSizer(wxHORIZONTAL);
  m_repeatDays = new wxSpinCtrl(daily, wxID_ANY, "1", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, 1, 365, 1,
                                "wxSpinCtrl");
  m_repeatDays->SetToolTip("Repeat every ... Days");
  dailyRow->Add(Label(daily, "Repeat every"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  dailyRow->Add(m_repeatDays, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  dailyRow->Add(Label(daily, "Days"), 0, wxALIGN_CENTER_VERTICAL);
  daily->SetSizer(dailyRow);

  auto* weekly = new wxPanel(book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "panel");
  auto* weeklyColumn = new wxBoxSizer(wxVERTICAL);
  auto* weeklyRow = new wxBoxSizer(wxHORIZONTAL);
  m_repeatWeeks = new wxSpinCtrl(weekly, wxID_ANY, "1", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, 1, 52, 1,
                                 "wxSpinCtrl");
  m_repeatWeeks->SetToolTip("Repeat every ... Weeks");
  weeklyRow->Add(Label(weekly, "Repeat every"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  weeklyRow->Add(m_repeatWeeks, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  weeklyRow->Add(Label(weekly, "Weeks at:"), 0, wxALIGN_CENTER_VERTICAL);
  weeklyColumn->Add(weeklyRow);
  const char* const days[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  wxBoxSizer* dayRows[] = {new wxBoxSizer(wxHORIZONTAL), new wxBoxSizer(wxHORIZONTAL)};
  for (std::size_t i = 0; i < m_weekDays.size(); ++i) {
    m_weekDays[i] = CheckBox(weekly, wxID_ANY, days[i]);
    dayRows[i < 4 ? 0 : 1]->Add(m_weekDays[i], 0, wxRIGHT, 4);
  }
  weeklyColumn->Add(dayRows[0], 0, wxTOP, 2);
  weeklyColumn->Add(dayRows[1], 0, wxTOP, 2);
  weekly->SetSizer(weeklyColumn);

  book->AddPage(daily, "Daily", true);
  book->AddPage(weekly, "Weekly", false);
  book->Disable();
  return book;
}

void CDFrame::CreateAbsoluteBlock() {
  wxWindow* panel = m_panelAbsolute;
  auto* block = new CDBoxSizer(wxVERTICAL);
  auto* top = new CDBoxSizer(wxHORIZONTAL);
  auto* dateColumn = new CDBoxSizer(wxVERTICAL);
  m_onLabel = Label(panel, "On :");
  const auto today = std::chrono::system_clock::to_time_t(CurrentClock().Now());
  m_datePicker = new wxDatePickerCtrl(panel, ids::kDatePicker, wxDateTime(today).GetDateOnly(), wxDefaultPosition,
                                      wxDefaultSize, wxDP_DROPDOWN, wxDefaultValidator, "nDatePick");
  m_datePicker->SetToolTip("Date of the task");
  m_atLabel = new CDStaticText(panel, ids::kAtLabel, "At :", wxDefaultPosition, wxDefaultSize, 0, "nStaticTextAt");
  auto* timeRow = new CDBoxSizer(wxHORIZONTAL);
  TimeRow spins = AddTimeRow(panel, timeRow, ids::kSpinHoursAbsolute, "2", 0);
  m_spinHoursAbsolute = spins.hours;
  m_spinMinutesAbsolute = spins.minutes;
  m_spinSecondsAbsolute = spins.seconds;
  dateColumn->Add(m_onLabel, 0, wxLEFT | wxTOP, 5);
  dateColumn->Add(m_datePicker, 0, wxLEFT, 5);
  dateColumn->Add(m_atLabel, 0, wxLEFT | wxTOP, 5);
  dateColumn->Add(timeRow, 0, wxLEFT, 5);

  auto* modeColumn = new CDBoxSizer(wxVERTICAL);
  m_radioAbsolute = new CDRadioButton(panel, ids::kRadioAbsolute, "Absolute Mode", wxDefaultPosition, wxDefaultSize,
                                      wxRB_GROUP, wxDefaultValidator, "nRadAbsolute");
  m_radioAbsoluteOff = HiddenPartner(panel);
  m_radioAbsoluteOff->SetValue(true);
  modeColumn->AddSpacer(56);
  modeColumn->Add(m_radioAbsolute);
  top->Add(dateColumn);
  top->AddStretchSpacer(1);
  top->Add(modeColumn, 0, wxRIGHT, 5);

  m_repeatBook = CreateRepeatBook(panel);
  m_repeatedCheck = CheckBox(panel, ids::kRepeatedCheck, "Repeated");
  block->Add(top, 0, wxEXPAND);
  block->Add(m_repeatBook, 0, wxLEFT | wxTOP, 5);
  block->Add(m_repeatedCheck, 0, wxALL, 5);
  panel->SetSizer(block);
}

void CDFrame::CreateActionRow() {
  auto* row = new CDBoxSizer(wxHORIZONTAL);
  m_startButton = new CDButton(m_panelAction, ids::kStartButton, "Start Timer", wxDefaultPosition,
                               wxSize(kStartStopWidth, -1), 0, wxDefaultValidator, "nButtonSetTimer");
  m_startButton->SetToolTip(os::texts::Get(Text::StartButtonTip));
  m_stopButton = new CDButton(m_panelAction, ids::kStopButton, "Stop Timer", wxDefaultPosition,
                              wxSize(kStartStopWidth, -1), 0, wxDefaultValidator, "nButtonStopTimer");
  m_stopButton->SetToolTip("Stop the Timer");
  row->AddSpacer(208);
  row->Add(m_startButton);
  row->AddSpacer(1);
  row->Add(m_stopButton);
  m_panelAction->SetSizer(row);
}

void CDFrame::CreateProgressRow() {
  auto* row = new CDBoxSizer(wxHORIZONTAL);
  // The bar keeps the toolkit's own height, centred in its slot: stretched
  // to the slot, some toolkits draw a thin bar but others a tall box.
  m_progressBar = new CDProgBar(m_panelProgress, ids::kProgressBar, 100, wxDefaultPosition, wxDefaultSize,
                                wxGA_HORIZONTAL | wxGA_SMOOTH, wxDefaultValidator, "nPorgBar");
  m_progressBar->SetToolTip("Time left");
  m_countdownText = new CDStaticText(m_panelProgress, ids::kCountdownText, "00:00:00", wxDefaultPosition,
                                     wxDefaultSize, 0, "nCDStaticText");
  row->Add(0, kProgressSlotHeight + 10);
  row->Add(m_progressBar, 2, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 5);
  row->Add(m_countdownText, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 5);
  m_panelProgress->SetSizer(row);
}

void CDFrame::CreateTaskColumn() {
  wxWindow* panel = m_panelTask;
  auto* column = new CDBoxSizer(wxVERTICAL);
  m_taskLabel =
      new CDStaticText(panel, ids::kTaskLabel, "Select Task :", wxDefaultPosition, wxDefaultSize, 0,
                       "nStaticTextActions");
  const wxString actions[] = {"Shutdown",       "Restart",       "StandBy/Wake-Up",  "Hibernate/Wake-Up",
                              "Log Off",        "Alarm",         "Monitor Off/On",   "Clean Up Task",
                              "Lock Workstation", "Launch a file"};
  m_taskChoice = new CDChoice(panel, ids::kTaskChoice, wxDefaultPosition, wxSize(kTaskButtonWidth, -1),
                              WXSIZEOF(actions), actions, 0, wxDefaultValidator, "nCmdType");
  m_taskChoice->SetToolTip("Select Task");
  m_forceCheck = CheckBox(panel, ids::kForceCheck, "Force ( Not recommended )",
                          "If selected : not responding programs will be closed and maybe unsaved data will be lost");
  m_preventStandbyCheck =
      CheckBox(panel, ids::kPreventStandbyCheck, "Prevent Standby/Hibernate",
               "If selected : Any request to Standby/Hibernate by other programs will be rejected.");
  m_silentModeCheck = CheckBox(panel, ids::kSilentModeCheck, "Silent Mode",
                               "If selected : When deleting files, no Progress-Bar will be shown. ");
  m_logDeletedCheck =
      CheckBox(panel, ids::kLogDeletedCheck, "Log deleted files",
               "Create Log-File on the Desktop containing information about deleted files and folders. ");
  m_configureButton = new CDButton(panel, ids::kConfigureButton, "Configure", wxDefaultPosition,
                                   wxSize(kTaskButtonWidth, kTaskButtonHeight), 0, wxDefaultValidator,
                                   "nButtonExtras");
  m_configureButton->SetToolTip("Add extra tasks to the selected timer.");

  const int inset = wxLEFT | wxRIGHT;
  column->AddSpacer(10);
  column->Add(m_taskLabel, 0, inset, 8);
  column->Add(m_taskChoice, 0, inset, 8);
  column->AddSpacer(8);
  wxCheckBox* boxes[] = {m_forceCheck, m_preventStandbyCheck, m_silentModeCheck, m_logDeletedCheck};
  for (std::size_t i = 0; i < WXSIZEOF(boxes); ++i) {
    if (i > 0)
      column->AddSpacer(2);
    column->Add(boxes[i], 0, inset, 8);
  }
  column->AddSpacer(10);
  column->Add(m_configureButton, 0, inset, 8);
  column->AddSpacer(24);
  for (std::size_t i = 0; i < m_nowButtons.size(); ++i) {
    const NowButton& button = kNowButtons[i];
    m_nowButtons[i] = new wxButton(panel, button.id, button.label, wxDefaultPosition,
                                   wxSize(kTaskButtonWidth, kTaskButtonHeight), 0, wxDefaultValidator, "button");
    m_nowButtons[i]->SetToolTip(button.tip);
    if (i > 0)
      column->AddSpacer(3);
    column->Add(m_nowButtons[i], 0, inset, 8);
  }
  panel->SetSizer(column);
}

void CDFrame::ArrangeColumns() {
  auto* left = new CDBoxSizer(wxVERTICAL);
  left->Add(m_panelRelative, 0, wxEXPAND);
  left->Add(new wxStaticLine(this, ids::kLineRelative, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL, "nSline1"),
            0, wxEXPAND);
  left->Add(m_panelAbsolute, 0, wxEXPAND);
  left->Add(new wxStaticLine(this, ids::kLineAbsolute, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL, "nSline2"),
            0, wxEXPAND);
  left->AddSpacer(20);
  left->Add(m_panelProgress, 0, wxEXPAND);
  left->Add(m_panelAction, 0, wxEXPAND);

  auto* right = new CDBoxSizer(wxVERTICAL);
  right->Add(m_panelTask, 1, wxEXPAND);

  auto* row = new CDBoxSizer(wxHORIZONTAL);
  row->Add(left, 2, wxEXPAND);
  row->Add(new wxStaticLine(this, ids::kLineColumns, wxDefaultPosition, wxDefaultSize, wxLI_VERTICAL, "nSline3"), 0,
           wxEXPAND);
  row->Add(right, 1, wxEXPAND);

  auto* frameSizer = new CDBoxSizer(wxVERTICAL);
  frameSizer->Add(row, 1, wxEXPAND);
  SetSizer(frameSizer);
  // The window keeps its size unless this platform's controls need more room.
  const wxSize needed = frameSizer->ComputeFittingClientSize(this);
  const wxSize client = GetClientSize();
  if (needed.x > client.x || needed.y > client.y)
    SetClientSize(wxSize(std::max(needed.x, client.x), std::max(needed.y, client.y)));
  Layout();
}

void CDFrame::ApplySettings() {
  LoadSettings(m_settings);
  for (const auto& item : kOptionMenuItems)
    m_optionsMenu->Check(item.id, SettingMember(m_settings, item.option));
  m_silentModeCheck->SetValue(m_settings.m_silentMode);
  m_logDeletedCheck->SetValue(m_settings.m_logDeletedFiles);
  m_errorLog.m_disableErrorLogging = m_settings.m_disableErrorLogging;
}
