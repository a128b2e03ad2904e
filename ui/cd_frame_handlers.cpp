// Handlers of the main window: modes, repetition, task choice, keyboard
// navigation, menus, option check boxes, now-buttons and close.
#include <wx/aboutdlg.h>
#include <wx/checkbox.h>
#include <wx/choicebk.h>
#include <wx/datectrl.h>

#include "exec/now_action.h"
#include "app/message_box.h"
#include "os/processes.h"
#include "os/shell.h"
#include "os/sysinfo.h"
#include "ui/cd_controls.h"
#include "ui/cd_frame.h"
#include "ui/cd_ids.h"
#include "ui/now_confirm.h"

namespace {

const char kWebSite[] = "https://duskwatch.example.org";

struct OptionMenuItem {
  int id;
  SettingOption option;
};

// Menu items of the plain options (stored as they are toggled).
const OptionMenuItem kPlainOptions[] = {
    {ids::kMenuWarnings, SettingOption::Warnings},
    {ids::kMenuCloseBrowsers, SettingOption::CloseBrowsers},
    {ids::kMenuDisableErrorLog, SettingOption::DisableErrorLogging},
    {ids::kMenuIgnoreBrowserVersion, SettingOption::IgnoreBrowserVersion},
};

}  // namespace

void CDFrame::SelectRadio(CDRadioButton* radio, bool on) {
  // A GTK radio button cannot be cleared by itself; selecting the hidden
  // partner of its group clears it.
  if (on)
    radio->SetValue(true);
  else if (wxRadioButton* partner = radio == m_radioRelative ? m_radioRelativeOff : m_radioAbsoluteOff)
    partner->SetValue(true);
}

void CDFrame::SwitchMode(bool relative) {
  SelectRadio(m_radioRelative, relative);
  SelectRadio(m_radioAbsolute, !relative);
  RefreshCountdown();
}

void CDFrame::OnRelativeMode(wxCommandEvent&) {
  if (m_running) {
    SelectRadio(m_radioRelative, false);
    return;
  }
  m_startButton->SetLabel("Start Timer");
  SelectRadio(m_radioAbsolute, false);
  RefreshCountdown();
  m_panelRelative->SetFocus();
  m_spinHours->SetFocus();
}

void CDFrame::OnAbsoluteMode(wxCommandEvent&) {
  if (m_running) {
    SelectRadio(m_radioAbsolute, false);
    return;
  }
  m_startButton->SetLabel(m_repeatedCheck->GetValue() ? "Save Task" : "Start Timer");
  SelectRadio(m_radioRelative, false);
  RefreshCountdown();
  m_panelAbsolute->SetFocus();
  m_datePicker->SetFocus();
}

void CDFrame::OnRepeated(wxCommandEvent& event) {
  const bool repeated = event.IsChecked();
  m_repeatBook->Enable(repeated);
  m_startButton->SetLabel(repeated ? "Save Task" : "Start Timer");
  m_onLabel->SetLabel(repeated ? "From :" : "On :");
  m_panelAbsolute->Layout();
  // A repeated task saves its start condition.
  EnableTriggerControls(!m_running);
}

void CDFrame::OnTaskChoice(wxCommandEvent& event) {
  if (!m_configureButton->IsEnabled())
    m_configureButton->Enable();
  const int index = event.GetSelection();
  switch (index) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
      m_forceCheck->Enable();
      break;
    case 5:
    case 6:
    case 7:
      m_forceCheck->SetValue(false);
      m_forceCheck->Disable();
      break;
    case 8:
    case 9:
      m_forceCheck->Disable();
      break;
    default:
      return;
  }
  ConfigureExtras(index);
}

void CDFrame::OnConfigure(wxCommandEvent&) { ConfigureExtras(m_taskChoice->GetSelection()); }

void CDFrame::ConfigureExtras(int choiceIndex) {
  if (m_running || choiceIndex < 0 || !m_configureExtras)
    return;
  m_configureExtras(choiceIndex);
}

void CDFrame::OnNowButton(wxCommandEvent& event) {
  const int code = event.GetId() - ids::kShutdownNow + 1;
  if (ConfirmNowAction(code, m_settings.m_showWarnings, this))
    RunNowAction(m_task, *this, code);
}

void CDFrame::OnOptionMenu(wxCommandEvent& event) {
  for (const auto& item : kPlainOptions) {
    if (item.id != event.GetId())
      continue;
    ToggleOption(m_settings, item.option, event.IsChecked());
    m_errorLog.m_disableErrorLogging = m_settings.m_disableErrorLogging;
    return;
  }
}

void CDFrame::OnStartupMenu(wxCommandEvent& event) {
  const bool on =
      ToggleStartWithSystem(m_settings, event.IsChecked(), wxString::FromUTF8(os::processes::ExecutablePath()));
  m_optionsMenu->Check(ids::kMenuStartup, on);
}

void CDFrame::OnContextMenu(wxCommandEvent& event) {
  const bool on = ToggleContextCommands(m_settings, event.IsChecked(),
                                        wxString::FromUTF8(os::processes::ExecutablePath()),
                                        os::sysinfo::IsAdministrator());
  m_optionsMenu->Check(ids::kMenuContextCommands, on);
}

void CDFrame::OnSilentMode(wxCommandEvent& event) {
  ToggleOption(m_settings, SettingOption::SilentMode, event.IsChecked());
}

void CDFrame::OnLogDeletedFiles(wxCommandEvent& event) {
  ToggleOption(m_settings, SettingOption::LogDeletedFiles, event.IsChecked());
}

void CDFrame::OnSavedTasksTool(wxCommandEvent&) {
  if (!m_showSavedTasks)
    return;
  // The modal dialog edits the same folder the refresh reads.
  m_tasksRefreshSuspended = true;
  m_showSavedTasks();
  m_tasksRefreshSuspended = false;
}

void CDFrame::OnExit(wxCommandEvent&) {
  if (m_running)
    return;
  Close(true);
}

void CDFrame::OnAbout(wxCommandEvent&) {
  wxAboutDialogInfo info;
  info.SetName("Duskwatch");
  info.SetVersion(":2.1.0 Final (FREEWARE)");
  info.SetDescription("Shuts down, restarts, suspends, cleans up or reminds you after a countdown.");
  info.SetCopyright("(C) The Duskwatch developers");
  info.SetWebSite(kWebSite);
  wxAboutBox(info, this);
}

void CDFrame::OnManual(wxCommandEvent&) {
  // No web site to send the user to: the manual is a local document.
  const std::string manual = FindManual(m_programFolder);
  int errorCode = 0;
  if (!manual.empty() && os::shell::OpenDocument(manual, errorCode))
    return;
  ShowMessage(manual.empty() ? wxString("The manual is not installed.\n\nRead it in a terminal with \"man DKWT\".")
                             : wxString::Format("Couldn't open the manual:\n\n%s\n\nRead it in a terminal with "
                                                "\"man DKWT\".",
                                                wxString::FromUTF8(manual)),
              "Message", wxOK | wxICON_INFORMATION, this);
}

void CDFrame::OnClose(wxCloseEvent& event) {
  if (IsCleanupRunning() && event.CanVeto()) {
    event.Veto();
    return;
  }
  m_tasksRefreshTimer.Stop();
  Destroy();
}

void CDFrame::OnNavigationKey(wxNavigationKeyEvent& event) {
  wxWindow* focused = FindFocus();
  // Composite controls (the date picker) focus an inner window: use the
  // nearest window of ours.
  while (focused && focused != this &&
         (focused->GetId() < ids::kNavigationFirst || focused->GetId() > ids::kNavigationLast))
    focused = focused->GetParent();
  if (!event.IsFromTab() || !focused || focused == this) {
    event.Skip();
    return;
  }
  if (!NavigateFrom(focused->GetId(), !event.GetDirection()))
    event.Skip();
}

bool CDFrame::NavigateFrom(int focusedId, bool backward) {
  if (focusedId < ids::kNavigationFirst || focusedId > ids::kNavigationLast)
    return false;
  if (m_running)
    return true;
  if (backward) {
    switch (focusedId) {
      case ids::kSpinHours:
        m_startButton->SetFocus();
        break;
      case ids::kTaskChoice:
        SwitchMode(false);
        m_spinSecondsAbsolute->SetFocus();
        break;
      case ids::kDatePicker:
        SwitchMode(true);
        m_spinSeconds->SetFocus();
        break;
      case ids::kStartButton:
        m_nowButtons.back()->SetFocus();
        break;
      default:
        break;
    }
    return true;
  }
  switch (focusedId) {
    case ids::kSpinSecondsAbsolute:
      m_taskChoice->SetFocus();
      break;
    case ids::kRadioRelative:
      SwitchMode(false);
      m_datePicker->SetFocus();
      break;
    case ids::kStartButton:
      SwitchMode(true);
      m_spinHours->SetFocus();
      break;
    case ids::kFullCleanupNow:
      m_startButton->SetFocus();
      break;
    default:
      break;
  }
  return true;
}
