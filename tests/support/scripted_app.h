#pragma once
// The application object's start-up run in process with a scripted command
// line; subclasses supply the main window.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <wx/cmdline.h>

#include "app/cd_app.h"
#include "os/processes.h"

// Constructing an application object makes it the toolkit's current one;
// the test program's own must come back afterwards.
struct CurrentAppKeeper {
  wxAppConsole* previous = wxApp::GetInstance();
  ~CurrentAppKeeper() { wxApp::SetInstance(previous); }
};

class ScriptedApp : private CurrentAppKeeper, public CDApp {
 public:
  ScriptedApp() {
    SetAppName("DKWT");
    m_instanceName = InstanceName();
  }

  // What other copies are called in tests: unique to this test program.
  static std::string InstanceName() { return "DKWT-test-" + std::to_string(os::processes::CurrentId()); }

  // Parses like start-up does; false on a parse error.
  bool Parse(const std::vector<std::string>& arguments) {
    wxCmdLineParser parser;
    OnInitCmdLine(parser);
    std::vector<std::string> words = {"DKWT"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words)
      argv.push_back(word.data());
    argv.push_back(nullptr);
    parser.SetCmdLine(static_cast<int>(words.size()), argv.data());
    return parser.Parse(false) == 0 && OnCmdLineParsed(parser);
  }

  // Parses, then runs the start-up body as OnInit would.
  bool Start(const std::vector<std::string>& arguments) {
    if (!Parse(arguments))
      return false;
    m_keyTables.Fill();
    return StartupBody();
  }
};

// A copy of a harmless program under the tests' instance name: another
// "DKWT" that this test started and ends itself.
class OtherInstance {
 public:
  explicit OtherInstance(const std::filesystem::path& folder) {
    const std::string name = ScriptedApp::InstanceName();
    const auto copy = folder / name;
    std::filesystem::copy_file("/bin/sleep", copy, std::filesystem::copy_options::overwrite_existing);
    pid = fork();
    if (pid == 0) {
      execl(copy.c_str(), name.c_str(), "30", static_cast<char*>(nullptr));
      _exit(127);
    }
    // Wait until the child runs the copied executable.
    for (int i = 0; i < 200; ++i) {
      std::error_code ignored;
      auto exe = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", ignored);
      if (exe.filename() == name)
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~OtherInstance() {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  pid_t pid = 0;
};
