#include "app/task_file.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>

#include <wx/filefn.h>
#include <wx/msgdlg.h>

#include "app/extras_pages.h"
#include "app/message_box.h"
#include "app/task.h"
#include "app/task_host.h"
#include "app/task_type.h"
#include "os/files.h"
#include "os/folders.h"
#include "os/profile.h"
#include "os/shell.h"

const char* const kTaskFileExtension = ".stask";

namespace {

const char* const kDefaultText = "$$default";
constexpr long kMaxReminderLead = 3600;
constexpr long long kMaxAlarmSeconds = 86400;
constexpr int kDefaultAlarmSeconds = 20;

enum TaskIndex { kShutdown = 0, kRestart = 1, kStandby = 2, kHibernate = 3, kLogout = 4, kAlarmTask = 5,
                 kMonitorTask = 6, kCleanupTask = 7, kLaunchTask = 9 };

// Numbers read like strtol in base 10: leading digits count, anything else is 0.
long long Number(const wxString& text) { return std::strtoll(text.utf8_string().c_str(), nullptr, 10); }

int ClampToInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

wxString Separator() { return wxString(os::folders::PathSeparator()); }

void Log(const Task& task, int code, const wxString& message) {
  if (task.Host())
    task.Host()->LogError(code, message, false);
}

// Reads every key of the table into its slot; true when any was present.
bool ReadSection(const wxString& path, KeyTable& table) {
  bool any = false;
  for (std::size_t i = 0; i < table.keys.size(); ++i) {
    std::string value = os::profile::GetString(path.utf8_string(), table.section.utf8_string(),
                                               table.keys[i].utf8_string(), kDefaultText, 1024);
    table.present[i] = value != kDefaultText;
    table.values[i] = table.present[i] ? wxString::FromUTF8(value) : wxString();
    any = any || table.present[i];
  }
  return any;
}

long long Slot(const KeyTable& table, std::size_t index) { return Number(table.values[index]); }

bool ReadCleanup(const wxString& path, TaskFileKeys& keys, CleanupSelection& selection, int taskIndex) {
  KeyTable& table = keys.cleanup;
  bool anyFound = false;
  for (std::size_t i = 0; i < kCleanupKeyCount; ++i) {
    std::string value = os::profile::GetString(path.utf8_string(), table.section.utf8_string(),
                                               table.keys[i].utf8_string(), kDefaultText, 1024);
    bool present = value != kDefaultText;
    keys.cleanupFound[i] = present ? 1 : 0;
    table.present[i] = present;
    table.values[i] = present ? wxString::FromUTF8(value) : wxString();
    if (present) {
      anyFound = true;
      selection.anySelected = true;
    }
  }
  if (!anyFound)
    return taskIndex != kCleanupTask;
  // Containment, not list matching: "TempBurnFiles" also selects "Temp".
  for (std::size_t i = 0; i < kCleanupKeyCount; ++i)
    for (ItemId id : CleanupKeys()[i].items)
      selection.Set(id, !table.values[i].empty() && table.values[i].Contains(ItemRow(id).token));
  return true;
}

void ReadReminder(const wxString& path, TaskFileKeys& keys, TaskFileState& state) {
  if (ReadSection(path, keys.reminder))
    state.m_fileReminderOn = true;
  if (!state.m_fileReminderOn)
    return;
  long long lead = Slot(keys.reminder, 1) * 60 + Slot(keys.reminder, 0);
  if (lead < 5) {
    state.m_fileReminderOn = false;
    return;
  }
  state.m_fileReminderLead = static_cast<int>(std::min<long long>(lead, kMaxReminderLead));
  state.m_fileReminderText = keys.reminder.values[2];
}

void ReadMonitor(const wxString& path, TaskFileKeys& keys, Task& task, TaskFileState& state) {
  if (!ReadSection(path, keys.monitor))
    return;
  state.m_fileMonitorWakeUp = true;
  long long seconds = (Slot(keys.monitor, 2) * 60 + Slot(keys.monitor, 1)) * 60 + Slot(keys.monitor, 0);
  task.m_monitorWakeSeconds = seconds <= 3 ? 5 : ClampToInt(seconds);
}

bool ReadFile(const wxString& path, TaskFileKeys& keys, Task& task, TaskFileState& state, int taskIndex) {
  if (!ReadSection(path, keys.file)) {
    if (taskIndex == kLaunchTask) {
      Log(task, 10588, "Task file doesn't contain FILE section!. Exiting...");
      return false;
    }
    return true;
  }
  state.m_fileLaunchExtra = true;
  const wxString& launch = keys.file.values[0];
  wxString problem;
  if (!wxFileExists(launch))
    problem = "File does not exists.";
  else if (wxString extension = launch.AfterLast('.');
           extension != "xpm" && !os::shell::IsKnownExtension(extension.utf8_string()))
    problem = "Not able to determine the file type.";
  if (problem.empty()) {
    task.m_launchPath = launch;
    return true;
  }
  Log(task, 10588, problem);
  if (taskIndex == kLaunchTask)
    return false;
  state.m_fileLaunchExtra = false;
  return true;
}

bool ReadAlarm(const wxString& path, TaskFileKeys& keys, Task& task, TaskFileState& state, int taskIndex) {
  if (!ReadSection(path, keys.alarm))
    return taskIndex != kAlarmTask;
  state.m_fileAlarmExtra = true;
  long long seconds = (Slot(keys.alarm, 2) * 60 + Slot(keys.alarm, 1)) * 60 + Slot(keys.alarm, 0);
  if (seconds <= 0)
    seconds = kDefaultAlarmSeconds;
  task.m_alarmSeconds = static_cast<int>(std::min(seconds, kMaxAlarmSeconds));
  double volume = 0.0;
  if (keys.alarm.present[3])
    volume = std::strtod(keys.alarm.values[3].utf8_string().c_str(), nullptr) / 100.0;
  // A volume outside 0-100 (or not a number at all) is kept within the slider's range.
  state.m_fileAlarmVolume = volume >= 0.0 ? std::min(volume, 1.0) : 0.0;
  const wxString& tone = keys.alarm.values[4];
  if (keys.alarm.present[4] && wxFileExists(tone) && tone.EndsWith(".wav")) {
    task.m_tonePath = tone;
    task.m_customTone = true;
  }
  return true;
}

void ReadWakeup(const wxString& path, TaskFileKeys& keys, Task& task, TaskFileState& state) {
  if (!ReadSection(path, keys.wakeup))
    return;
  state.m_fileWakeUp = true;
  task.m_wakeUpSeconds = (Slot(keys.wakeup, 1) * 60 + Slot(keys.wakeup, 0)) * 60;
  if (task.m_wakeUpSeconds < 60) {
    Log(task, 0, "Wakeup time invalid!");
    state.m_fileWakeUp = false;
  } else {
    task.m_systemWakeUp = true;
  }
}

// A start condition the file names but does not make clear is refused: the
// task would otherwise act at once, which is what the file asked not to do.
bool ReadTrigger(const wxString& path, TaskFileKeys& keys, Task& task) {
  task.m_trigger = TaskTrigger();
  if (!ReadSection(path, keys.trigger))
    return true;
  TaskTrigger trigger;
  bool valid = TriggerTypeFromWord(keys.trigger.values[0].Strip(wxString::both), trigger.type);
  if (valid && trigger.type == TriggerType::ProgramEnds) {
    trigger.program = keys.trigger.values[1].Strip(wxString::both);
    valid = !trigger.program.empty();
  } else if (valid) {
    const long long minutes = Slot(keys.trigger, 2);
    valid = minutes >= TaskTrigger::kMinMinutes && minutes <= TaskTrigger::kMaxMinutes;
    trigger.minutes = static_cast<int>(valid ? minutes : TaskTrigger::kDefaultMinutes);
  }
  if (!valid) {
    Log(task, 10588, "Task file has an invalid TRIGGER section.");
    return false;
  }
  task.m_trigger = trigger;
  return true;
}

void Write(const wxString& file, const char* section, const char* key, const wxString& value) {
  // Write errors of single keys are not reported; the caller checks the result file.
  os::profile::WriteString(file.utf8_string(), section, key, value.utf8_string());
}

wxString Text(long long number) { return wxString::Format("%lld", number); }

// Order in which the armed action names a saved file.
wxString SavedPrefix(const Task& task) {
  const std::array<std::pair<bool, int>, 10> order = {{
      {task.m_alarm, 5}, {task.m_launch, 9}, {task.m_lock, 8}, {task.m_monitorOff, 6}, {task.m_shutdown, 0},
      {task.m_restart, 1}, {task.m_standby, 2}, {task.m_hibernate, 3}, {task.m_logoff, 4}, {task.m_cleanup, 7},
  }};
  for (const auto& [armed, index] : order)
    if (armed)
      return TaskTypePrefix(index);
  return wxString();
}

}  // namespace

void TaskFileKeys::Fill() {
  auto make = [](KeyTable& table, const char* section, std::vector<const char*> names) {
    table.section = section;
    table.keys.assign(names.begin(), names.end());
    table.values.assign(names.size(), wxString());
    table.present.assign(names.size(), false);
  };
  std::vector<const char*> cleanupKeys;
  for (const auto& key : CleanupKeys())
    cleanupKeys.push_back(key.key);
  make(cleanup, "CLEANUP", cleanupKeys);
  make(reminder, "REMINDER", {"Secondes", "Minutes", "Text"});
  make(file, "FILE", {"Path"});
  make(alarm, "ALARM", {"Secondes", "Minutes", "Hours", "Volume", "Tone"});
  make(wakeup, "WAKEUP", {"Minutes", "Hours"});
  make(monitor, "MONITOR", {"Secondes", "Minutes", "Hours"});
  make(trigger, "TRIGGER", {"Type", "Program", "Minutes"});
  cleanupFound.assign(kCleanupKeyCount, 0);
}

size_t FileNameStart(const wxString& path) {
  const size_t at = path.find_last_of(wxString("/") + os::folders::PathSeparator());
  return at == wxString::npos ? 0 : at + 1;
}

bool ParseTaskFileName(const wxString& path, bool fromScheduler, TaskFileName& name) {
  name = TaskFileName();
  if (!path.EndsWith(kTaskFileExtension))
    return false;
  wxString base = path.Mid(FileNameStart(path));
  base.RemoveLast(wxStrlen(kTaskFileExtension));
  if (base.length() < (fromScheduler ? 8u : 4u))
    return false;
  wxString word = base;
  if (fromScheduler) {
    if (!base.Contains("_"))
      return false;
    name.activeFlag = base.BeforeFirst('_');
    if (name.activeFlag != "1" && name.activeFlag != "0")
      return false;
    wxString rest = base.AfterFirst('_');
    if (!rest.Contains("_"))
      return false;
    word = rest.BeforeFirst('_');
    name.taskName = rest.AfterFirst('_');
  }
  for (int index = 0; index < kTaskTypeCount; ++index) {
    bool matches = fromScheduler ? word == TaskTypeWord(index) : word.StartsWith(TaskTypeWord(index));
    if (matches) {
      name.typeIndex = index;
      break;
    }
  }
  if (name.typeIndex == 100)
    return false;
  name.typeWord = fromScheduler ? word : TaskTypeWord(name.typeIndex);
  if (fromScheduler && name.taskName.empty())
    return false;
  return true;
}

bool ReadTaskFile(const wxString& path, TaskFileKeys& keys, Task& task, CleanupSelection& selection,
                  TaskFileState& state) {
  if (keys.reminder.keys.empty())
    keys.Fill();
  const int index = state.m_fileTaskIndex;

  std::string forced = os::profile::GetString(path.utf8_string(), "FORCE", "forced", kDefaultText, 1024);
  if (forced != kDefaultText)
    task.m_force = forced == "1";

  if (!ReadCleanup(path, keys, selection, index))
    return false;
  ReadReminder(path, keys, state);
  if (index == kMonitorTask)
    ReadMonitor(path, keys, task, state);
  if (index != kShutdown && index != kRestart && index != kLogout) {
    if (!ReadFile(path, keys, task, state, index))
      return false;
    if (!ReadAlarm(path, keys, task, state, index))
      return false;
  }
  if (index == kStandby || index == kHibernate)
    ReadWakeup(path, keys, task, state);
  return ReadTrigger(path, keys, task);
}

wxString SaveTaskFile(const wxString& name, const wxString& tasksFolder, const Task& task,
                      const CleanupSelection& selection, const ExtrasPages& extras) {
  // A task name is a file name, never a way into another folder (Windows
  // takes "/" as a separator too).
  wxString safeName = name;
  safeName.Replace("/", "-");
  safeName.Replace("\\", "-");
  const wxString fileName = "1_" + SavedPrefix(task) + safeName + kTaskFileExtension;

  if (!os::folders::FolderExists(tasksFolder.utf8_string())) {
    int error = 0;
    if (!os::folders::CreateFolderPath(tasksFolder.utf8_string(), error)) {
      ShowMessage(wxString::Format("Error creating the tasks folder.\n\nError:\t%i", error), "Message",
                  wxOK | wxICON_INFORMATION);
      return "ErrDir";
    }
  }
  const wxString path = tasksFolder + Separator() + fileName;
  // Built beside the target and renamed over it, so a task saved again under
  // the same name keeps no stale keys of the old one and is never half-written.
  const wxString temp = path + ".new";
  std::error_code ignored;
  std::filesystem::remove(std::filesystem::path(temp.utf8_string()), ignored);

  Write(temp, "REMINDER", "Secondes", wxString());
  if (selection.anySelected) {
    for (std::size_t i = 0; i < kCleanupKeyCount; ++i) {
      wxString joined;
      for (ItemId id : CleanupKeys()[i].items)
        if (selection.Get(id))
          joined += (joined.empty() ? "" : ",") + wxString(ItemRow(id).token);
      if (!joined.empty())
        Write(temp, "CLEANUP", CleanupKeys()[i].key, joined);
    }
  }
  if (extras.ReminderEnabled()) {
    if (extras.ReminderMinutes() * 60 + extras.ReminderSeconds() < 5) {
      Write(temp, "REMINDER", "Secondes", "5");
    } else {
      Write(temp, "REMINDER", "Secondes", Text(extras.ReminderSeconds()));
      Write(temp, "REMINDER", "Minutes", Text(extras.ReminderMinutes()));
    }
    Write(temp, "REMINDER", "Text", extras.ReminderText());
  }
  if (task.m_monitorOff && task.m_monitorWakeUp) {
    Write(temp, "MONITOR", "Secondes", Text(extras.MonitorSeconds()));
    Write(temp, "MONITOR", "Minutes", Text(extras.MonitorMinutes()));
    Write(temp, "MONITOR", "Hours", Text(extras.MonitorHours()));
  }
  if (task.m_alarm || extras.AlarmPageOn()) {
    if (extras.AlarmDefaultPlayTime()) {
      Write(temp, "ALARM", "Secondes", "20");
    } else {
      Write(temp, "ALARM", "Secondes", Text(extras.AlarmSeconds()));
      Write(temp, "ALARM", "Minutes", Text(extras.AlarmMinutes()));
      Write(temp, "ALARM", "Hours", Text(extras.AlarmHours()));
    }
    Write(temp, "ALARM", "Volume", Text(extras.AlarmVolume()));
    if (task.m_customTone)
      Write(temp, "ALARM", "Tone", task.m_tonePath);
  }
  if ((task.m_standby || task.m_hibernate) && task.m_systemWakeUp) {
    if (task.m_wakeUpSeconds < 60) {
      Write(temp, "WAKEUP", "Minutes", "1");
    } else {
      Write(temp, "WAKEUP", "Minutes", Text(extras.WakeupMinutes()));
      Write(temp, "WAKEUP", "Hours", Text(extras.WakeupHours()));
    }
  }
  if ((extras.LaunchPageOn() && !task.m_launchPath.empty() && !task.m_logoff) || task.m_launch)
    Write(temp, "FILE", "Path", task.m_launchPath);
  if (task.m_force)
    Write(temp, "FORCE", "forced", "1");
  const TaskTrigger& trigger = task.m_trigger;
  if (trigger.type != TriggerType::Now) {
    Write(temp, "TRIGGER", "Type", TriggerTypeWord(trigger.type));
    if (trigger.type == TriggerType::ProgramEnds)
      Write(temp, "TRIGGER", "Program", trigger.program);
    else
      Write(temp, "TRIGGER", "Minutes", Text(trigger.minutes));
  }

  int renameError = 0;
  if (!os::files::ReplaceWithFile(temp.utf8_string(), path.utf8_string(), renameError)) {
    // Nothing was saved: never hand out a path that holds no task.
    std::filesystem::remove(std::filesystem::path(temp.utf8_string()), ignored);
    return "ErrDir";
  }
  return path;
}
