#pragma once
// What start-up needs from the main window; the window itself lives in ui/.
#include "app/cleanup_selection.h"
#include "app/task_file.h"

class Task;
class wxFrame;

class MainWindow {
 public:
  virtual ~MainWindow() = default;
  virtual wxFrame* Frame() = 0;
  virtual Task& CurrentTask() = 0;
  virtual CleanupSelection& Selection() = 0;
  virtual TaskFileState& FileState() = 0;
  // The task came from a task file: the program ends when it is done.
  virtual void SetFromTaskFile(bool fromTaskFile) = 0;
  // Internet Explorer 7 or later is installed.
  virtual void SetIe7OrLater(bool installed) = 0;
  virtual void DiscoverBrowsers() = 0;
  // Controls, menus and settings.
  virtual void BuildControls() = 0;
  // Starts the countdown of the task loaded from a file.
  virtual void StartLoadedTask() = 0;
  // The interactive start: focus on the action choice, saved-tasks refresh.
  virtual void StartInteractive() = 0;
};
