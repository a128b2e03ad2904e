// The extras window on the real main window: per-action configuration, the
// switches and modes, the checks on "Close", the file choice.
#include <wx/datectrl.h>

#include "app/task.h"
#include "app/task_file.h"
#include "tests/extras/extras_fixture.h"

namespace {

using Id = ExtrasPageId;

TEST_F(ExtrasTest, OpensOnlyWhileNoTaskRuns) {
  frame->m_running = true;
  EXPECT_EQ(Open(kShutdown), nullptr);
  frame->m_running = false;
  ASSERT_NE(Open(kShutdown), nullptr);
  EXPECT_TRUE(frame->m_extrasConfigured);
  EXPECT_TRUE(frame->m_extrasWindow->IsShown());
  EXPECT_FALSE(frame->IsEnabled()) << "modal: the main window waits";
  EXPECT_TRUE(CloseWindow());
  EXPECT_TRUE(frame->IsEnabled());
}

TEST_F(ExtrasTest, EachActionHasItsTitlePagesAndFocus) {
  const bool monitor = frame->m_task.MonitorSupported();
  struct Row {
    int choice;
    const char* title;
    std::array<bool, kExtrasPageCount> enabled;  // Cleanup Alarm Monitor Wakeup Launch Options
    Id focus;
  };
  const Row rows[] = {
      {kShutdown, "Configure Shutdown: ", {true, false, false, false, false, true}, Id::Cleanup},
      {kRestart, "Configure Restart: ", {true, false, false, false, false, true}, Id::Cleanup},
      {kStandby, "Configure Standby: ", {true, false, false, true, false, true}, Id::Wakeup},
      {kHibernate, "Configure Hibernation: ", {true, false, false, true, false, true}, Id::Wakeup},
      {kLogOff, "Configure Log Off: ", {true, false, false, false, false, true}, Id::Cleanup},
      {kAlarm, "Configure Alarm: ", {true, true, false, false, true, true}, Id::Alarm},
      {kMonitor, "Configure Monitor Task: ", {true, true, monitor, false, true, true}, Id::Monitor},
      {kCleanup, "Configure Clean-Up: ", {true, true, false, false, true, true}, Id::Cleanup},
      {kLock, "Configure Lock Workstation: ", {true, true, false, false, true, true}, Id::Cleanup},
      {kLaunch, "Configure Launch-File: ", {true, true, false, false, true, true}, Id::Launch},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.title);
    CDAuiMainFrame* window = Open(row.choice);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetTitle(), row.title);
    for (std::size_t page = 0; page < kExtrasPageCount; ++page)
      EXPECT_EQ(window->Page(static_cast<Id>(page))->IsThisEnabled(), row.enabled[page]) << "page " << page;
    EXPECT_EQ(ShownPage(), row.focus);
    EXPECT_EQ(window->Notebook()->GetPageCount(), kExtrasPageCount) << "disabled pages keep their tabs";
    EXPECT_TRUE(CloseWindow());
  }
}

TEST_F(ExtrasTest, SwitchesStartOffWithTheirControlsDisabled) {
  Open(kStandby);
  EXPECT_FALSE(Page(Id::Wakeup).m_on);
  EXPECT_FALSE(Page(Id::Wakeup).m_relativeSpins[0]->IsEnabled());
  EXPECT_FALSE(Page(Id::Alarm).m_defaultSound->IsEnabled());
  EXPECT_FALSE(Page(Id::Launch).m_browse->IsEnabled());

  Switch(Id::Wakeup);
  EXPECT_TRUE(Page(Id::Wakeup).m_relativeSpins[0]->IsEnabled());
  EXPECT_FALSE(Page(Id::Wakeup).m_date->IsEnabled()) << "relative mode";
  EXPECT_TRUE(Page(Id::Alarm).IsThisEnabled()) << "an alarm may follow the wake-up";
  EXPECT_FALSE(Page(Id::Alarm).m_volume->IsThisEnabled()) << "but its switch is off";
  Switch(Id::Alarm);
  EXPECT_TRUE(Page(Id::Alarm).m_volume->IsThisEnabled());
  EXPECT_FALSE(Page(Id::Alarm).m_alarmSpins[0]->IsThisEnabled()) << "default play time";
  Toggle(Page(Id::Alarm).m_defaultPlayTime, false);
  EXPECT_TRUE(Page(Id::Alarm).m_alarmSpins[0]->IsThisEnabled());
  Switch(Id::Launch);

  // Wakeup OFF takes the alarm and the launch with it, whatever their switches.
  Switch(Id::Wakeup);
  EXPECT_FALSE(Page(Id::Alarm).IsThisEnabled());
  EXPECT_FALSE(Page(Id::Launch).IsThisEnabled());
  EXPECT_TRUE(Page(Id::Alarm).m_on);
  EXPECT_FALSE(frame->Extras().AlarmPageEnabled());

  // The Alarm action is the alarm itself: no switch, controls usable.
  Switch(Id::Alarm);
  Open(kAlarm);
  EXPECT_FALSE(Page(Id::Alarm).m_switch->IsShown());
  EXPECT_TRUE(Page(Id::Alarm).m_defaultSound->IsEnabled());
  EXPECT_FALSE(Page(Id::Launch).m_exitAfterLaunch->IsShown());
  Open(kLaunch);
  EXPECT_FALSE(Page(Id::Launch).m_switch->IsShown());
  EXPECT_TRUE(Page(Id::Launch).m_browse->IsEnabled());
  EXPECT_TRUE(Page(Id::Launch).m_exitAfterLaunch->IsShown());
  EXPECT_TRUE(frame->Extras().LaunchPageOn());
}

TEST_F(ExtrasTest, RepeatedTasksWakeUpRelativeOnly) {
  Open(kStandby);
  frame->m_repeatedCheck->Enable();
  frame->m_repeatedCheck->SetValue(true);
  Switch(Id::Wakeup);
  Select(Page(Id::Wakeup).m_absolute);
  EXPECT_EQ(LastMessage(), "Absolute Mode not allowed since Repeated Checkbox is checked!");
  EXPECT_TRUE(Page(Id::Wakeup).m_relative->GetValue());
  EXPECT_FALSE(Page(Id::Wakeup).m_date->IsEnabled());
}

TEST_F(ExtrasTest, AlarmWarningsCorrectTheTaskAndClose) {
  Open(kAlarm);
  Toggle(Page(Id::Alarm).m_defaultSound, false);
  Toggle(Page(Id::Alarm).m_defaultPlayTime, false);
  frame->m_task.m_customTone = true;
  frame->m_task.m_alarmSeconds = 99;
  EXPECT_TRUE(CloseWindow());
  ASSERT_EQ(messages.messages.size(), 2u);
  EXPECT_EQ(messages.messages[0].text,
            "The custom sound file you selected seems to be invalid. Default sound will be used.");
  EXPECT_EQ(messages.messages[0].caption, "Info");
  EXPECT_EQ(messages.messages[1].text, "Invalid Alarm Timeout. Default Timeout will be used.");
  EXPECT_FALSE(frame->m_task.m_customTone);
  EXPECT_EQ(frame->m_task.m_alarmSeconds, 20);
}

TEST_F(ExtrasTest, BlockingChecksKeepTheWindowOnThePageAtFault) {
  Open(kLock);
  Switch(Id::Launch);
  EXPECT_FALSE(CloseWindow());
  EXPECT_EQ(LastMessage(), "The file you selected to be launched seems to be invalid.");
  EXPECT_EQ(ShownPage(), Id::Launch);
  Switch(Id::Launch);
  EXPECT_TRUE(CloseWindow());

  Open(kStandby);
  Switch(Id::Wakeup);
  EXPECT_FALSE(CloseWindow());
  EXPECT_EQ(LastMessage(), "Invalid Time! Please increase Wake-Up Time. ");
  EXPECT_EQ(ShownPage(), Id::Wakeup);

  SetAbsoluteWake(Id::Wakeup, Now() - wxTimeSpan::Minute());
  EXPECT_FALSE(CloseWindow());
  EXPECT_EQ(LastMessage(), "Invalid Time! Please set Wake-Up Time to a value in the future. ");
  SetAbsoluteWake(Id::Wakeup, Now() + wxTimeSpan::Minute());
  const auto shown = messages.messages.size();
  EXPECT_TRUE(CloseWindow());
  EXPECT_EQ(messages.messages.size(), shown);
}

TEST_F(ExtrasTest, CloseRequestsAreIgnored) {
  CDAuiMainFrame* window = Open(kShutdown);
  EXPECT_FALSE(window->Close());
  EXPECT_TRUE(window->IsShown());
}

TEST_F(ExtrasTest, BrowseChecksTheFileTypeAndCancelKeepsThePath) {
  const auto known = sandbox.Root() / "notes.txt";
  const auto unknown = sandbox.Root() / "data.zzqq";
  Sandbox::WriteFile(known, "x");
  Sandbox::WriteFile(unknown, std::string("\x00\x01\x02\x03zzzz\x00\x00", 10));  // no type has this content
  Open(kLaunch);
  wxWindow* browse = Page(Id::Launch).m_browse;
  messages.files = {wxString(known.string())};
  Click(browse);
  EXPECT_EQ(Page(Id::Launch).m_launchPath->GetValue(), known.string());
  EXPECT_EQ(frame->m_task.m_launchPath, known.string());
  ASSERT_EQ(messages.fileDialogs.size(), 1u);
  EXPECT_EQ(messages.fileDialogs[0].text, "Select a File");
  EXPECT_EQ(messages.fileDialogs[0].caption, "All Files|*") << "every file, also those without a dot";

  Click(browse);  // cancelled
  EXPECT_EQ(frame->m_task.m_launchPath, known.string());

  messages.files = {wxString(unknown.string())};
  Click(browse);
  EXPECT_EQ(Page(Id::Launch).m_launchPath->GetValue(), known.string());
  EXPECT_EQ(frame->m_task.m_launchPath, known.string()) << "the task launches what the field shows";
  bool logged = false;
  for (const auto& entry : std::filesystem::directory_iterator(sandbox.Desktop()))
    logged = logged || Sandbox::ReadFile(entry.path()).find("10588") != std::string::npos;
  EXPECT_TRUE(logged);
}

TEST_F(ExtrasTest, BrowseAcceptsWhatLinuxUsersLaunch) {
  namespace fs = std::filesystem;
  const fs::path folder = sandbox.Root() / "my.tools";  // the only dot is the folder's
  const fs::path program = folder / "backup", script = folder / "sync", plainScript = folder / "notes-script";
  fs::create_directories(folder);
  fs::copy_file("/bin/true", program);
  Sandbox::WriteFile(script, "#!/bin/sh\nexit 0\n");
  fs::permissions(script, fs::perms::owner_all);
  Sandbox::WriteFile(plainScript, "#!/bin/sh\necho not executable\n");
  Open(kLaunch);
  for (const fs::path& file : {program, script, plainScript}) {
    messages.files = {wxString(file.string())};
    Click(Page(Id::Launch).m_browse);
    EXPECT_EQ(frame->m_task.m_launchPath, file.string());
    EXPECT_EQ(Page(Id::Launch).m_launchPath->GetValue(), file.string());
  }
  const fs::path blob = folder / "blob";  // no extension and an unknown content
  Sandbox::WriteFile(blob, std::string("\x00\x01\x02\x03zzzz\x00\x00", 10));
  messages.files = {wxString(blob.string())};
  Click(Page(Id::Launch).m_browse);
  EXPECT_EQ(frame->m_task.m_launchPath, plainScript.string());
  std::string log;
  for (const auto& entry : fs::directory_iterator(sandbox.Desktop()))
    log += Sandbox::ReadFile(entry.path());
  EXPECT_NE(log.find("10588"), std::string::npos);
  EXPECT_EQ(log.find("10588"), log.rfind("10588")) << "only the unknown file";
}

TEST_F(ExtrasTest, ThePagesReachTheTaskAndItsFile) {
  Open(kStandby);
  Switch(Id::Wakeup);
  SetSpins(Page(Id::Wakeup).m_relativeSpins, 1, 30, 0);
  Switch(Id::Alarm);
  Toggle(Page(Id::Alarm).m_defaultPlayTime, false);
  SetSpins(Page(Id::Alarm).m_alarmSpins, 0, 0, 45);
  Page(Id::Alarm).m_volume->SetValue(70);
  Toggle(Page(Id::Options).m_reminderCheck, true);
  Page(Id::Options).m_reminderText->SetValue("Time to sleep");
  ASSERT_TRUE(CloseWindow());

  SetRelative(0, 0, 10);
  Click(frame->m_startButton);
  ASSERT_TRUE(frame->m_running);
  EXPECT_TRUE(frame->m_task.m_systemWakeUp);
  EXPECT_EQ(frame->m_task.m_wakeUpSeconds, 5401) << "relative delays come with one second more";
  EXPECT_EQ(frame->m_task.m_alarmSeconds, 45);

  // Saved and read back, the task file holds the same wake-up and alarm.
  const wxString saved = frame->SaveTaskFile("evening");
  ASSERT_NE(saved, "ErrDir");
  TaskFileKeys keys;
  Task loaded(frame);
  CleanupSelection selection;
  TaskFileState state;
  state.m_fileTaskIndex = kStandby;
  ASSERT_TRUE(ReadTaskFile(saved, keys, loaded, selection, state));
  EXPECT_TRUE(state.m_fileWakeUp);
  EXPECT_TRUE(loaded.m_systemWakeUp);
  EXPECT_EQ(loaded.m_wakeUpSeconds, 5400);
  EXPECT_TRUE(state.m_fileAlarmExtra);
  EXPECT_EQ(loaded.m_alarmSeconds, 45);
  EXPECT_DOUBLE_EQ(state.m_fileAlarmVolume, 0.7);
  EXPECT_TRUE(state.m_fileReminderOn);
  EXPECT_EQ(state.m_fileReminderText, "Time to sleep");
}

TEST_F(ExtrasTest, AbsoluteWakeUpMustLieAfterTheAction) {
  Open(kStandby);
  Switch(Id::Wakeup);
  SetAbsoluteWake(Id::Wakeup, Now() + wxTimeSpan::Minutes(2));
  ASSERT_TRUE(CloseWindow());
  SetRelative(0, 5, 0);  // the action comes after the wake-up time
  Click(frame->m_startButton);
  EXPECT_FALSE(frame->m_running);
  EXPECT_EQ(LastMessage(), "Invalid Wake-Up Time! Increase Wake-Up Time");
}

}  // namespace
