#pragma once
// The application object's start-up, in process, with the real main window:
// what "DKWT -task <file>" does, without starting a second program.
#include <string>
#include <vector>

#include <wx/cmdline.h>

#include "app/cd_app.h"
#include "ui/cd_frame.h"

// Constructing an application object makes it the toolkit's current one;
// the test program's own must come back afterwards.
struct CurrentAppKeeper {
  wxAppConsole* previous = wxApp::GetInstance();
  ~CurrentAppKeeper() { wxApp::SetInstance(previous); }
};

class StartupApp : private CurrentAppKeeper, public CDApp {
 public:
  StartupApp() { SetAppName("DKWT"); }
  ~StartupApp() override {
    if (window && !window->IsBeingDeleted())
      delete window;
  }

  bool Start(const std::vector<std::string>& arguments) {
    wxCmdLineParser parser;
    OnInitCmdLine(parser);
    std::vector<std::string> words = {"DKWT"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words)
      argv.push_back(word.data());
    argv.push_back(nullptr);
    parser.SetCmdLine(static_cast<int>(words.size()), argv.data());
    if (parser.Parse(false) != 0 || !OnCmdLineParsed(parser))
      return false;
    m_keyTables.Fill();
    return StartupBody();
  }

  CDFrame* window = nullptr;

 protected:
  MainWindow* CreateMainWindow(const wxPoint& position, const wxSize& size) override {
    window = new CDFrame(nullptr, 6999, "Duskwatch v. 2.1", position, size);
    return window;
  }
};
