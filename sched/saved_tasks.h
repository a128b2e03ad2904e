#pragma once
// The saved repeated tasks as the manager lists them: one row per
// scheduler entry whose task file exists, active ("1_...") or not ("0_...").
#include <array>
#include <vector>

#include <wx/string.h>

struct SavedTask {
  wxString path;  // the task file as it is now named
  bool active = false;
  // TYPE, REPEAT EVERY, ON, AT, FROM, PATH
  std::array<wxString, 6> cells;
};

struct SavedTaskList {
  std::vector<SavedTask> tasks;
  int active = 0;
  int inactive = 0;
};

// The manager's name of a task-file action word ("monitorOff" -> "Monitor off").
wxString ActionDisplayText(const wxString& word);

// The row of a task file (its schedule summary and name).
SavedTask DescribeSavedTask(const wxString& path);

// Lists the scheduler's entries; an entry whose task file is gone under
// both names is removed from the scheduler. False (with the scheduler's
// code) when some entries could not be read; the list holds the others (an
// unreadable crontab must not hide the user manager's timers).
bool BuildSavedTaskList(const wxString& tasksFolder, SavedTaskList& list, int& errorCode);

// The path with the file name's flag switched: "1_..." -> "0_...", else the
// first "0" -> "1".
wxString ToggledTaskPath(const wxString& path);
