// The start condition of a countdown: at once, when a program ends, or after
// the computer has been idle for a number of minutes.
#include <algorithm>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>

#include "app/clock.h"
#include "app/message_box.h"
#include "os/accessibility.h"
#include "ui/cd_controls.h"
#include "ui/cd_frame.h"
#include "ui/cd_ids.h"
#include "ui/countdown_format.h"

namespace {

using std::chrono::milliseconds;

// Error-log code of a start condition that cannot be watched.
constexpr int kTriggerErrorCode = 10588;

void Name(wxWindow* control, const char* name) { os::accessibility::SetName(control->GetHandle(), name); }

wxString ProgramEntry(const os::processes::ProcessInfo& process) {
  return wxString::Format("%s (%u)", wxString::FromUTF8(process.name), process.pid);
}

}  // namespace

// ---- Controls --------------------------------------------------------------

void CDFrame::CreateTriggerRows(wxSizer* column) {
  wxWindow* panel = m_panelRelative;
  m_triggerLabel = new wxStaticText(panel, wxID_ANY, "Start counting:", wxDefaultPosition, wxDefaultSize, 0,
                                    "staticText");
  // A group of its own: the mode button above is another one.
  m_triggerNow = new wxRadioButton(panel, ids::kTriggerNow, "now", wxDefaultPosition, wxDefaultSize, wxRB_GROUP,
                                   wxDefaultValidator, "nRadTriggerNow");
  m_triggerNow->SetToolTip("Start counting down as soon as the timer starts");
  m_triggerProgram = new wxRadioButton(panel, ids::kTriggerProgram, "when a program ends", wxDefaultPosition,
                                       wxDefaultSize, 0, wxDefaultValidator, "nRadTriggerProgram");
  m_triggerProgram->SetToolTip("Start counting down when the chosen program has ended");
  m_programChoice = new wxChoice(panel, ids::kProgramChoice, wxDefaultPosition, wxSize(150, -1), 0, nullptr, 0,
                                 wxDefaultValidator, "nCmdProgram");
  m_programChoice->SetToolTip("Your running programs, by name and process number");
  m_programRefresh = new wxButton(panel, ids::kProgramRefresh, "Refresh", wxDefaultPosition, wxDefaultSize,
                                  wxBU_EXACTFIT, wxDefaultValidator, "nButtonRefresh");
  m_programRefresh->SetToolTip("Read the list of running programs again");
  m_triggerIdle = new wxRadioButton(panel, ids::kTriggerIdle, "after the computer is idle for", wxDefaultPosition,
                                    wxDefaultSize, 0, wxDefaultValidator, "nRadTriggerIdle");
  m_spinIdleMinutes = new CDSpinCtrl(panel, ids::kSpinIdleMinutes, wxString(), wxDefaultPosition, wxDefaultSize,
                                     wxSP_ARROW_KEYS, TaskTrigger::kMinMinutes, TaskTrigger::kMaxMinutes,
                                     TaskTrigger::kDefaultMinutes, "nSpCtrlIdle");
  m_spinIdleMinutes->SetToolTip("Minutes without keyboard or pointer input");
  auto* minutesLabel = new wxStaticText(panel, wxID_ANY, "minutes", wxDefaultPosition, wxDefaultSize, 0,
                                        "staticText");
  m_triggerNow->SetValue(true);
  Name(m_triggerNow, "Start counting now");
  Name(m_triggerProgram, "Start counting when a program ends");
  Name(m_programChoice, "Program");
  Name(m_programRefresh, "Refresh the program list");
  Name(m_triggerIdle, "Start counting after the computer is idle");
  Name(m_spinIdleMinutes, "Idle minutes");

  // No source of idle time: the choice is offered greyed out, saying why.
  std::string reason;
  m_idleMonitor = os::idle::Open(reason);
  m_idleUnavailable = m_idleMonitor ? std::string() : reason;
  m_idleMonitor.reset();
  if (!m_idleUnavailable.empty())
    m_triggerIdle->SetToolTip(wxString::FromUTF8(m_idleUnavailable));
  else
    m_triggerIdle->SetToolTip("Start counting down once nobody has used the keyboard or pointer for this long");

  auto* first = new CDBoxSizer(wxHORIZONTAL);
  first->Add(m_triggerLabel, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  first->Add(m_triggerNow, 0, wxALIGN_CENTER_VERTICAL);
  auto* program = new CDBoxSizer(wxHORIZONTAL);
  program->Add(m_triggerProgram, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  program->Add(m_programChoice, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 3);
  program->Add(m_programRefresh, 0, wxALIGN_CENTER_VERTICAL);
  auto* idle = new CDBoxSizer(wxHORIZONTAL);
  idle->Add(m_triggerIdle, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  idle->Add(m_spinIdleMinutes, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  idle->Add(minutesLabel, 0, wxALIGN_CENTER_VERTICAL);
  column->Add(first, 0, wxLEFT | wxTOP, 5);
  column->Add(program, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 5);
  column->Add(idle, 0, wxLEFT | wxTOP | wxBOTTOM, 5);
  // The program list is read when that choice is made, not at every start.
}

void CDFrame::EnableTriggerControls(bool engineIdle) {
  // Relative mode waits before counting; a repeated task saves the condition
  // for its scheduled runs.
  const bool usable = engineIdle && (m_radioRelative->GetValue() || m_repeatedCheck->GetValue());
  m_triggerLabel->Enable(usable);
  m_triggerNow->Enable(usable);
  m_triggerProgram->Enable(usable);
  m_triggerIdle->Enable(usable && m_idleUnavailable.empty());
  m_programChoice->Enable(usable && m_triggerProgram->GetValue());
  m_programRefresh->Enable(usable && m_triggerProgram->GetValue());
  m_spinIdleMinutes->Enable(usable && m_triggerIdle->GetValue() && m_idleUnavailable.empty());
}

void CDFrame::OnTriggerChoice(wxCommandEvent&) {
  if (m_triggerProgram->GetValue() && m_programChoice->GetSelection() == wxNOT_FOUND)
    RefreshProgramList();
  EnableTriggerControls(!m_running);
}

void CDFrame::OnProgramRefresh(wxCommandEvent&) { RefreshProgramList(); }

void CDFrame::RefreshProgramList() {
  // The chosen program stays chosen while it runs.
  const std::uint32_t chosen = m_programChoice->GetSelection() == wxNOT_FOUND
                                   ? 0
                                   : m_programs[static_cast<std::size_t>(m_programChoice->GetSelection())].pid;
  std::vector<os::processes::ProcessInfo> programs;
  if (!os::processes::List(programs))
    LogError(kTriggerErrorCode, "Can't read the list of running programs.", false);
  const std::uint32_t self = os::processes::CurrentId();
  // An ended program that its parent has not reaped yet is no choice.
  std::erase_if(programs, [self](const auto& process) {
    return process.pid == self || process.name == "<unknown>" || !os::processes::Running(process.pid);
  });
  std::sort(programs.begin(), programs.end(), [](const auto& a, const auto& b) {
    const int order = wxString::FromUTF8(a.name).CmpNoCase(wxString::FromUTF8(b.name));
    return order != 0 ? order < 0 : a.pid < b.pid;
  });
  m_programs = std::move(programs);
  m_programChoice->Clear();
  for (const auto& process : m_programs) {
    m_programChoice->Append(ProgramEntry(process));
    if (process.pid == chosen)
      m_programChoice->SetSelection(static_cast<int>(m_programChoice->GetCount()) - 1);
  }
}

// ---- Arming ----------------------------------------------------------------

bool CDFrame::TakeTrigger(bool watch) {
  TaskTrigger trigger;
  trigger.minutes = m_spinIdleMinutes->GetValue();
  const bool usable = m_radioRelative->GetValue() || m_repeatedCheck->GetValue();
  if (usable && m_triggerProgram->GetValue()) {
    const int index = m_programChoice->GetSelection();
    if (index == wxNOT_FOUND) {
      ShowMessage("Please choose the program whose end starts the countdown.", "Info", wxOK, this);
      m_programChoice->SetFocus();
      return false;
    }
    const auto& process = m_programs[static_cast<std::size_t>(index)];
    trigger.type = TriggerType::ProgramEnds;
    trigger.program = wxString::FromUTF8(process.name);
    trigger.pid = process.pid;
  } else if (usable && m_triggerIdle->GetValue()) {
    trigger.type = TriggerType::Idle;
  }
  m_task.m_trigger = trigger;
  if (!watch || trigger.type == TriggerType::Now)
    return true;

  if (trigger.type == TriggerType::ProgramEnds) {
    // The number must still belong to the program that was chosen: once the
    // watch is open it cannot pass to another process.
    const int code = m_processWatch.Open(trigger.pid);
    std::vector<os::processes::ProcessInfo> now;
    os::processes::List(now);
    const bool listed = std::any_of(now.begin(), now.end(), [&](const auto& process) {
      return process.pid == trigger.pid && wxString::FromUTF8(process.name) == trigger.program;
    });
    if (listed && code != 0) {
      LogError(code, "Can't watch the program " + trigger.program + ".", false);
      ShowMessage(wxString::Format("Can't watch %s (%u).", trigger.program, trigger.pid), "Info", wxOK, this);
      return false;
    }
    if (!listed || m_processWatch.Ended()) {
      m_processWatch.Close();
      ShowMessage(wxString::Format("%s (%u) is no longer running.\n\nPlease choose the program again.",
                                   trigger.program, trigger.pid),
                  "Info", wxOK, this);
      RefreshProgramList();
      m_programChoice->SetFocus();
      return false;
    }
    return true;
  }
  std::string reason;
  m_idleMonitor = os::idle::Open(reason);
  if (!m_idleMonitor) {
    ShowMessage(wxString::FromUTF8(reason), "Info", wxOK, this);
    return false;
  }
  return true;
}

void CDFrame::StartCountingOrWait(bool wallClock) {
  if (m_task.m_trigger.type == TriggerType::Now) {
    ArmCountdown(wallClock);
    return;
  }
  m_waiting = true;
  m_idleCounted = 0;
  m_idleBeforeSleep = 0;
  m_resumedAt.reset();
  m_idleFailureLogged = false;
  m_triggerTimer.Start(1000);
  RefreshCountdown();
}

bool CDFrame::StartFileTrigger() {
  TaskTrigger& trigger = m_task.m_trigger;
  wxString problem;
  if (trigger.type == TriggerType::ProgramEnds) {
    std::vector<os::processes::ProcessInfo> processes;
    os::processes::List(processes);
    const std::uint32_t self = os::processes::CurrentId();
    std::uint32_t first = 0;
    for (const auto& process : processes)
      if (process.pid != self && wxString::FromUTF8(process.name) == trigger.program &&
          (first == 0 || process.pid < first) && os::processes::Running(process.pid))
        first = process.pid;
    trigger.pid = first;
    if (first == 0)
      problem = "No program named " + trigger.program + " is running: the task ends without acting.";
    else if (const int code = m_processWatch.Open(first); code != 0)
      problem = wxString::Format("Can't watch %s (%u), error %d: the task ends without acting.", trigger.program,
                                 first, code);
  } else if (trigger.type == TriggerType::Idle) {
    std::string reason;
    m_idleMonitor = os::idle::Open(reason);
    if (!m_idleMonitor)
      problem = wxString::FromUTF8(reason) + " The task ends without acting.";
  }
  if (problem.empty())
    return true;
  LogError(kTriggerErrorCode, problem, false);
  StopWaiting();
  m_task.ClearActions();
  ReleasePreventStandby();
  m_running = false;
  m_actionCode = 0;
  CallAfter([this] { EndTaskFileRun(true); });
  return false;
}

// ---- Waiting ---------------------------------------------------------------

std::optional<std::uint64_t> CDFrame::CountedIdleMilliseconds() {
  if (!m_idleMonitor) {
    std::string reason;
    m_idleMonitor = os::idle::Open(reason);
    if (!m_idleMonitor)
      return std::nullopt;
  }
  const std::optional<std::uint64_t> idle = m_idleMonitor->IdleMilliseconds();
  if (!idle) {
    // Asked again by the next tick, from scratch.
    m_idleMonitor.reset();
    return std::nullopt;
  }
  std::uint64_t counted = *idle;
  if (m_resumedAt) {
    const auto awake = static_cast<std::uint64_t>(
        std::chrono::duration_cast<milliseconds>(CurrentClock().Monotonic() - *m_resumedAt).count());
    // No input since the resume: the time before the sleep counts, the sleep
    // itself does not. Input since then: the source alone is right again.
    if (counted >= awake)
      counted = m_idleBeforeSleep + awake;
    else
      m_resumedAt.reset();
  }
  return counted;
}

void CDFrame::OnTriggerTick(wxTimerEvent&) {
  if (!m_waiting) {
    m_triggerTimer.Stop();
    return;
  }
  const TaskTrigger& trigger = m_task.m_trigger;
  bool met = false;
  if (trigger.type == TriggerType::ProgramEnds) {
    met = m_processWatch.Ended();
  } else {
    const std::optional<std::uint64_t> idle = CountedIdleMilliseconds();
    if (!idle) {
      if (!m_idleFailureLogged)
        LogError(kTriggerErrorCode, "Can't read the time since the last input.", false);
      m_idleFailureLogged = true;
    } else {
      m_idleFailureLogged = false;
      m_idleCounted = *idle;
      met = m_idleCounted >= static_cast<std::uint64_t>(trigger.minutes) * 60000u;
    }
  }
  if (!met) {
    RefreshCountdown();
    return;
  }
  StopWaiting();
  m_progressRangePending = true;
  ArmCountdown(false);
  RefreshCountdown();
}

void CDFrame::StopWaiting() {
  m_waiting = false;
  m_triggerTimer.Stop();
  m_processWatch.Close();
  m_idleMonitor.reset();
}

void CDFrame::TriggerSleepSignal(bool goingToSleep) {
  if (!m_waiting || m_task.m_trigger.type != TriggerType::Idle)
    return;
  if (goingToSleep)
    m_idleBeforeSleep = m_idleCounted;
  else
    m_resumedAt = CurrentClock().Monotonic();
}

wxString CDFrame::WaitingText() const {
  return FormatWaiting(m_task.m_trigger, static_cast<int>(m_idleCounted / 60000u));
}
