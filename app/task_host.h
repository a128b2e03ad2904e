#pragma once
// What the current task needs from the window that owns it.
#include <wx/string.h>

class TaskHost {
 public:
  virtual ~TaskHost() = default;
  virtual void LogError(int code, const wxString& message, bool showBox) = 0;
  // The task came from a task file (-task or -i).
  virtual bool IsTaskFileRun() const = 0;
  // The loaded task file asked for an alarm after its action.
  virtual bool FileAlarmExtra() const = 0;
  // The extras window's Alarm page is on and enabled.
  virtual bool AlarmPageOn() const = 0;
  // The "Do not ignore newer internet browsers" option.
  virtual bool IgnoreBrowserVersion() const = 0;
  // Ends a task-file run by closing the main window (a veto is allowed).
  virtual void CloseMainWindow() = 0;
};
