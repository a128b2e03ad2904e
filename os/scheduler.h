#pragma once
// The system's scheduler for repeated tasks: named entries that start the
// program at a time of day, every day or on chosen week days. Whether a
// given day is really due (every N days or weeks from a start date) is the
// program's own check, run by the entry before the task itself.
#include <string>
#include <vector>

namespace os::scheduler {

// When an entry fires.
struct Calendar {
  bool weekly = false;
  unsigned weekDays = 0;  // weekly only: bit 0 Sunday ... bit 6 Saturday
  int hour = 0;
  int minute = 0;
  int second = 0;
  // Schedulers that count the interval themselves (Windows) need it and the
  // first day; the others leave that to the program's own check.
  int every = 1;  // days, or weeks when weekly
  int year = 0;   // 0: today
  int month = 0;
  int day = 0;
};

struct Job {
  std::string name;        // the entry's name, unique per task
  std::string executable;  // absolute path of the program
  std::string taskFile;    // passed as "-due <file>", then "-i <file>"
  Calendar calendar;
};

enum class Backend { SystemdUser, Crontab, TaskScheduler };

struct Entry {
  std::string name;
  std::string taskFile;  // empty where the backend does not keep it
  Backend backend = Backend::SystemdUser;
};

// Why a registration or removal failed (0 = it did not).
enum Failure : int {
  kDone = 0,
  kNoScheduler = 1,   // no user manager and no cron daemon to run the entry
  kUnsafeText = 2,    // a name or path with a line break or NUL cannot be carried
  kWriteUnits = 3,    // the unit files could not be written or removed
  kReload = 4,        // the user manager did not reload its units
  kEnable = 5,        // enabling and starting the timer failed
  kReadCrontab = 6,
  kWriteCrontab = 7,
  kFolder = 8,        // the scheduler's folder of our entries could not be made or opened
  kDefine = 9,        // the entry's definition (trigger, action, settings) was refused
  kRegisterEntry = 10,
  kRemoveEntry = 11,
};

// Registers the job, replacing an entry of the same name. Returns kDone or
// the failing step. Under the dry-run switch the unit files are written and
// "schedule name=... file=..." recorded, nothing is activated.
int Register(const Job& job);

// Removes the entry of that name wherever it is; an absent entry is no
// failure. Recorded as "unschedule name=..." under the dry-run switch.
int Unregister(const std::string& name);

// The program's entries. False (with a Failure code) when a scheduler's list
// cannot be read; `entries` then still holds what the others listed. A
// missing list is an empty one.
bool List(std::vector<Entry>& entries, int& errorCode);

// Where the entries live ($XDG_CONFIG_HOME/systemd/user; the scheduler's
// folder on Windows).
std::string UnitFolder();
// The unit name (without ".timer"/".service") for an entry's name; on
// Windows the entry's own name.
std::string UnitBaseName(const std::string& name);

}  // namespace os::scheduler
