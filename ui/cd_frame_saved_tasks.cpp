// Repeated tasks: saving and registering one at zero, and the saved-tasks
// view (the dialog and the tool bar's count).
#include <ctime>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/choicebk.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/stdpaths.h>

#include "app/clock.h"
#include "os/folders.h"
#include "sched/cd_dialog.h"
#include "sched/registration.h"
#include "ui/cd_controls.h"
#include "ui/cd_frame.h"
#include "ui/cd_ids.h"

void CDFrame::ScheduleCurrentTask() {
  // The saved-tasks refresh must not read the folder while we write it.
  m_tasksRefreshSuspended = true;
  const wxDateTime now(static_cast<time_t>(EpochSeconds()));
  const wxString path = SaveTaskFile(now.Format("Task_%Y%m%d_%H%M%S"));
  if (path != "ErrDir") {
    RepeatSchedule schedule;
    schedule.weekly = m_repeatBook->GetSelection() == 1;
    schedule.every = schedule.weekly ? m_repeatWeeks->GetValue() : m_repeatDays->GetValue();
    if (schedule.weekly)
      for (std::size_t day = 0; day < m_weekDays.size(); ++day)
        if (m_weekDays[day]->GetValue())
          schedule.weekDays |= 1u << day;
    // The start is the absolute date and time, also for a task set up in
    // relative mode.
    const wxDateTime start = AbsoluteTarget();
    schedule.year = start.GetYear();
    schedule.month = static_cast<int>(start.GetMonth()) + 1;
    schedule.day = start.GetDay();
    schedule.hour = start.GetHour();
    schedule.minute = start.GetMinute();
    schedule.second = start.GetSecond();
    const wxString executable =
        m_schedulerExecutable.empty() ? wxStandardPaths::Get().GetExecutablePath() : m_schedulerExecutable;
    RegisterRepeatedTask(path, schedule, executable, *this);
  }
  m_tasksRefreshSuspended = false;
}

void CDFrame::RefreshSavedTasks() {
  if (!m_savedTasksDialog) {
    const wxString folder = wxString::FromUTF8(os::folders::TasksFolder(wxTheApp->GetAppName().utf8_string()));
    m_savedTasksDialog = new CDDialog(this, folder, *this);
    m_showSavedTasks = [this] {
      m_savedTasksDialog->CentreOnParent();
      m_savedTasksDialog->ShowModal();
    };
  }
  m_savedTasksDialog->BuildList();
  const int total = m_savedTasksDialog->TaskCount();
  m_savedTaskCount = total;
  if (!m_toolBar)
    return;
  wxString status = "  No scheduled tasks  ";
  if (total > 0) {
    m_toolBar->SetToolShortHelp(ids::kSavedTasksTool, "  scheduled tasks management  ");
    status = wxString::Format("%d saved tasks found:   %d inactive   /   %d active", total,
                              m_savedTasksDialog->InactiveCount(), m_savedTasksDialog->ActiveCount());
  }
  m_toolBar->EnableTool(ids::kSavedTasksTool, total > 0);
  if (m_toolStatusText->GetLabel() != status) {
    m_toolStatusText->SetLabel(status);
    m_toolStatusText->SetToolTip(status);
    m_toolBar->Realize();
  }
}
