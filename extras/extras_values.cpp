// The extras as the task engine and the task-file writer read them: straight
// from the controls, which keep their values while the window is hidden.
#include <wx/checkbox.h>
#include <wx/datectrl.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>

#include "app/cleanup_selection.h"
#include "app/message_box.h"
#include "extras/cd_aui_child_frame.h"
#include "extras/cd_aui_main_frame.h"
#include "extras/wake_up_time.h"

namespace {
constexpr int kLaunchChoice = 9;
}

bool CDAuiMainFrame::ReminderEnabled() const { return Page(ExtrasPageId::Options)->m_reminderEnabled; }
int CDAuiMainFrame::ReminderMinutes() const { return Page(ExtrasPageId::Options)->m_reminderMinutes->GetValue(); }
int CDAuiMainFrame::ReminderSeconds() const { return Page(ExtrasPageId::Options)->m_reminderSeconds->GetValue(); }
wxString CDAuiMainFrame::ReminderText() const { return Page(ExtrasPageId::Options)->m_reminderText->GetValue(); }

bool CDAuiMainFrame::MonitorPageOn() const { return Page(ExtrasPageId::Monitor)->m_on; }
bool CDAuiMainFrame::MonitorRelative() const { return Page(ExtrasPageId::Monitor)->m_relative->GetValue(); }
int CDAuiMainFrame::MonitorHours() const { return Page(ExtrasPageId::Monitor)->m_relativeSpins[0]->GetValue(); }
int CDAuiMainFrame::MonitorMinutes() const { return Page(ExtrasPageId::Monitor)->m_relativeSpins[1]->GetValue(); }
int CDAuiMainFrame::MonitorSeconds() const { return Page(ExtrasPageId::Monitor)->m_relativeSpins[2]->GetValue(); }
wxDateTime CDAuiMainFrame::MonitorDate() const { return Page(ExtrasPageId::Monitor)->m_date->GetValue(); }
bool CDAuiMainFrame::MonitorAbsolute() const { return Page(ExtrasPageId::Monitor)->m_absolute->GetValue(); }

bool CDAuiMainFrame::AlarmPageOn() const { return Page(ExtrasPageId::Alarm)->m_on; }
bool CDAuiMainFrame::AlarmDefaultPlayTime() const { return Page(ExtrasPageId::Alarm)->m_defaultPlayTime->GetValue(); }
int CDAuiMainFrame::AlarmHours() const { return Page(ExtrasPageId::Alarm)->m_alarmSpins[0]->GetValue(); }
int CDAuiMainFrame::AlarmMinutes() const { return Page(ExtrasPageId::Alarm)->m_alarmSpins[1]->GetValue(); }
int CDAuiMainFrame::AlarmSeconds() const { return Page(ExtrasPageId::Alarm)->m_alarmSpins[2]->GetValue(); }
int CDAuiMainFrame::AlarmVolume() const { return Page(ExtrasPageId::Alarm)->m_volume->GetValue(); }
bool CDAuiMainFrame::AlarmPageEnabled() const { return Page(ExtrasPageId::Alarm)->IsThisEnabled(); }
bool CDAuiMainFrame::AlarmDefaultSound() const { return Page(ExtrasPageId::Alarm)->m_defaultSound->GetValue(); }
wxString CDAuiMainFrame::AlarmSoundPath() const { return Page(ExtrasPageId::Alarm)->m_soundPath->GetValue(); }

bool CDAuiMainFrame::WakeupPageOn() const { return Page(ExtrasPageId::Wakeup)->m_on; }
bool CDAuiMainFrame::WakeupRelative() const { return Page(ExtrasPageId::Wakeup)->m_relative->GetValue(); }
int CDAuiMainFrame::WakeupHours() const { return Page(ExtrasPageId::Wakeup)->m_relativeSpins[0]->GetValue(); }
int CDAuiMainFrame::WakeupMinutes() const { return Page(ExtrasPageId::Wakeup)->m_relativeSpins[1]->GetValue(); }
int CDAuiMainFrame::WakeupSeconds() const { return Page(ExtrasPageId::Wakeup)->m_relativeSpins[2]->GetValue(); }
wxDateTime CDAuiMainFrame::WakeupDate() const { return Page(ExtrasPageId::Wakeup)->m_date->GetValue(); }
bool CDAuiMainFrame::WakeupAbsolute() const { return Page(ExtrasPageId::Wakeup)->m_absolute->GetValue(); }

// For the Launch-file action the page is the action itself: it counts as on.
bool CDAuiMainFrame::LaunchPageOn() const { return Page(ExtrasPageId::Launch)->m_on || m_action == kLaunchChoice; }
bool CDAuiMainFrame::ExitAfterLaunch() const { return Page(ExtrasPageId::Launch)->m_exitAfterLaunch->GetValue(); }

bool CDAuiMainFrame::CollectCleanupSelection(CleanupSelection& selection) const {
  const CDAuiChildFrame& cleanup = *Page(ExtrasPageId::Cleanup);
  bool any = false;
  for (std::size_t i = 0; i < cleanup.m_boxes.size(); ++i) {
    const bool on = cleanup.m_boxes[i]->GetValue();
    if (cleanup.m_boxItems[i])
      selection.Set(*cleanup.m_boxItems[i], on);
    any = any || on;
  }
  selection.anySelected = any;
  return any;
}

std::int64_t CDAuiMainFrame::SystemWakeUpDelay(const WakeUpRequest& request, bool& valid) const {
  return WakeUpDelay(*Page(ExtrasPageId::Wakeup), false, request, valid);
}

std::int64_t CDAuiMainFrame::MonitorWakeUpDelay(const WakeUpRequest& request, bool& valid) const {
  return WakeUpDelay(*Page(ExtrasPageId::Monitor), true, request, valid);
}

std::int64_t CDAuiMainFrame::WakeUpDelay(const CDAuiChildFrame& page, bool monitor, const WakeUpRequest& request,
                                         bool& valid) const {
  valid = false;
  if (page.m_relative->GetValue()) {
    const std::int64_t delay = std::int64_t{page.m_relativeSpins[0]->GetValue()} * 3600 +
                               std::int64_t{page.m_relativeSpins[1]->GetValue()} * 60 +
                               page.m_relativeSpins[2]->GetValue();
    if (delay <= 0)
      return 0;
    valid = true;
    return delay + 1;
  }
  if (!page.m_absolute->GetValue())
    return 0;
  const wxDateTime target = WakeUpTarget(page.m_date->GetValue(), page.m_absoluteSpins[0]->GetValue(),
                                         page.m_absoluteSpins[1]->GetValue(), page.m_absoluteSpins[2]->GetValue());
  const wxDateTime now = NowToTheSecond();
  wxWindow* parent = GetParent();
  const wxString increase =
      monitor ? "Invalid Monitor Wake-Up Time! Increase Monitor Wake-Up Time" : "Invalid Wake-Up Time! Increase Wake-Up Time";
  auto refuse = [parent](const wxString& text) {
    ShowMessage(text, "Info", wxOK | wxCENTRE, parent);
    return std::int64_t{0};
  };
  if (target.IsEarlierThan(now))
    return refuse(monitor ? "Invalid Wake-Up Time! Please set Monitor Wake-Up Time to a value in the future. "
                          : "Invalid Wake-Up Time! Please set Wake-Up Time to a value in the future. ");
  if (request.mainAbsolute && !target.IsLaterThan(request.mainTarget))
    return refuse(increase);
  const std::int64_t delay = target.Subtract(now).GetSeconds().GetValue();
  if (!request.mainAbsolute && delay < std::int64_t{request.countdownSeconds})
    return refuse(increase);
  valid = true;
  return delay;
}
