#pragma once
// The ten actions, in the order of the main window's action choice.
#include <array>

#include <wx/string.h>

enum class TaskType {
  Shutdown = 0,
  Restart,
  Standby,
  Hibernate,
  Logout,
  Alarm,
  MonitorOff,
  Cleanup,
  Lock,
  LaunchFile,
};

constexpr int kTaskTypeCount = 10;

// The word used in task-file names ("shutdown", "monitorOff", "file", ...).
wxString TaskTypeWord(int index);
// The word followed by "_", used when a task file is saved.
wxString TaskTypePrefix(int index);
