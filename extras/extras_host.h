#pragma once
// What the extras window needs from the main window that owns it.
#include <wx/string.h>

class Task;

class ExtrasHost {
 public:
  virtual ~ExtrasHost() = default;
  // A task is armed: the window does not open.
  virtual bool TaskRunning() const = 0;
  // The main window's "Repeated" box is enabled and checked.
  virtual bool RepeatedChecked() const = 0;
  virtual Task& CurrentTask() = 0;
  // A monitor whose power can be switched was found.
  virtual bool MonitorDetected() = 0;
  virtual void LogError(int code, const wxString& message, bool showBox) = 0;
};
