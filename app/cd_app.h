#pragma once
// The application object: reads the command line and takes one of three
// roads — an immediate command, a task-file run, or the interactive start.
#include <array>
#include <cstdint>
#include <string>

#include <wx/app.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

#include "app/task_file.h"

class MainWindow;
class wxCmdLineParser;

// Immediate commands, in the order in which the first present one wins.
enum class ImmediateCommand { Shutdown, Restart, Standby, Hibernate, Logout, Lock, Monitor };
constexpr std::size_t kImmediateCommandCount = 7;

class CDApp : public wxApp {
 public:
  CDApp();

  bool OnInit() override;
  int OnExit() override;
  void OnInitCmdLine(wxCmdLineParser& parser) override;
  bool OnCmdLineParsed(wxCmdLineParser& parser) override;

  // The start-up after the command line was parsed.
  bool StartupBody();
  // Parses the task file's name, then reads it into the main window.
  bool LoadTaskFile(const wxString& path);
  bool ReadTaskFile();
  // Fills m_otherInstanceRunning / m_otherInstancePid.
  void CheckOtherInstance();
  // The user's tasks folder, without trailing separator.
  wxString ComputeTasksFolder() const;

  MainWindow* m_frame = nullptr;
  bool m_splashShown = false;
  bool m_otherInstanceRunning = false;
  std::uint32_t m_otherInstancePid = 0;
  wxString m_tasksFolder;
  bool m_fromScheduler = false;
  bool m_taskOption = false;
  wxString m_taskFilePath;
  std::array<bool, kImmediateCommandCount> m_commandFlags{};
  wxString m_commandValue;
  TaskFileKeys m_keyTables;
  wxString m_taskName;
  wxString m_taskTypeWord;
  wxString m_taskActiveFlag;

  // Exit status when start-up ended without a window: an immediate command
  // 0 done or declined, 1 failed or invalid; 0 for a scheduled start of a
  // switched-off task (the scheduler must not count it as failed); -1 when
  // start-up ended otherwise.
  static int s_exitCode;

  // The scheduler's hidden "-due <task file>" check runs before the toolkit
  // starts, since it needs no display. Returns the check's exit status, or
  // -1 when the command line is no such check.
  using DueCheck = int (*)(const std::string& taskFile);
  static int RunDueCheck(int argc, char** argv, DueCheck check);

  // The executable name another instance is recognised by.
  static const char* const kInstanceName;
  // The name this process looks for (tests use a name of their own, so that
  // a real Duskwatch running beside them cannot change their outcome).
  std::string m_instanceName = kInstanceName;

 protected:
  // The main window (created hidden); the executable supplies the real one.
  virtual MainWindow* CreateMainWindow(const wxPoint& position, const wxSize& size) = 0;
  // The splash picture of an interactive start.
  virtual void ShowSplash() {}
  // Carries out an immediate command with a valid value ("quiet" or "confirm").
  // False when it failed (declining counts as success).
  virtual bool RunImmediateCommand(ImmediateCommand command, bool quiet);

 private:
  bool RunFirstImmediateCommand();
  bool InteractiveStart();
  bool TaskFileRun();
  MainWindow* CreateFrame(const wxPoint& position, const wxSize& size);
};
