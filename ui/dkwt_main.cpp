// The DKWT executable: the application object with the real main window.
#include <chrono>
#include <iostream>

#include <wx/splash.h>

#include "app/cd_app.h"
#include "app/clock.h"
#include "cleanup/preview_command.h"
#include "os/startup.h"
#include "res/art/art.h"
#include "sched/schedule.h"
#include "ui/cd_frame.h"

class DuskwatchApp : public CDApp {
 protected:
  MainWindow* CreateMainWindow(const wxPoint& position, const wxSize& size) override {
    return new CDFrame(nullptr, 6999, "Duskwatch v. 2.1", position, size);
  }

  void ShowSplash() override {
    auto* splash = new wxSplashScreen(LogoBitmap(), wxSPLASH_CENTRE_ON_SCREEN | wxSPLASH_TIMEOUT, 1000, nullptr,
                                      wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSIMPLE_BORDER | wxSTAY_ON_TOP);
    // GTK ignores the position given at construction.
    splash->CentreOnScreen();
    // The event loop has not started yet: let the picture be drawn while we
    // wait. The splash closes itself after its timeout.
    for (int step = 0; step < 12; ++step) {
      Yield(true);
      CurrentClock().Sleep(std::chrono::milliseconds(100));
    }
  }
};

wxIMPLEMENT_APP_NO_MAIN(DuskwatchApp);

int main(int argc, char** argv) {
  os::startup::PrepareToolkit();
  if (int due = CDApp::RunDueCheck(argc, argv, &DueExitStatus); due >= 0)
    return due;
  // Before the toolkit starts: a preview needs no display.
  if (int preview = cleanup::RunPreviewCommand(argc, argv, std::cout, std::cerr); preview >= 0)
    return preview;
  int result = wxEntry(argc, argv);
  // Scripts calling an immediate command learn whether it was carried out.
  return CDApp::s_exitCode >= 0 ? CDApp::s_exitCode : result;
}
