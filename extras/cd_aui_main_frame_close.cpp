// The checks made when the user closes the extras window: warnings correct
// the task and let the window close, blocking checks keep it open on the
// page at fault.
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/datectrl.h>
#include <wx/filefn.h>
#include <wx/notebook.h>
#include <wx/radiobut.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>

#include "app/clock.h"
#include "app/message_box.h"
#include "app/task.h"
#include "extras/cd_aui_child_frame.h"
#include "extras/cd_aui_main_frame.h"
#include "extras/wake_up_time.h"

namespace {

enum Choice { kShutdown, kRestart, kStandby, kHibernate, kLogOff, kAlarm, kMonitor, kCleanup, kLock, kLaunch };

int SpinSum(const std::array<wxSpinCtrl*, 3>& spins) {
  return spins[0]->GetValue() + spins[1]->GetValue() + spins[2]->GetValue();
}

}  // namespace

void CDAuiMainFrame::SoundCheck() {
  const CDAuiChildFrame& alarm = *Page(ExtrasPageId::Alarm);
  if (alarm.m_defaultSound->GetValue())
    return;
  const wxString path = alarm.m_soundPath->GetValue();
  if (wxFileExists(path) && path.EndsWith(".wav"))
    return;
  m_host->CurrentTask().m_customTone = false;
  ShowMessage("The custom sound file you selected seems to be invalid. Default sound will be used.", "Info",
              wxOK | wxICON_INFORMATION, this);
}

void CDAuiMainFrame::PlayTimeCheck() {
  const CDAuiChildFrame& alarm = *Page(ExtrasPageId::Alarm);
  if (alarm.m_defaultPlayTime->GetValue() || SpinSum(alarm.m_alarmSpins) != 0)
    return;
  m_host->CurrentTask().m_alarmSeconds = 20;
  ShowMessage("Invalid Alarm Timeout. Default Timeout will be used.", "Info", wxOK | wxICON_INFORMATION, this);
}

bool CDAuiMainFrame::LaunchCheck() {
  if (!Page(ExtrasPageId::Launch)->m_launchPath->GetValue().empty())
    return true;
  ShowMessage("The file you selected to be launched seems to be invalid.", "Info", wxOK | wxICON_INFORMATION, this);
  FocusPage(ExtrasPageId::Launch);
  return false;
}

bool CDAuiMainFrame::TimeCheck(ExtrasPageId which) {
  const CDAuiChildFrame& page = *Page(which);
  const bool monitor = which == ExtrasPageId::Monitor;
  wxString problem;
  if (page.m_relative->GetValue()) {
    if (SpinSum(page.m_relativeSpins) == 0)
      problem = monitor ? "Invalid Time! Please increase Monitor Wake-Up Time. " : "Invalid Time! Please increase Wake-Up Time. ";
  } else {
    const wxDateTime target = WakeUpTarget(page.m_date->GetValue(), page.m_absoluteSpins[0]->GetValue(),
                                           page.m_absoluteSpins[1]->GetValue(), page.m_absoluteSpins[2]->GetValue());
    if (target.IsEarlierThan(NowToTheSecond()))
      problem = monitor ? "Invalid Time! Please set Monitor Wake-Up Time to a value in the future. "
                        : "Invalid Time! Please set Wake-Up Time to a value in the future. ";
  }
  if (problem.empty())
    return true;
  ShowMessage(problem, "Info", wxOK | wxCENTRE, this);
  FocusPage(which);
  return false;
}

bool CDAuiMainFrame::CloseWithChecks() {
  const bool alarmOn = Page(ExtrasPageId::Alarm)->m_on;
  const bool monitorOn = Page(ExtrasPageId::Monitor)->m_on;
  const bool wakeupOn = Page(ExtrasPageId::Wakeup)->m_on;
  const bool launchOn = Page(ExtrasPageId::Launch)->m_on;
  const int action = m_action;
  auto alarmChecks = [this] {
    SoundCheck();
    PlayTimeCheck();
  };

  if (action == kAlarm || ((action == kCleanup || action == kMonitor) && alarmOn))
    alarmChecks();

  bool passed = true;
  if ((action == kAlarm || action == kCleanup) && launchOn) {
    passed = LaunchCheck();
  } else if (action == kLock && (alarmOn || launchOn)) {
    if (alarmOn)
      alarmChecks();
    if (launchOn)
      passed = LaunchCheck();
  } else if (action == kMonitor && (monitorOn || launchOn)) {
    if (monitorOn)
      passed = TimeCheck(ExtrasPageId::Monitor);
    if (passed && launchOn)
      passed = LaunchCheck();
  } else if ((action == kStandby || action == kHibernate) && wakeupOn) {
    passed = TimeCheck(ExtrasPageId::Wakeup);
    if (passed && launchOn)
      passed = LaunchCheck();
    // Only an alarm that will sound after the wake-up is checked.
    if (Page(ExtrasPageId::Alarm)->IsEnabled() && alarmOn)
      alarmChecks();
  } else if (action == kLaunch && alarmOn) {
    alarmChecks();
  }
  if (!passed)
    return false;
  LeaveModal();
  Hide();
  return true;
}
