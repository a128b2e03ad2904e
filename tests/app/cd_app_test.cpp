#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include <wx/cmdline.h>
#include <wx/frame.h>

#include "app/cd_app.h"
#include "tests/support/scripted_app.h"
#include "app/main_window.h"
#include "app/task.h"
#include "app/task_host.h"
#include "tests/support/fake_clock.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sandbox.h"

namespace {

// A bare window standing in for the real main window.
class FakeMainWindow : public MainWindow, public TaskHost {
 public:
  explicit FakeMainWindow(const wxPoint& position, const wxSize& size)
      : frame(new wxFrame(nullptr, 6999, "Duskwatch v. 2.1", position, size)), task(this) {}
  ~FakeMainWindow() override { frame->Destroy(); }

  wxFrame* Frame() override { return frame; }
  Task& CurrentTask() override { return task; }
  CleanupSelection& Selection() override { return selection; }
  TaskFileState& FileState() override { return state; }
  void SetFromTaskFile(bool value) override { fromTaskFile = value; }
  void SetIe7OrLater(bool value) override { ie7 = value; }
  void DiscoverBrowsers() override { ++browserDiscoveries; }
  void BuildControls() override { controlsBuilt = true; }
  void StartLoadedTask() override { loadedTaskStarted = true; }
  void StartInteractive() override { interactive = true; }

  void LogError(int code, const wxString&, bool) override { loggedCodes.push_back(code); }
  bool IsTaskFileRun() const override { return fromTaskFile; }
  bool FileAlarmExtra() const override { return false; }
  bool AlarmPageOn() const override { return false; }
  bool IgnoreBrowserVersion() const override { return false; }
  void CloseMainWindow() override {}

  wxFrame* frame;
  Task task;
  CleanupSelection selection;
  TaskFileState state;
  bool fromTaskFile = false;
  bool ie7 = false;
  int browserDiscoveries = 0;
  bool controlsBuilt = false;
  bool loadedTaskStarted = false;
  bool interactive = false;
  std::vector<int> loggedCodes;
};

class TestApp : public ScriptedApp {
 public:
  ~TestApp() override { delete window; }

  FakeMainWindow* window = nullptr;
  std::vector<std::pair<ImmediateCommand, bool>> commands;

 protected:
  MainWindow* CreateMainWindow(const wxPoint& position, const wxSize& size) override {
    window = new FakeMainWindow(position, size);
    return window;
  }
  bool RunImmediateCommand(ImmediateCommand command, bool quiet) override {
    commands.push_back({command, quiet});
    return true;
  }
};

class StartupTest : public testing::Test {
 protected:
  std::filesystem::path TasksFolder() const { return sandbox.DataHome() / "DKWT-Tasks"; }
  std::string WriteTask(const std::string& name, const std::string& content) {
    std::filesystem::create_directories(TasksFolder());
    const auto path = TasksFolder() / name;
    Sandbox::WriteFile(path, content);
    return path.string();
  }

  Sandbox sandbox;
  FakeClock clock;
  MessageRecorder messages;
  TestApp app;
};

TEST(CommandLine, ValuesAndSeparators) {
  for (const char* form : {"-shutdown quiet", "-shutdown=quiet", "-shutdown:quiet"}) {
    TestApp app;
    wxArrayString words = wxSplit(form, ' ');
    std::vector<std::string> arguments;
    for (const auto& word : words)
      arguments.push_back(word.utf8_string());
    ASSERT_TRUE(app.Parse(arguments)) << form;
    EXPECT_TRUE(app.m_commandFlags[0]) << form;
    EXPECT_EQ(app.m_commandValue, "quiet") << form;
  }
}

TEST(CommandLine, ParseErrors) {
  TestApp app;
  EXPECT_FALSE(app.Parse({"-shutdownquiet"})) << "a glued value is an error";
  EXPECT_FALSE(app.Parse({"-help"}));
  EXPECT_FALSE(app.Parse({"--help"}));
  EXPECT_FALSE(app.Parse({"-shutdown"})) << "the value is required";
  EXPECT_FALSE(app.Parse({"quiet"})) << "no positional parameters";
  EXPECT_FALSE(app.Parse({"-Shutdown", "quiet"})) << "names are case-sensitive";
  EXPECT_FALSE(app.Parse({"/shutdown", "quiet"})) << "\"-\" is the only switch character";
}

TEST(CommandLine, UsageListsEveryOption) {
  TestApp app;
  wxCmdLineParser parser;
  app.OnInitCmdLine(parser);
  const wxString usage = parser.GetUsageString();
  for (const char* text : {"-task", "execute a saved task file.", "-monitor", "use with \"confirm\" or \"quiet\"",
                           "used by task manager, use -task option instead."})
    EXPECT_TRUE(usage.Contains(text)) << text;
  EXPECT_FALSE(usage.Contains("--help"));
}

TEST(CommandLine, TaskBeatsSchedulerPathAndLaterCommandValuesWin) {
  TestApp app;
  ASSERT_TRUE(app.Parse({"-i", "a.stask", "-task", "b.stask", "-shutdown", "quiet", "-restart", "confirm"}));
  EXPECT_TRUE(app.m_fromScheduler);
  EXPECT_TRUE(app.m_taskOption);
  EXPECT_EQ(app.m_taskFilePath, "b.stask");
  EXPECT_TRUE(app.m_commandFlags[0]);
  EXPECT_TRUE(app.m_commandFlags[1]);
  EXPECT_EQ(app.m_commandValue, "confirm");
}

TEST_F(StartupTest, FirstImmediateCommandWins) {
  EXPECT_FALSE(app.Start({"-restart", "quiet", "-shutdown", "quiet"}));
  ASSERT_EQ(app.commands.size(), 1u);
  EXPECT_EQ(app.commands[0].first, ImmediateCommand::Shutdown);
  EXPECT_TRUE(app.commands[0].second);
  EXPECT_EQ(app.window, nullptr) << "no main window for a command";
  EXPECT_TRUE(std::filesystem::is_directory(TasksFolder())) << "the tasks folder is created";
}

TEST_F(StartupTest, InvalidCommandValues) {
  EXPECT_FALSE(app.Start({"-shutdown", "Quiet"}));
  EXPECT_TRUE(app.commands.empty());
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0].text,
            "Value \"Quiet\" is not valid with \"-shutdown\" command.\nUse DKWT -help for more information.");
  EXPECT_EQ(messages.messages[0].caption, "Duskwatch");

  TestApp other;
  EXPECT_FALSE(other.Start({"-monitor", "now"}));
  EXPECT_EQ(messages.messages.back().text,
            "Value \"now\" is not valid with \"-monitor\" command.\nUse DKWT -help for more information.");
}

TEST_F(StartupTest, TaskFileBeatsCommands) {
  const std::string file = WriteTask("shutdown.stask", "[REMINDER]\nSecondes=\n[FORCE]\nforced=1\n");
  EXPECT_TRUE(app.Start({"-task", file, "-shutdown", "quiet"}));
  EXPECT_TRUE(app.commands.empty());
  ASSERT_NE(app.window, nullptr);
  EXPECT_TRUE(app.window->fromTaskFile);
  EXPECT_TRUE(app.window->loadedTaskStarted);
  EXPECT_EQ(app.window->frame->GetPosition(), wxPoint(160, 160));
  EXPECT_EQ(app.window->state.m_fileTaskIndex, 0);
  EXPECT_TRUE(app.window->task.m_force);
  EXPECT_TRUE(app.window->task.m_otherFamily);
  EXPECT_EQ(app.window->task.m_osCode, kOsLinux);
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(StartupTest, MissingAndInvalidTaskFiles) {
  EXPECT_FALSE(app.Start({"-task", "/nowhere/shutdown.stask"}));
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0].text, "Input file:\n\n/nowhere/shutdown.stask\n\nwas not found!.\nPress OK to exit.");

  const std::string invalid = WriteTask("cleanup.stask", "[REMINDER]\nSecondes=\n");
  TestApp second;
  EXPECT_FALSE(second.Start({"-task", invalid}));
  EXPECT_EQ(messages.messages.back().text,
            "Input file:\n\n" + wxString::FromUTF8(invalid) +
                "\nis not valid.\nPlease read the documentation for stask file format\n\nPress OK to exit.");
  EXPECT_EQ(messages.messages.back().caption, "Message");
}

TEST_F(StartupTest, SchedulerRunsOfDeactivatedTasksEndSilently) {
  const std::string inactive = WriteTask("0_shutdown_Night.stask", "[REMINDER]\nSecondes=\n");
  CDApp::s_exitCode = -1;
  EXPECT_FALSE(app.Start({"-i", inactive}));
  EXPECT_EQ(CDApp::s_exitCode, 0) << "a skipped task is no failure to the scheduler";
  const std::string activeName = (TasksFolder() / "1_shutdown_Night.stask").string();
  TestApp second;
  CDApp::s_exitCode = -1;
  EXPECT_FALSE(second.Start({"-i", activeName})) << "the active name is gone, its twin exists";
  EXPECT_EQ(CDApp::s_exitCode, 0);
  CDApp::s_exitCode = -1;
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(app.window, nullptr);

  const std::string active = WriteTask("1_lock_Evening.stask", "[REMINDER]\nSecondes=\n");
  TestApp third;
  EXPECT_TRUE(third.Start({"-i", active}));
  EXPECT_EQ(third.m_taskName, "Evening");
  EXPECT_EQ(third.m_taskActiveFlag, "1");
  EXPECT_EQ(third.m_taskTypeWord, "lock");
  EXPECT_EQ(third.window->state.m_fileTaskIndex, 8);
}

TEST_F(StartupTest, InteractiveStart) {
  EXPECT_TRUE(app.Start({}));
  ASSERT_NE(app.window, nullptr);
  EXPECT_TRUE(app.window->controlsBuilt);
  EXPECT_TRUE(app.window->interactive);
  EXPECT_EQ(app.window->browserDiscoveries, 1);
  EXPECT_EQ(app.window->frame->GetPosition(), wxPoint(250, 160));
  EXPECT_TRUE(app.window->frame->IsShown());
  EXPECT_TRUE(app.m_splashShown);
  EXPECT_TRUE(messages.messages.empty()) << "no Internet Explorer warning here";
}

TEST_F(StartupTest, UncreatableTasksFolderIsReportedOnlyInteractively) {
  Sandbox::WriteFile(sandbox.DataHome(), "a file where the data folder should be");
  EXPECT_FALSE(app.Start({"-lock", "quiet"}));
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(app.commands.size(), 1u);

  TestApp interactive;
  EXPECT_TRUE(interactive.Start({}));
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_TRUE(messages.messages[0].text.StartsWith("Error creating the tasks folder.\n\nError:\t"));
}

TEST_F(StartupTest, SecondInteractiveCopyIsRefused) {
  OtherInstance other(sandbox.Tmp());
  EXPECT_FALSE(app.Start({}));
  EXPECT_TRUE(app.m_otherInstanceRunning);
  EXPECT_EQ(app.m_otherInstancePid, static_cast<std::uint32_t>(other.pid));
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0].text, wxString::Format("Other instance of Duskwatch is already running!\n\nProcess "
                                                        "ID:\t%d\n\nPress OK to quit this instance.",
                                                        other.pid));
  EXPECT_EQ(app.window, nullptr);
}

TEST_F(StartupTest, TaskFileRunBesideAnotherCopyGetsAReminder) {
  OtherInstance other(sandbox.Tmp());
  const std::string file = WriteTask("alarm.stask", "[ALARM]\nSecondes=5\n");
  EXPECT_TRUE(app.Start({"-task", file}));
  const TaskFileState& state = app.window->state;
  EXPECT_TRUE(state.m_fileReminderOn);
  EXPECT_EQ(state.m_fileReminderLead, 20);
  EXPECT_EQ(state.m_fileReminderText,
            "Other DKWT process detected. Double click if you want to stop this scheudled task.");

  const std::string withReminder = WriteTask("alarmOwn.stask", "[ALARM]\nSecondes=5\n[REMINDER]\nSecondes=40\n");
  TestApp second;
  EXPECT_TRUE(second.Start({"-task", withReminder}));
  EXPECT_EQ(second.window->state.m_fileReminderLead, 40) << "the file's own reminder stays";
}

TEST_F(StartupTest, OtherNamesAreNotInstances) {
  EXPECT_TRUE(app.Start({}));
  EXPECT_FALSE(app.m_otherInstanceRunning) << "the test program itself is not called DKWT";
}

}  // namespace
