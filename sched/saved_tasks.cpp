#include "sched/saved_tasks.h"

#include <algorithm>
#include <set>

#include <wx/filefn.h>

#include "os/folders.h"
#include "os/scheduler.h"
#include "sched/schedule.h"

namespace {

struct WordText {
  const char* word;
  const char* text;
};

constexpr WordText kActionTexts[] = {
    {"shutdown", "Shutdown"},  {"restart", "Restart"},       {"standby", "Standby"},
    {"hibernate", "Hibernation"}, {"logout", "Log off"},     {"alarm", "Alarm"},
    {"monitorOff", "Monitor off"}, {"cleanup", "Clean up"},  {"file", "Launch a file"},
    {"lock", "Lock PC"},
};

wxString Separator() { return wxString(os::folders::PathSeparator()); }

}  // namespace

wxString ActionDisplayText(const wxString& word) {
  for (const WordText& entry : kActionTexts)
    if (word == entry.word)
      return entry.text;
  return wxString();
}

SavedTask DescribeSavedTask(const wxString& path) {
  SavedTask task;
  task.path = path;
  const wxString fileName = path.AfterLast(os::folders::PathSeparator());
  task.active = fileName.StartsWith("1");
  RepeatSchedule schedule;
  const bool known = ReadScheduleSummary(path.utf8_string(), schedule);
  task.cells[0] = ActionDisplayText(fileName.AfterFirst('_').BeforeFirst('_'));
  if (known) {
    task.cells[1] = wxString::Format("%d", schedule.every) + (schedule.weekly ? " week(s)" : " day(s)");
    if (schedule.weekly)
      task.cells[2] = wxString::FromUTF8(DayList(schedule.weekDays));
    task.cells[3] = wxString::Format("%02d:%02d:%02d", schedule.hour, schedule.minute, schedule.second);
    task.cells[4] = wxString::Format("%04d-%02d-%02d", schedule.year, schedule.month, schedule.day);
  }
  task.cells[5] = path;
  return task;
}

bool BuildSavedTaskList(const wxString& tasksFolder, SavedTaskList& list, int& errorCode) {
  list = SavedTaskList();
  std::vector<os::scheduler::Entry> entries;
  const bool complete = os::scheduler::List(entries, errorCode);
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  std::set<std::string> seen;
  for (const auto& entry : entries) {
    if (!seen.insert(entry.name).second)
      continue;
    const wxString fileName = wxString::FromUTF8(entry.name).AfterFirst('_');
    if (fileName.empty())
      continue;
    const wxString activePath = tasksFolder + Separator() + fileName;
    wxString inactiveName = fileName;
    if (inactiveName.StartsWith("1"))
      inactiveName[0] = '0';
    const wxString inactivePath = tasksFolder + Separator() + inactiveName;
    wxString path;
    if (wxFileExists(activePath))
      path = activePath;
    else if (wxFileExists(inactivePath))
      path = inactivePath;
    if (path.empty()) {
      // Its task file was deleted: the entry would only fail from now on.
      os::scheduler::Unregister(entry.name);
      continue;
    }
    SavedTask task = DescribeSavedTask(path);
    ++(task.active ? list.active : list.inactive);
    list.tasks.push_back(task);
  }
  return complete;
}

wxString ToggledTaskPath(const wxString& path) {
  const wxString folder = path.Contains(Separator()) ? path.BeforeLast(os::folders::PathSeparator()) + Separator()
                                                     : wxString();
  wxString fileName = path.AfterLast(os::folders::PathSeparator());
  if (fileName.StartsWith("1"))
    fileName[0] = '0';
  else
    fileName.Replace("0", "1", false);
  return folder + fileName;
}
