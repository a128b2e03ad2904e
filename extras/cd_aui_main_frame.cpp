// The extras window: layout, configuring it for an action, the enabled
// states of its pages and its modal show.
#include "extras/cd_aui_main_frame.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/datectrl.h>
#include <wx/notebook.h>
#include <wx/radiobut.h>
#include <wx/simplebook.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include "app/task_type.h"
#include "extras/cd_aui_child_frame.h"
#include "extras/extras_ids.h"

namespace {

// Task-choice indexes.
enum Choice { kShutdown, kRestart, kStandby, kHibernate, kLogOff, kAlarm, kMonitor, kCleanup, kLock, kLaunch };

struct PageSpec {
  int id;
  const char* caption;
};
constexpr PageSpec kPageSpecs[kExtrasPageCount] = {
    {extras_ids::kCleanupPage, "Cleanup"}, {extras_ids::kAlarmPage, "Alarm"},
    {extras_ids::kMonitorPage, "Monitor"}, {extras_ids::kWakeupPage, "Wakeup"},
    {extras_ids::kLaunchPage, "Launch a file"}, {extras_ids::kOptionsPage, "Options"},
};

constexpr const char* kTitles[kTaskTypeCount] = {
    "Configure Shutdown: ", "Configure Restart: ",      "Configure Standby: ",       "Configure Hibernation: ",
    "Configure Log Off: ",  "Configure Alarm: ",        "Configure Monitor Task: ",  "Configure Clean-Up: ",
    "Configure Lock Workstation: ", "Configure Launch-File: ",
};

bool IsSuspend(int action) { return action == kStandby || action == kHibernate; }
// Actions whose extras may be an alarm and a launched file.
bool HasAlarmAndLaunch(int action) {
  return action == kAlarm || action == kMonitor || action == kCleanup || action == kLock || action == kLaunch;
}

template <std::size_t N>
void EnableAll(const std::array<wxSpinCtrl*, N>& spins, bool on) {
  for (wxSpinCtrl* spin : spins)
    spin->Enable(on);
}

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CDAuiMainFrame, wxFrame)
  EVT_BUTTON(extras_ids::kCloseButton, CDAuiMainFrame::OnCloseButton)
  EVT_TOGGLEBUTTON(extras_ids::kFullToggle, CDAuiMainFrame::OnFullToggle)
  EVT_CLOSE(CDAuiMainFrame::OnCloseWindow)
wxEND_EVENT_TABLE()
// clang-format on

CDAuiMainFrame::CDAuiMainFrame(wxWindow* parent, std::unique_ptr<ExtrasHost> host, const wxString& title)
    : wxFrame(parent, extras_ids::kWindow, title, wxDefaultPosition, wxSize(kWidth, kHeight), kStyle),
      m_host(std::move(host)) {
  BuildLayout();
}

CDAuiMainFrame::~CDAuiMainFrame() { LeaveModal(); }

wxString CDAuiMainFrame::TitleFor(int choiceIndex) {
  if (choiceIndex < 0 || choiceIndex >= kTaskTypeCount)
    return wxString();
  return kTitles[choiceIndex];
}

void CDAuiMainFrame::BuildLayout() {
  wxPanel* root = new wxPanel(this, wxID_ANY);
  m_closeButton = new wxButton(root, extras_ids::kCloseButton, "Close", wxDefaultPosition, wxDefaultSize,
                               wxBORDER_NONE, wxDefaultValidator, "button");
  m_fullToggle = new wxToggleButton(root, extras_ids::kFullToggle, "Toggle full Cleanup", wxDefaultPosition,
                                    wxDefaultSize, 0, wxDefaultValidator, "check");
  wxStaticBoxSizer* infoBox = new wxStaticBoxSizer(wxVERTICAL, root, "Info");
  m_info = new wxTextCtrl(infoBox->GetStaticBox(), extras_ids::kInfoText, wxString(), wxDefaultPosition,
                          wxSize(250, 50), wxTE_READONLY | wxTE_MULTILINE | wxBORDER_NONE | wxTE_WORDWRAP,
                          wxDefaultValidator, "text");
  SetAccessibleName(m_info, "Info");
  m_info->SetMinSize(wxSize(250, 50));

  // Native tabs: their titles reach screen readers, and nothing can close
  // or move a page.
  m_notebook = new wxNotebook(root, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxNB_TOP);
  for (std::size_t i = 0; i < kExtrasPageCount; ++i) {
    m_pages[i] = new CDAuiChildFrame(this, m_notebook, kPageSpecs[i].id, kPageSpecs[i].caption);
    m_notebook->AddPage(m_pages[i], kPageSpecs[i].caption, i == 0);
  }
  m_notebook->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &CDAuiMainFrame::OnPageChanged, this);

  infoBox->Add(m_info, 1, wxEXPAND | wxALL, 2);
  wxBoxSizer* bottom = new wxBoxSizer(wxHORIZONTAL);
  bottom->Add(infoBox, 1, wxEXPAND | wxRIGHT, 6);
  wxBoxSizer* buttons = new wxBoxSizer(wxVERTICAL);
  buttons->Add(m_fullToggle, 0, wxEXPAND | wxBOTTOM, 4);
  buttons->Add(m_closeButton, 0, wxEXPAND);
  bottom->Add(buttons, 0, wxALIGN_BOTTOM);
  wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);
  column->Add(m_notebook, 1, wxEXPAND | wxALL, 4);
  column->Add(bottom, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 4);
  root->SetSizer(column);
  wxBoxSizer* frameSizer = new wxBoxSizer(wxVERTICAL);
  frameSizer->Add(root, 1, wxEXPAND);
  SetSizer(frameSizer);
  Layout();
  m_building = false;
}

void CDAuiMainFrame::SetInfo(const wxString& text) { m_info->ChangeValue(text); }

wxString CDAuiMainFrame::Info() const { return m_info->GetValue(); }

void CDAuiMainFrame::OnPageChanged(wxBookCtrlEvent& event) {
  if (!m_building)
    SetInfo(wxString());
  event.Skip();
}

void CDAuiMainFrame::ApplyFirstTimeSettings(int choiceIndex) {
  // Every switch starts OFF; what is left of the first-time settings is the
  // states they imply, which UpdateStates derives.
  m_action = choiceIndex;
  UpdateStates();
}

void CDAuiMainFrame::UpdateStates() {
  const int action = m_action;
  CDAuiChildFrame& alarm = *Page(ExtrasPageId::Alarm);
  CDAuiChildFrame& monitor = *Page(ExtrasPageId::Monitor);
  CDAuiChildFrame& wakeup = *Page(ExtrasPageId::Wakeup);
  CDAuiChildFrame& launch = *Page(ExtrasPageId::Launch);
  const bool suspend = IsSuspend(action);

  // Whole pages.
  const bool extrasAfterAction = HasAlarmAndLaunch(action) || (suspend && wakeup.m_on);
  alarm.Enable(extrasAfterAction);
  launch.Enable(extrasAfterAction);
  monitor.Enable(action == kMonitor && m_monitorDetected);
  wakeup.Enable(suspend);

  // Alarm page: the Alarm action is the alarm itself, without a switch.
  alarm.m_switch->Show(action != kAlarm);
  const bool alarmActive = action == kAlarm || alarm.m_on;
  alarm.m_defaultPlayTime->Enable(alarmActive);
  EnableAll(alarm.m_alarmSpins, alarmActive && !alarm.m_defaultPlayTime->GetValue());
  alarm.m_defaultSound->Enable(alarmActive);
  alarm.m_soundPath->Enable(alarmActive && !alarm.m_defaultSound->GetValue());
  alarm.m_soundBrowse->Enable(alarmActive && !alarm.m_defaultSound->GetValue());
  alarm.m_volume->Enable(alarmActive);

  // Monitor and Wakeup pages: a repeated task counts relative only.
  for (CDAuiChildFrame* page : {&monitor, &wakeup}) {
    if (page->m_on && m_host->RepeatedChecked() && !page->m_relative->GetValue())
      page->m_relative->SetValue(true);
    const bool relative = page->m_relative->GetValue();
    page->m_relative->Enable(page->m_on);
    page->m_absolute->Enable(page->m_on);
    EnableAll(page->m_relativeSpins, page->m_on && relative);
    EnableAll(page->m_absoluteSpins, page->m_on && !relative);
    page->m_date->Enable(page->m_on && !relative);
  }

  // Launch page: the Launch-file action is the launch itself.
  launch.m_switch->Show(action != kLaunch);
  const bool launchActive = action == kLaunch || launch.m_on;
  launch.m_launchPath->Enable(launchActive);
  launch.m_browse->Enable(launchActive);
  launch.m_exitAfterLaunch->Enable(launchActive);
  launch.m_exitAfterLaunch->Show(action == kLock || action == kCleanup || action == kLaunch);

  // Options page.
  CDAuiChildFrame& options = *Page(ExtrasPageId::Options);
  const bool reminder = options.m_reminderCheck->GetValue();
  options.m_reminderEnabled = reminder;
  options.m_reminderMinutes->Enable(reminder);
  options.m_reminderSeconds->Enable(reminder);
  options.m_reminderText->Enable(reminder);

  for (CDAuiChildFrame* page : m_pages)
    page->Layout();
}

void CDAuiMainFrame::Configure(int choiceIndex) {
  if (m_host->TaskRunning() || TitleFor(choiceIndex).empty())
    return;
  m_action = choiceIndex;
  SetTitle(TitleFor(choiceIndex));
  m_monitorDetected = choiceIndex == kMonitor && m_host->MonitorDetected();
  UpdateStates();
  EnterModal();
  CentreOnScreen(wxBOTH);
  Show();
  Raise();
  switch (choiceIndex) {
    case kAlarm: FocusPage(ExtrasPageId::Alarm); break;
    case kMonitor: FocusPage(ExtrasPageId::Monitor); break;
    case kStandby:
    case kHibernate: FocusPage(ExtrasPageId::Wakeup); break;
    case kLaunch: FocusPage(ExtrasPageId::Launch); break;
    default: FocusPage(ExtrasPageId::Cleanup); break;
  }
}

void CDAuiMainFrame::FocusPage(ExtrasPageId page) {
  const auto index = static_cast<std::size_t>(page);
  if (m_notebook->GetSelection() != static_cast<int>(index))
    m_notebook->SetSelection(index);
  CDAuiChildFrame* frame = m_pages[index];
  if (page == ExtrasPageId::Cleanup)
    frame->m_tree->SetFocus();
  else
    frame->SetFocus();
}

void CDAuiMainFrame::EnterModal() {
  if (m_modal)
    return;
  m_modal = true;
  for (wxWindow* window : wxTopLevelWindows) {
    if (window != this && window->IsEnabled()) {
      window->Disable();
      m_disabled.push_back(window);
    }
  }
}

void CDAuiMainFrame::LeaveModal() {
  if (!m_modal)
    return;
  m_modal = false;
  for (wxWindow* window : m_disabled) {
    // A window that went away meanwhile is no longer in the list.
    if (wxTopLevelWindows.Find(window))
      window->Enable();
  }
  m_disabled.clear();
}

void CDAuiMainFrame::OnCloseWindow(wxCloseEvent& event) {
  // Only "Close" leaves the window; the program's end destroys it.
  if (event.CanVeto()) {
    event.Veto();
    return;
  }
  LeaveModal();
  Destroy();
}

void CDAuiMainFrame::OnFullToggle(wxCommandEvent&) {
  CDAuiChildFrame& cleanup = *Page(ExtrasPageId::Cleanup);
  const bool on = m_fullToggle->GetValue();
  cleanup.SetAllBoxes(on);
  m_fullToggle->SetLabel(on ? "Unselect All" : "Toggle full Cleanup");
}

void CDAuiMainFrame::OnCloseButton(wxCommandEvent&) { CloseWithChecks(); }
