#include "app/cd_app.h"

#include <wx/cmdline.h>
#include <wx/filefn.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/msgdlg.h>

#include "app/clock.h"
#include "app/immediate_action.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "app/task.h"
#include "app/task_file.h"
#include "os/folders.h"
#include "os/platform_texts.h"
#include "os/display.h"
#include "os/processes.h"
#include "os/session.h"

const char* const CDApp::kInstanceName = "DKWT";
int CDApp::s_exitCode = -1;

namespace {

const wxCmdLineEntryDesc kOptions[] = {
    {wxCMD_LINE_OPTION, "task", nullptr, "execute a saved task file.", wxCMD_LINE_VAL_STRING,
     wxCMD_LINE_NEEDS_SEPARATOR},
    {wxCMD_LINE_OPTION, "shutdown", nullptr, "use with \"confirm\" or \"quiet\"", wxCMD_LINE_VAL_STRING,
     wxCMD_LINE_NEEDS_SEPARATOR},
    {wxCMD_LINE_OPTION, "restart", nullptr, "use with \"confirm\" or \"quiet\"", wxCMD_LINE_VAL_STRING,
     wxCMD_LINE_NEEDS_SEPARATOR},
    {wxCMD_LINE_OPTION, "standby", nullptr, "use with \"confirm\" or \"quiet\"", wxCMD_LINE_VAL_STRING,
     wxCMD_LINE_NEEDS_SEPARATOR},
    {wxCMD_LINE_OPTION, "hibernate", nullptr, "use with \"confirm\" or \"quiet\"", wxCMD_LINE_VAL_STRING,
     wxCMD_LINE_NEEDS_SEPARATOR},
    {wxCMD_LINE_OPTION, "logout", nullptr, "use with \"confirm\" or \"quiet\"", wxCMD_LINE_VAL_STRING,
     wxCMD_LINE_NEEDS_SEPARATOR},
    {wxCMD_LINE_OPTION, "lock", nullptr, "use with \"confirm\" or \"quiet\"", wxCMD_LINE_VAL_STRING,
     wxCMD_LINE_NEEDS_SEPARATOR},
    {wxCMD_LINE_OPTION, "monitor", nullptr, "use with \"confirm\" or \"quiet\"", wxCMD_LINE_VAL_STRING,
     wxCMD_LINE_NEEDS_SEPARATOR},
    {wxCMD_LINE_OPTION, "preview", nullptr,
     "print what the clean-up of a task file would delete, deleting nothing (add --json for JSON).",
     wxCMD_LINE_VAL_STRING, wxCMD_LINE_NEEDS_SEPARATOR},
    {wxCMD_LINE_OPTION, "i", nullptr, "used by task manager, use -task option instead.", wxCMD_LINE_VAL_STRING,
     wxCMD_LINE_NEEDS_SEPARATOR},
    {wxCMD_LINE_NONE, nullptr, nullptr, nullptr, wxCMD_LINE_VAL_NONE, 0},
};

// Option name of each immediate command, in command order.
const std::array<const char*, kImmediateCommandCount> kCommandOptions = {
    "shutdown", "restart", "standby", "hibernate", "logout", "lock", "monitor",
};

void Inform(const wxString& text, const wxString& caption) {
  ShowMessage(text, caption, wxOK | wxICON_INFORMATION);
}

}  // namespace

CDApp::CDApp() = default;

int CDApp::RunDueCheck(int argc, char** argv, DueCheck check) {
  // Not among the options, so the usage text never shows it.
  if (argc != 3 || std::string(argv[1]) != "-due")
    return -1;
  return check(argv[2]);
}

void CDApp::OnInitCmdLine(wxCmdLineParser& parser) {
  // No built-in options: there is no --help or --verbose.
  parser.SetDesc(kOptions);
  parser.SetSwitchChars("-");
}

bool CDApp::OnCmdLineParsed(wxCmdLineParser& parser) {
  wxString value;
  m_fromScheduler = parser.Found("i", &value);
  if (m_fromScheduler)
    m_taskFilePath = value;
  m_taskOption = parser.Found("task", &value);
  if (m_taskOption)
    m_taskFilePath = value;
  for (std::size_t i = 0; i < kImmediateCommandCount; ++i) {
    m_commandFlags[i] = parser.Found(kCommandOptions[i], &value);
    if (m_commandFlags[i])
      m_commandValue = value;
  }
  return true;
}

bool CDApp::OnInit() {
  if (!wxApp::OnInit())
    return false;
  m_frame = nullptr;
  m_keyTables.Fill();
  return StartupBody();
}

int CDApp::OnExit() { return 0; }

wxString CDApp::ComputeTasksFolder() const {
  return wxString::FromUTF8(os::folders::TasksFolder(GetAppName().utf8_string()));
}

void CDApp::CheckOtherInstance() {
  m_otherInstanceRunning = false;
  m_otherInstancePid = 0;
  std::vector<os::processes::ProcessInfo> processes;
  if (!os::processes::List(processes))
    return;
  const std::uint32_t self = os::processes::CurrentId();
  for (const auto& process : processes) {
    if (process.pid != 0 && process.pid != self && process.name == m_instanceName) {
      m_otherInstanceRunning = true;
      m_otherInstancePid = process.pid;
      return;
    }
  }
}

bool CDApp::StartupBody() {
  wxInitAllImageHandlers();
  CheckOtherInstance();

  m_tasksFolder = ComputeTasksFolder();
  const bool taskFileRun = m_fromScheduler || m_taskOption;
  const bool anyCommand = std::find(m_commandFlags.begin(), m_commandFlags.end(), true) != m_commandFlags.end();
  if (!os::folders::FolderExists(m_tasksFolder.utf8_string())) {
    int error = 0;
    if (!os::folders::CreateFolderPath(m_tasksFolder.utf8_string(), error) && !taskFileRun && !anyCommand)
      Inform(wxString::Format("Error creating the tasks folder.\n\nError:\t%i", error), "Message");
  }

  if (taskFileRun)
    return TaskFileRun();
  if (anyCommand)
    return RunFirstImmediateCommand();
  return InteractiveStart();
}

bool CDApp::RunFirstImmediateCommand() {
  for (std::size_t i = 0; i < kImmediateCommandCount; ++i) {
    if (!m_commandFlags[i])
      continue;
    if (m_commandValue == "quiet" || m_commandValue == "confirm") {
      s_exitCode = RunImmediateCommand(static_cast<ImmediateCommand>(i), m_commandValue == "quiet") ? 0 : 1;
    } else {
      s_exitCode = 1;
      Inform(wxString::Format("Value \"%s\" is not valid with \"-%s\" command.\n%s", m_commandValue,
                              kCommandOptions[i], os::texts::Get(os::texts::Text::InvalidValueHint)),
             "Duskwatch");
    }
    break;
  }
  return false;
}

bool CDApp::RunImmediateCommand(ImmediateCommand command, bool quiet) {
  switch (command) {
    case ImmediateCommand::Lock: {
      if (!quiet && ShowMessage("Lock the system now?", "Duskwatch", wxYES_NO | wxICON_QUESTION) != wxYES)
        return true;
      int error = 0;
      if (os::session::Lock(error))
        return true;
      Inform("Can't lock the system. Press OK to exit DKWT.", "Duskwatch");
      return false;
    }
    case ImmediateCommand::Monitor: {
      if (!quiet && ShowMessage("Turn Monitor off now?", "Duskwatch", wxYES_NO | wxICON_QUESTION) != wxYES)
        return true;
      // The key press that started us must not wake the display again at once.
      CurrentClock().Sleep(std::chrono::milliseconds(1500));
      int error = 0;
      return os::display::MonitorOff(error);
    }
    default: {
      int result = RunImmediateAction(static_cast<int>(command) + 1, quiet);
      if (result == kImmediateNoToken)
        Inform("Unable to adjust privileges.", "Duskwatch");
      else if (result == kImmediateNoPrivilege)
        Inform("Unable to set privileges.", "Duskwatch");
      return result == kImmediateDone || result == kImmediateDeclined;
    }
  }
}

MainWindow* CDApp::CreateFrame(const wxPoint& position, const wxSize& size) {
  m_frame = CreateMainWindow(position, size);
  m_frame->CurrentTask().CheckSystem();
  return m_frame;
}

bool CDApp::InteractiveStart() {
  if (m_otherInstanceRunning) {
    Inform(wxString::Format("Other instance of Duskwatch is already running!\n\nProcess ID:\t%d\n\nPress OK to "
                            "quit this instance.",
                            static_cast<int>(m_otherInstancePid)),
           "Message");
    return false;
  }
  CreateFrame(wxPoint(250, 160), wxSize(664, 529));
  Task& task = m_frame->CurrentTask();
  if (!m_splashShown) {
    ShowSplash();
    m_splashShown = true;
  }
  if (task.m_unsupported) {
    m_frame->Frame()->Destroy();
    m_frame = nullptr;
    return false;
  }
  const int ieVersion = task.InternetExplorerVersion();
  if (ieVersion == 0)
    Inform("Couldn't get Internet Explorer's Version!. Some options will not be available!", "Message");
  else if (ieVersion >= 7)
    m_frame->SetIe7OrLater(true);
  m_frame->DiscoverBrowsers();
  m_frame->BuildControls();
  SetTopWindow(m_frame->Frame());
  task.DescribeSystem();
  m_frame->Frame()->Show();
  m_frame->StartInteractive();
  return true;
}

bool CDApp::TaskFileRun() {
  const bool strictNames = m_fromScheduler && !m_taskOption;
  const size_t nameStart = FileNameStart(m_taskFilePath);
  const wxString fileName = m_taskFilePath.Mid(nameStart);
  wxString twin;
  if (strictNames) {
    wxString twinName = fileName;
    twinName.Replace("1", "0", false);
    twin = m_taskFilePath.Left(nameStart) + twinName;
  }

  if (!wxFileExists(m_taskFilePath)) {
    // The scheduler started a task that was switched off meanwhile.
    if (strictNames && wxFileExists(twin)) {
      s_exitCode = 0;
      return false;
    }
    Inform(wxString::Format("Input file:\n\n%s\n\nwas not found!.\nPress OK to exit.", m_taskFilePath), "Message");
    return false;
  }
  if (strictNames && fileName.StartsWith("0")) {
    s_exitCode = 0;
    return false;
  }

  CreateFrame(wxPoint(160, 160), wxSize(664, 480));
  Task& task = m_frame->CurrentTask();
  if (task.m_unsupported) {
    m_frame->Frame()->Close();
    m_frame = nullptr;
    return false;
  }
  m_frame->SetFromTaskFile(true);
  if (task.InternetExplorerVersion() >= 7)
    m_frame->SetIe7OrLater(true);
  m_frame->DiscoverBrowsers();
  m_frame->BuildControls();
  SetTopWindow(m_frame->Frame());
  task.DescribeSystem();
  m_frame->Frame()->Show();
  m_frame->Frame()->Iconize(true);

  if (!LoadTaskFile(m_taskFilePath)) {
    Inform(wxString::Format("Input file:\n\n%s\nis not valid.\nPlease read the documentation for stask file "
                            "format\n\nPress OK to exit.",
                            m_taskFilePath),
           "Message");
    return false;
  }
  TaskFileState& state = m_frame->FileState();
  if (m_otherInstanceRunning && !state.m_fileReminderOn) {
    state.m_fileReminderOn = true;
    state.m_fileReminderLead = 20;
    state.m_fileReminderText = "Other DKWT process detected. Double click if you want to stop this scheudled task.";
  }
  m_frame->StartLoadedTask();
  return true;
}

bool CDApp::LoadTaskFile(const wxString& path) {
  TaskFileName name;
  if (!ParseTaskFileName(path, m_fromScheduler && !m_taskOption, name))
    return false;
  m_taskActiveFlag = name.activeFlag;
  m_taskTypeWord = name.typeWord;
  m_taskName = name.taskName;
  m_frame->FileState().m_fileTaskIndex = name.typeIndex;
  return ReadTaskFile();
}

bool CDApp::ReadTaskFile() {
  return ::ReadTaskFile(m_taskFilePath, m_keyTables, m_frame->CurrentTask(), m_frame->Selection(),
                        m_frame->FileState());
}
