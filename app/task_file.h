#pragma once
// Task files: "<0|1>_<word>_<name>.stask" initialisation files in the tasks
// folder, holding one task with its extras.
#include <vector>

#include <wx/string.h>

#include "app/cleanup_selection.h"

class Task;
class ExtrasPages;

// What a loaded file sets beside the task itself (kept by the main window).
struct TaskFileState {
  int m_fileTaskIndex = 100;  // task-type index of the file; 100 until a file is loaded
  bool m_fileReminderOn = false;
  int m_fileReminderLead = 0;  // seconds
  wxString m_fileReminderText;
  bool m_fileAlarmExtra = false;
  bool m_fileLaunchExtra = false;
  bool m_fileWakeUp = false;
  bool m_fileMonitorWakeUp = false;
  double m_fileAlarmVolume = 0.0;  // 0.0 - 1.0
};

// One section's keys and the value slots the reader fills.
struct KeyTable {
  wxString section;
  std::vector<wxString> keys;
  std::vector<wxString> values;
  std::vector<bool> present;
};

struct TaskFileKeys {
  KeyTable cleanup, reminder, file, alarm, wakeup, monitor, trigger;
  std::vector<int> cleanupFound;  // one 0/1 marker per clean-up key
  void Fill();
};

// Parts of a task file's name.
struct TaskFileName {
  wxString activeFlag;  // "1" or "0" (scheduler names only)
  wxString typeWord;
  wxString taskName;    // scheduler names only
  int typeIndex = 100;
};

// Name rules: strict "<flag>_<word>_<name>.stask" when started by the
// scheduler, otherwise any base name starting with a task word.
bool ParseTaskFileName(const wxString& path, bool fromScheduler, TaskFileName& name);
// Where a path's file name starts: after its last separator ('/' counts as
// one on every platform); 0 when it has none.
size_t FileNameStart(const wxString& path);

// Reads the sections into the task, the selection and the file state; the
// task's type index must already be in state.m_fileTaskIndex. Problems are
// logged through the task's host.
bool ReadTaskFile(const wxString& path, TaskFileKeys& keys, Task& task, CleanupSelection& selection,
                  TaskFileState& state);

// Writes the current task into the tasks folder; returns the file's full path,
// or "ErrDir" when the tasks folder cannot be created (after telling the user).
wxString SaveTaskFile(const wxString& name, const wxString& tasksFolder, const Task& task,
                      const CleanupSelection& selection, const ExtrasPages& extras);

extern const char* const kTaskFileExtension;  // ".stask"
