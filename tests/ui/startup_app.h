#pragma once
// The application object's start-up, in process, with the real main window:
// what "DKWT -task <file>" does, without starting a second program.
#include "tests/support/scripted_app.h"
#include "ui/cd_frame.h"

class StartupApp : public ScriptedApp {
 public:
  ~StartupApp() override {
    if (window && !window->IsBeingDeleted())
      delete window;
  }

  CDFrame* window = nullptr;

 protected:
  MainWindow* CreateMainWindow(const wxPoint& position, const wxSize& size) override {
    window = new CDFrame(nullptr, 6999, "Duskwatch v. 2.1", position, size);
    return window;
  }
};
