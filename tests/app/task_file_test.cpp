#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "app/extras_pages.h"
#include "app/task.h"
#include "app/task_file.h"
#include "app/task_host.h"
#include "os/folders.h"
#include "os/shell.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sandbox.h"

namespace {

struct LoggedError {
  int code;
  wxString message;
};

class RecordingHost : public TaskHost {
 public:
  void LogError(int code, const wxString& message, bool) override { errors.push_back({code, message}); }
  bool IsTaskFileRun() const override { return true; }
  bool FileAlarmExtra() const override { return false; }
  bool AlarmPageOn() const override { return false; }
  bool IgnoreBrowserVersion() const override { return false; }
  void CloseMainWindow() override {}
  std::vector<LoggedError> errors;
};

// A path written with "/" in the platform's own separator.
std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', os::folders::PathSeparator());
  return path;
}

// A file name whose type this system knows how to open.
std::string Launchable(const std::string& stem) {
  for (const char* extension : {"sh", "txt", "ini"})
    if (os::shell::IsKnownExtension(extension))
      return stem + "." + extension;
  return stem + ".unknown";
}

// A saved task file as UTF-8 text with "\n" line ends, whichever encoding
// the platform's profile functions wrote.
std::string TextOf(const wxString& path) {
  std::string bytes = Sandbox::ReadFile(path.utf8_string());
  if (bytes.rfind("\xFF\xFE", 0) == 0)
    bytes = wxString(bytes.data() + 2, wxMBConvUTF16LE(), bytes.size() - 2).utf8_string();
  std::erase(bytes, '\r');
  return bytes;
}

class TaskFileTest : public testing::Test {
 protected:
  // Writes a task file into the sandbox and reads it as a file of type `index`.
  bool Load(const std::string& content, int index, const std::string& name = "t.stask") {
    path = (sandbox.Root() / name).string();
    Sandbox::WriteFile(path, content);
    state = TaskFileState();
    state.m_fileTaskIndex = index;
    return ReadTaskFile(wxString::FromUTF8(path), keys, task, selection, state);
  }

  Sandbox sandbox;
  RecordingHost host;
  Task task{&host};
  CleanupSelection selection;
  TaskFileState state;
  TaskFileKeys keys;
  std::string path;
};

TEST(TaskFileName, SchedulerNamesAreStrict) {
  TaskFileName name;
  ASSERT_TRUE(ParseTaskFileName(Native("/x/DKWT-Tasks/1_shutdown_Night.stask"), true, name));
  EXPECT_EQ(name.activeFlag, "1");
  EXPECT_EQ(name.typeWord, "shutdown");
  EXPECT_EQ(name.taskName, "Night");
  EXPECT_EQ(name.typeIndex, 0);

  ASSERT_TRUE(ParseTaskFileName(Native("/x/0_monitorOff_my_evening_task.stask"), true, name));
  EXPECT_EQ(name.activeFlag, "0");
  EXPECT_EQ(name.typeIndex, 6);
  EXPECT_EQ(name.taskName, "my_evening_task");

  for (const char* bad : {"/x/1_shutdown.stask", "/x/2_shutdown_x.stask", "/x/1_Shutdown_x.stask",
                          "/x/1_shutdown_.stask", "/x/1_shutdownx_y.stask", "/x/1_a_b.stask", "/x/1_file_x.STASK",
                          "/x/1_lock_x.stask.bak", "/x/shutdown_x.stask", "/x/1_lock_"})
    EXPECT_FALSE(ParseTaskFileName(Native(bad), true, name)) << bad;
}

TEST(TaskFileName, TaskOptionNamesStartWithAWord) {
  TaskFileName name;
  ASSERT_TRUE(ParseTaskFileName(Native("/x/shutdown.stask"), false, name));
  EXPECT_EQ(name.typeIndex, 0);
  ASSERT_TRUE(ParseTaskFileName(Native("/x/shutdownXYZ.stask"), false, name));
  EXPECT_EQ(name.typeIndex, 0);
  ASSERT_TRUE(ParseTaskFileName(Native("relative/fileToOpen.stask"), false, name));
  EXPECT_EQ(name.typeIndex, 9);
  ASSERT_TRUE(ParseTaskFileName(Native("lock.stask"), false, name));
  EXPECT_EQ(name.typeIndex, 8);
  EXPECT_FALSE(ParseTaskFileName(Native("/x/1_shutdown_x.stask"), false, name));
  EXPECT_FALSE(ParseTaskFileName(Native("/x/abc.stask"), false, name));
  EXPECT_FALSE(ParseTaskFileName(Native("/x/shutdown.txt"), false, name));
  // The folder part never counts as the name.
  EXPECT_FALSE(ParseTaskFileName(Native("/shutdown/x.stask"), false, name));
  // '/' separates on every platform, also where the native separator is another.
  EXPECT_FALSE(ParseTaskFileName("shutdown/x.stask", false, name));
  ASSERT_TRUE(ParseTaskFileName("C:/x/lock.stask", false, name));
  EXPECT_EQ(name.typeIndex, 8);
}

TEST_F(TaskFileTest, ForceIsReadOnlyWhenPresent) {
  task.m_force = true;
  ASSERT_TRUE(Load("[REMINDER]\nSecondes=\n", 0));
  EXPECT_TRUE(task.m_force);
  ASSERT_TRUE(Load("[FORCE]\nforced=yes\n", 0));
  EXPECT_FALSE(task.m_force);
  ASSERT_TRUE(Load("[force]\nFORCED=1\n", 0));
  EXPECT_TRUE(task.m_force);
}

TEST_F(TaskFileTest, CleanupSelectionUsesContainment) {
  EXPECT_FALSE(Load("[REMINDER]\nSecondes=\n", 7)) << "a clean-up task needs a CLEANUP section";

  ASSERT_TRUE(Load("[CLEANUP]\nFree_Space=TempBurnFiles\nCookies=Firefox;Chrome\n", 7));
  EXPECT_TRUE(selection.anySelected);
  EXPECT_TRUE(selection.Get(ItemId::FreeSpaceTemp)) << "Temp is contained in TempBurnFiles";
  EXPECT_TRUE(selection.Get(ItemId::FreeSpaceTempBurnFiles));
  EXPECT_FALSE(selection.Get(ItemId::FreeSpaceRecycleBin));
  EXPECT_TRUE(selection.Get(ItemId::CookiesFirefox));
  EXPECT_TRUE(selection.Get(ItemId::CookiesChrome));
  EXPECT_FALSE(selection.Get(ItemId::CookiesInternetExplorer));
  EXPECT_EQ(selection.CountSelected(), 4u);

  selection = CleanupSelection();
  ASSERT_TRUE(Load("[CLEANUP]\nCache=\n", 7)) << "an empty key still counts as found";
  EXPECT_TRUE(selection.anySelected);
  EXPECT_EQ(selection.CountSelected(), 0u);
}

TEST_F(TaskFileTest, ReminderLimits) {
  ASSERT_TRUE(Load("[REMINDER]\nSecondes=\n", 0));
  EXPECT_FALSE(state.m_fileReminderOn) << "the empty line every saved file has";

  ASSERT_TRUE(Load("[REMINDER]\nSecondes=10\nMinutes=61\nText=Bye\n", 0));
  EXPECT_TRUE(state.m_fileReminderOn);
  EXPECT_EQ(state.m_fileReminderLead, 3600);
  EXPECT_EQ(state.m_fileReminderText, "Bye");

  ASSERT_TRUE(Load("[REMINDER]\nSecondes=30\nMinutes=1x\n", 0));
  EXPECT_EQ(state.m_fileReminderLead, 90);
  EXPECT_EQ(state.m_fileReminderText, "");

  ASSERT_TRUE(Load("[REMINDER]\nSecondes=4\n", 0));
  EXPECT_FALSE(state.m_fileReminderOn);
}

TEST_F(TaskFileTest, AlarmLimitsAndTone) {
  EXPECT_FALSE(Load("[REMINDER]\nSecondes=\n", 5)) << "an alarm task needs an ALARM section";

  ASSERT_TRUE(Load("[ALARM]\nHours=30\n", 5));
  EXPECT_EQ(task.m_alarmSeconds, 86400);
  EXPECT_TRUE(state.m_fileAlarmExtra);
  ASSERT_TRUE(Load("[ALARM]\nSecondes=0\n", 5));
  EXPECT_EQ(task.m_alarmSeconds, 20);
  ASSERT_TRUE(Load("[ALARM]\nSecondes=abc\nMinutes=-3\n", 5));
  EXPECT_EQ(task.m_alarmSeconds, 20);
  ASSERT_TRUE(Load("[ALARM]\nHours=99999999999999\n", 5));
  EXPECT_EQ(task.m_alarmSeconds, 86400) << "huge numbers must not overflow";

  ASSERT_TRUE(Load("[ALARM]\nSecondes=5\nVolume=35\n", 5));
  EXPECT_DOUBLE_EQ(state.m_fileAlarmVolume, 0.35);
  ASSERT_TRUE(Load("[ALARM]\nSecondes=5\nVolume=500\n", 5));
  EXPECT_DOUBLE_EQ(state.m_fileAlarmVolume, 1.0);

  const auto tone = sandbox.Root() / "ring.wav";
  Sandbox::WriteFile(tone, "RIFF");
  Sandbox::WriteFile(sandbox.Root() / "ring.WAV", "RIFF");
  ASSERT_TRUE(Load("[ALARM]\nTone=" + (sandbox.Root() / "ring.WAV").string() + "\n", 5));
  EXPECT_FALSE(task.m_customTone) << "the extension is matched case-sensitively";
  ASSERT_TRUE(Load("[ALARM]\nTone=" + tone.string() + "\n", 5));
  EXPECT_TRUE(task.m_customTone);
  EXPECT_EQ(task.m_tonePath, wxString::FromUTF8(tone.string()));
  EXPECT_EQ(task.m_alarmSeconds, 20);

  // Shut down, restart and log off never read the extras.
  state = TaskFileState();
  ASSERT_TRUE(Load("[ALARM]\nSecondes=5\n", 0));
  EXPECT_FALSE(state.m_fileAlarmExtra);
}

TEST_F(TaskFileTest, MonitorWakeUpOnlyForMonitorTasks) {
  ASSERT_TRUE(Load("[MONITOR]\nSecondes=3\n", 6));
  EXPECT_TRUE(state.m_fileMonitorWakeUp);
  EXPECT_EQ(task.m_monitorWakeSeconds, 5);
  ASSERT_TRUE(Load("[MONITOR]\nSecondes=1\nMinutes=2\nHours=1\n", 6));
  EXPECT_EQ(task.m_monitorWakeSeconds, 3721);
  ASSERT_TRUE(Load("[MONITOR]\nSecondes=100\n", 8));
  EXPECT_FALSE(state.m_fileMonitorWakeUp);
}

TEST_F(TaskFileTest, WakeUpNeedsAMinute) {
  ASSERT_TRUE(Load("[WAKEUP]\nMinutes=0\n", 2));
  EXPECT_FALSE(state.m_fileWakeUp);
  EXPECT_FALSE(task.m_systemWakeUp);
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0].code, 0);
  EXPECT_EQ(host.errors[0].message, "Wakeup time invalid!");

  ASSERT_TRUE(Load("[WAKEUP]\nMinutes=5\nHours=1\n", 3));
  EXPECT_TRUE(state.m_fileWakeUp);
  EXPECT_TRUE(task.m_systemWakeUp);
  EXPECT_EQ(task.m_wakeUpSeconds, 3900);

  task.m_systemWakeUp = false;
  ASSERT_TRUE(Load("[WAKEUP]\nMinutes=5\n", 8));
  EXPECT_FALSE(task.m_systemWakeUp) << "only stand by and hibernate wake up";
}

TEST_F(TaskFileTest, LaunchPathChecks) {
  const auto script = sandbox.Root() / Launchable("job");
  Sandbox::WriteFile(script, "x");
  const auto missing = sandbox.Root() / "gone.sh";
  const auto unknown = sandbox.Root() / "data.qqqzzzunknown";
  Sandbox::WriteFile(unknown, "x");

  ASSERT_TRUE(Load("[FILE]\nPath=" + script.string() + "\n", 9));
  EXPECT_EQ(task.m_launchPath, wxString::FromUTF8(script.string()));
  EXPECT_TRUE(state.m_fileLaunchExtra);

  host.errors.clear();
  EXPECT_FALSE(Load("[FILE]\nPath=" + missing.string() + "\n", 9));
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0].code, 10588);
  EXPECT_EQ(host.errors[0].message, "File does not exists.");

  ASSERT_TRUE(Load("[FILE]\nPath=" + missing.string() + "\n", 2)) << "only the extra is dropped";
  EXPECT_FALSE(state.m_fileLaunchExtra);

  host.errors.clear();
  EXPECT_FALSE(Load("[FILE]\nPath=" + unknown.string() + "\n", 9));
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0].message, "Not able to determine the file type.");

  host.errors.clear();
  EXPECT_FALSE(Load("[REMINDER]\nSecondes=\n", 9));
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0].message, "Task file doesn't contain FILE section!. Exiting...");
}

TEST_F(TaskFileTest, GarbageNeverCrashes) {
  std::string garbage;
  for (int i = 0; i < 5000; ++i)
    garbage += static_cast<char>((i * 7919) % 256);
  EXPECT_TRUE(Load(garbage, 0));
  EXPECT_FALSE(Load(garbage, 7));
  EXPECT_FALSE(Load("[ALARM\nSecondes=5\n", 5));
  EXPECT_TRUE(Load(std::string(100000, 'x') + "\n[CLEANUP]\nCache=" + std::string(5000, 'F') + "Firefox\n", 7));
  EXPECT_FALSE(selection.Get(ItemId::CacheFirefox)) << "values are cut at 1023 characters";
}

// Extras values as the extras window would hand them over.
class ScriptedExtras : public ExtrasPages {
 public:
  bool ReminderEnabled() const override { return reminder; }
  int ReminderMinutes() const override { return reminderMinutes; }
  int ReminderSeconds() const override { return reminderSeconds; }
  wxString ReminderText() const override { return "Soon"; }
  int MonitorHours() const override { return 1; }
  int MonitorMinutes() const override { return 2; }
  int MonitorSeconds() const override { return 3; }
  bool AlarmPageOn() const override { return alarmPage; }
  bool AlarmDefaultPlayTime() const override { return defaultPlayTime; }
  int AlarmHours() const override { return 0; }
  int AlarmMinutes() const override { return 1; }
  int AlarmSeconds() const override { return 30; }
  int AlarmVolume() const override { return 70; }
  int WakeupHours() const override { return 2; }
  int WakeupMinutes() const override { return 15; }
  bool LaunchPageOn() const override { return launchPage; }

  bool reminder = false;
  int reminderMinutes = 0;
  int reminderSeconds = 0;
  bool alarmPage = false;
  bool defaultPlayTime = true;
  bool launchPage = false;
};

TEST_F(TaskFileTest, SaveNamesTheFileByTheFirstArmedAction) {
  ScriptedExtras extras;
  const wxString folder = wxString::FromUTF8((sandbox.Root() / "tasks").string());
  task.m_shutdown = true;
  task.m_alarm = true;
  wxString saved = SaveTaskFile("Night", folder, task, selection, extras);
  EXPECT_EQ(saved, folder + Native("/1_alarm_Night.stask"));
  EXPECT_TRUE(std::filesystem::exists(saved.utf8_string()));

  task.ClearActions();
  saved = SaveTaskFile("Plain", folder, task, selection, extras);
  EXPECT_EQ(saved, folder + Native("/1_Plain.stask"));

  // A task name never leaves the tasks folder, whichever separator it uses.
  for (const char* escape : {"../escape", "a/../../escape", "a\\..\\..\\escape"}) {
    saved = SaveTaskFile(escape, folder, task, selection, extras);
    EXPECT_EQ(saved.BeforeLast(os::folders::PathSeparator()), folder) << escape;
    EXPECT_TRUE(std::filesystem::exists(saved.utf8_string())) << escape;
  }
}

TEST_F(TaskFileTest, FullSelectionKeepsTheFileLayout) {
  // Every key and token, in the order task files have always had them.
  const char* const expected =
      "[CLEANUP]\n"
      "Cache=InternetExplorer,Firefox,Opera,Chrome,Safari\n"
      "Browser_History=InternetExplorer,Firefox,Opera,Chrome,Safari\n"
      "Cookies=InternetExplorer,Firefox,Opera,Chrome,Safari\n"
      "Saved_Usernames_Passwords=InternetExplorer,Firefox,Opera,Chrome,Safari\n"
      "Typed_Urls=InternetExplorer,Opera\n"
      "Auto_Complete=InternetExplorer,Firefox\n"
      "Download=Firefox,Opera\n"
      "Session=Firefox,Opera\n"
      "Internet_Explorer_Specific=Userdata,RssCache,Compatibility,Popups\n"
      "Safari_Specific=Previews\n"
      "Free_Space=Temp,RecycleBin,CryptoApiCache,WindowsErrorReports,Thumbnails,TempBurnFiles,MsnSqmFiles,"
      "FlashPlayer,Java\n"
      "History=SavedWindowInformation,RegistryEditor,MsPaint,WordPad,WindowsMediaPlayer,OpenCloseDialogs,"
      "InternetSearchAssistent,ComputerSearch,FileSearch,SearchHistory,RunHistory,AccessedPrograms,"
      "RecentDocumentsList,MSN,Clipboard\n";
  ScriptedExtras extras;
  const wxString folder = wxString::FromUTF8((sandbox.Root() / "tasks").string());
  CleanupSelection all;
  all.SelectAll(true);
  const wxString saved = SaveTaskFile("All", folder, task, all, extras);
  const std::string text = TextOf(saved);
  const std::size_t begin = text.find("[CLEANUP]");
  ASSERT_NE(begin, std::string::npos) << text;
  EXPECT_EQ(text.substr(begin, text.find('[', begin + 1) - begin), expected);

  ASSERT_TRUE(Load(text, 7));
  EXPECT_TRUE(selection == all);
  EXPECT_EQ(selection.CountSelected(), kCleanupItemCount);
}

TEST_F(TaskFileTest, SaveReportsAnUncreatableFolder) {
  MessageRecorder messages;
  ScriptedExtras extras;
  Sandbox::WriteFile(sandbox.Root() / "blocker", "a file where a folder should be");
  const wxString folder = wxString::FromUTF8((sandbox.Root() / "blocker" / "tasks").string());
  EXPECT_EQ(SaveTaskFile("x", folder, task, selection, extras), "ErrDir");
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_TRUE(messages.messages[0].text.StartsWith("Error creating the tasks folder.\n\nError:\t"));
  EXPECT_EQ(messages.messages[0].caption, "Message");
}

TEST_F(TaskFileTest, SaveAndLoadRoundTrip) {
  ScriptedExtras extras;
  extras.reminder = true;
  extras.reminderMinutes = 2;
  extras.reminderSeconds = 5;
  extras.defaultPlayTime = false;
  const auto tone = sandbox.Root() / "ring.wav";
  Sandbox::WriteFile(tone, "RIFF");
  const auto script = sandbox.Root() / Launchable("after");
  Sandbox::WriteFile(script, "x");
  const wxString folder = wxString::FromUTF8((sandbox.Root() / "tasks").string());

  task.m_standby = true;
  task.m_force = true;
  task.m_systemWakeUp = true;
  task.m_wakeUpSeconds = 8100;
  task.m_customTone = true;
  task.m_tonePath = wxString::FromUTF8(tone.string());
  task.m_launchPath = wxString::FromUTF8(script.string());
  extras.alarmPage = true;
  extras.launchPage = true;
  selection.anySelected = true;
  selection.Set(ItemId::CacheFirefox, true);
  selection.Set(ItemId::CacheChrome, true);
  selection.Set(ItemId::HistoryClipboard, true);
  const wxString saved = SaveTaskFile("Evening", folder, task, selection, extras);
  ASSERT_EQ(saved, folder + Native("/1_standby_Evening.stask"));
  const std::string text = TextOf(saved);
  EXPECT_NE(text.find("Cache=Firefox,Chrome"), std::string::npos) << text;
  EXPECT_NE(text.find("History=Clipboard"), std::string::npos) << text;

  Task loaded(&host);
  CleanupSelection loadedSelection;
  TaskFileState loadedState;
  loadedState.m_fileTaskIndex = 2;
  ASSERT_TRUE(ReadTaskFile(saved, keys, loaded, loadedSelection, loadedState));
  EXPECT_TRUE(loaded.m_force);
  EXPECT_TRUE(loadedSelection == selection);
  EXPECT_TRUE(loadedState.m_fileReminderOn);
  EXPECT_EQ(loadedState.m_fileReminderLead, 125);
  EXPECT_EQ(loadedState.m_fileReminderText, "Soon");
  EXPECT_TRUE(loadedState.m_fileAlarmExtra);
  EXPECT_EQ(loaded.m_alarmSeconds, 90);
  EXPECT_DOUBLE_EQ(loadedState.m_fileAlarmVolume, 0.7);
  EXPECT_TRUE(loaded.m_customTone);
  EXPECT_EQ(loaded.m_tonePath, task.m_tonePath);
  EXPECT_TRUE(loadedState.m_fileLaunchExtra);
  EXPECT_EQ(loaded.m_launchPath, task.m_launchPath);
  EXPECT_TRUE(loaded.m_systemWakeUp);
  EXPECT_EQ(loaded.m_wakeUpSeconds, (2 * 60 + 15) * 60);

  // Saved again without force under the same name: no stale key survives.
  task.m_force = false;
  selection = CleanupSelection();
  extras.alarmPage = false;
  extras.launchPage = false;
  ASSERT_EQ(SaveTaskFile("Evening", folder, task, selection, extras), saved);
  const std::string again = TextOf(saved);
  EXPECT_EQ(again.find("forced"), std::string::npos) << again;
  EXPECT_EQ(again.find("CLEANUP"), std::string::npos) << again;
  EXPECT_FALSE(std::filesystem::exists(saved.utf8_string() + ".new"));
}

TEST_F(TaskFileTest, SaveShortWakeUpAndReminderAsMinimums) {
  ScriptedExtras extras;
  extras.reminder = true;
  extras.reminderSeconds = 2;
  const wxString folder = wxString::FromUTF8((sandbox.Root() / "tasks").string());
  task.m_hibernate = true;
  task.m_systemWakeUp = true;
  task.m_wakeUpSeconds = 30;
  const wxString saved = SaveTaskFile("Short", folder, task, selection, extras);
  const std::string text = TextOf(saved);
  EXPECT_NE(text.find("[WAKEUP]\nMinutes=1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Secondes=5"), std::string::npos) << text;
  EXPECT_EQ(text.find("Minutes=0"), std::string::npos) << text;
}

}  // namespace

namespace {

struct TriggerCase {
  const char* section;  // the [TRIGGER] lines, or nullptr for none
  bool loads;
  TriggerType type;
  const char* program;
  int minutes;
};

}  // namespace

TEST_F(TaskFileTest, TriggerSectionIsReadOrRefused) {
  const TriggerCase cases[] = {
      {nullptr, true, TriggerType::Now, "", TaskTrigger::kDefaultMinutes},
      {"Type=ProgramEnds\nProgram= rsync \n", true, TriggerType::ProgramEnds, "rsync", TaskTrigger::kDefaultMinutes},
      {"type=idle\nminutes=720\n", true, TriggerType::Idle, "", 720},
      {"Type=Idle\nMinutes=1\n", true, TriggerType::Idle, "", 1},
      // Anything unclear would let the task act at once: refused.
      {"Type=Idle\nMinutes=0\n", false, TriggerType::Now, "", 0},
      {"Type=Idle\nMinutes=721\n", false, TriggerType::Now, "", 0},
      {"Type=Idle\n", false, TriggerType::Now, "", 0},
      {"Type=ProgramEnds\nProgram=\n", false, TriggerType::Now, "", 0},
      {"Type=WhenReady\n", false, TriggerType::Now, "", 0},
      {"Program=rsync\n", false, TriggerType::Now, "", 0},
  };
  for (const TriggerCase& c : cases) {
    std::string content = "[REMINDER]\nSecondes=\n";
    if (c.section)
      content += std::string("[TRIGGER]\n") + c.section;
    host.errors.clear();
    EXPECT_EQ(Load(content, 0), c.loads) << content;
    if (!c.loads) {
      ASSERT_EQ(host.errors.size(), 1u) << content;
      EXPECT_EQ(host.errors[0].code, 10588);
      continue;
    }
    EXPECT_EQ(task.m_trigger.type, c.type) << content;
    EXPECT_EQ(task.m_trigger.program, c.program) << content;
    EXPECT_EQ(task.m_trigger.minutes, c.minutes) << content;
    EXPECT_EQ(task.m_trigger.pid, 0u) << content;
  }
}

TEST_F(TaskFileTest, TriggerIsSavedAndReadBack) {
  ScriptedExtras extras;
  const wxString folder = wxString::FromUTF8((sandbox.Root() / "tasks").string());
  task.m_shutdown = true;
  task.m_trigger.type = TriggerType::ProgramEnds;
  task.m_trigger.program = "ffmpeg";
  task.m_trigger.pid = 4242;
  wxString saved = SaveTaskFile("Render", folder, task, selection, extras);
  EXPECT_NE(TextOf(saved).find("[TRIGGER]\nType=ProgramEnds\nProgram=ffmpeg\n"), std::string::npos) << TextOf(saved);

  task.m_trigger = TaskTrigger();
  task.m_trigger.type = TriggerType::Idle;
  task.m_trigger.minutes = 45;
  saved = SaveTaskFile("Away", folder, task, selection, extras);
  state = TaskFileState();
  state.m_fileTaskIndex = 0;
  task.m_trigger = TaskTrigger();
  ASSERT_TRUE(ReadTaskFile(saved, keys, task, selection, state));
  EXPECT_EQ(task.m_trigger.type, TriggerType::Idle);
  EXPECT_EQ(task.m_trigger.minutes, 45);

  // Without a condition the file stays as it always was.
  task.m_trigger = TaskTrigger();
  saved = SaveTaskFile("Plain", folder, task, selection, extras);
  EXPECT_EQ(TextOf(saved).find("TRIGGER"), std::string::npos);
}
