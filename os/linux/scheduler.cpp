// Repeated tasks as systemd user timers; the user's crontab where no user
// manager can be reached. Tools run with an argument vector, never a shell.
//
// Unit pair per entry, in $XDG_CONFIG_HOME/systemd/user:
//   dkwt-<escaped name>.timer    OnCalendar= the time of day (and week days)
//   dkwt-<escaped name>.service  ExecCondition= "<exe>" -due "<file>"
//                                ExecStart= "<exe>" -i "<file>"
// both carrying the exact name and file in X-Duskwatch-TaskName/TaskFile.
// Crontab line per entry: "M H * * <days> <command> # DKWT-task:<id>".
#include "os/scheduler.h"

#include <glib.h>
#include <glib/gstdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "os/dry_run.h"
#include "os/files.h"
#include "os/linux/crontab_parse.h"

namespace os::scheduler {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUnitPrefix = "dkwt-";
constexpr const char* kNameKey = "X-Duskwatch-TaskName=";
constexpr const char* kFileKey = "X-Duskwatch-TaskFile=";
constexpr const char* kCronMarker = " # DKWT-task:";
// systemd's limit for a unit name, suffix included.
constexpr std::size_t kUnitNameMax = 255;
constexpr std::size_t kHashDigits = 12;

// Variables a started task needs to reach the user's display and session bus.
constexpr const char* kSessionVariables[] = {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "XDG_RUNTIME_DIR",
                                             "DBUS_SESSION_BUS_ADDRESS"};
// Process names of the cron daemons we know.
constexpr const char* kCronDaemons[] = {"cron", "crond", "cronie", "fcron", "bcron-sched"};
constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

struct ToolResult {
  bool started = false;
  int status = -1;  // exit status, -1 when it did not exit normally
  std::string out;
  std::string err;
};

ToolResult RunTool(const std::vector<std::string>& argv) {
  ToolResult result;
  std::vector<gchar*> args;
  for (const std::string& arg : argv)
    args.push_back(const_cast<gchar*>(arg.c_str()));
  args.push_back(nullptr);
  gchar* out = nullptr;
  gchar* err = nullptr;
  gint wait = 0;
  GError* error = nullptr;
  auto flags = static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDIN_FROM_DEV_NULL);
  if (!g_spawn_sync(nullptr, args.data(), nullptr, flags, nullptr, nullptr, &out, &err, &wait, &error)) {
    g_error_free(error);
    return result;
  }
  result.started = true;
  result.out = out ? out : "";
  result.err = err ? err : "";
  g_free(out);
  g_free(err);
  if (WIFEXITED(wait))
    result.status = WEXITSTATUS(wait);
  return result;
}

bool Systemctl(const std::vector<std::string>& words) {
  std::vector<std::string> argv = {"systemctl", "--user"};
  argv.insert(argv.end(), words.begin(), words.end());
  ToolResult result = RunTool(argv);
  return result.started && result.status == 0;
}

// An "enable" succeeds without a running manager; only an answer proves one.
bool ManagerReachable() {
  ToolResult result = RunTool({"systemctl", "--user", "show", "-p", "Version", "--value"});
  return result.started && result.status == 0 && result.out.find_first_not_of(" \t\r\n") != std::string::npos;
}

bool HasProgram(const char* name) {
  gchar* found = g_find_program_in_path(name);
  g_free(found);
  return found != nullptr;
}

bool CronDaemonRunning() {
  std::error_code error;
  for (const auto& process : fs::directory_iterator("/proc", error)) {
    const std::string pid = process.path().filename().string();
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos)
      continue;
    // "<pid> (<name>) <state> ...": a daemon that has ended (a zombie) runs nothing.
    std::ifstream statFile(process.path() / "stat");
    std::string stat;
    if (!std::getline(statFile, stat))
      continue;
    const std::size_t open = stat.find('(');
    const std::size_t close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close + 2 >= stat.size() ||
        stat[close + 2] == 'Z')
      continue;
    const std::string name = stat.substr(open + 1, close - open - 1);
    for (const char* daemon : kCronDaemons)
      if (name == daemon)
        return true;
  }
  return false;
}

bool Safe(const std::string& text) { return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos; }

// systemd's own escaping of a unit name part (as systemd-escape does).
std::string Escape(const std::string& name) {
  static const char kHex[] = "0123456789abcdef";
  std::string escaped;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    const bool plain = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == ':' ||
                       c == '_' || (c == '.' && i != 0);
    if (c == '/') {
      escaped += '-';
    } else if (plain) {
      escaped += static_cast<char>(c);
    } else {
      escaped += "\\x";
      escaped += kHex[c >> 4];
      escaped += kHex[c & 15];
    }
  }
  return escaped;
}

std::string Unescape(const std::string& escaped) {
  std::string name;
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    int high = 0;
    int low = 0;
    if (escaped[i] == '\\' && i + 3 < escaped.size() && escaped[i + 1] == 'x' &&
        (high = g_ascii_xdigit_value(escaped[i + 2])) >= 0 && (low = g_ascii_xdigit_value(escaped[i + 3])) >= 0) {
      name += static_cast<char>(high * 16 + low);
      i += 3;
    } else {
      name += escaped[i] == '-' ? '/' : escaped[i];
    }
  }
  return name;
}

std::string Hash(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  static const char kHex[] = "0123456789abcdef";
  std::string digits;
  for (std::size_t i = 0; i < kHashDigits; ++i)
    digits += kHex[(hash >> (4 * i)) & 15];
  return digits;
}

// An argument of ExecStart=/ExecCondition=: quoted, with
// "%" and "$" doubled (systemd expands both).
std::string ExecWord(const std::string& word) {
  std::string quoted = "\"";
  for (char c : word) {
    if (c == '\\' || c == '"')
      quoted += '\\';
    else if (c == '%' || c == '$')
      quoted += c;
    quoted += c;
  }
  return quoted + "\"";
}

std::string PercentsDoubled(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    escaped += c;
    if (c == '%')
      escaped += '%';
  }
  return escaped;
}

std::string OnCalendar(const Calendar& calendar) {
  std::string days;
  if (calendar.weekly) {
    for (int day = 0; day < 7; ++day)
      if (calendar.weekDays & (1u << day))
        days += (days.empty() ? "" : ",") + std::string(kDayNames[day]);
  }
  char time[32];
  g_snprintf(time, sizeof time, "*-*-* %02d:%02d:%02d", calendar.hour, calendar.minute, calendar.second);
  return days.empty() ? time : days + " " + time;
}

std::string KeysBlock(const Job& job) { return kNameKey + job.name + "\n" + kFileKey + job.taskFile + "\n"; }

std::string ServiceText(const Job& job) {
  const std::string exe = ExecWord(job.executable);
  const std::string file = ExecWord(job.taskFile);
  return "# Written by Duskwatch for one saved task; replaced when the task is registered again.\n"
         "[Unit]\nDescription=Duskwatch task " +
         PercentsDoubled(job.name) + "\n" + KeysBlock(job) +
         "\n[Service]\nType=exec\n"
         // Decides "every N days/weeks" and refuses runs made late by a suspend.
         "ExecCondition=" +
         exe + " -due " + file + "\nExecStart=" + exe + " -i " + file + "\n";
}

std::string TimerText(const Job& job) {
  return "# Written by Duskwatch for one saved task; replaced when the task is registered again.\n"
         "[Unit]\nDescription=Duskwatch schedule of " +
         PercentsDoubled(job.name) + "\n" + KeysBlock(job) + "\n[Timer]\nOnCalendar=" + OnCalendar(job.calendar) +
         "\nAccuracySec=1s\n"
         // A missed evening shutdown must never run at the next login.
         "Persistent=false\n\n[Install]\nWantedBy=timers.target\n";
}

fs::path UnitPath(const std::string& name, const char* suffix) {
  return fs::path(UnitFolder()) / (UnitBaseName(name) + suffix);
}

bool WriteUnits(const Job& job) {
  std::error_code error;
  fs::create_directories(UnitFolder(), error);
  int code = 0;
  return files::WriteAtomically(UnitPath(job.name, ".service").string(), ServiceText(job), code) &&
         files::WriteAtomically(UnitPath(job.name, ".timer").string(), TimerText(job), code);
}

bool RemoveUnits(const std::string& name) {
  std::error_code error;
  bool ok = true;
  for (const char* suffix : {".timer", ".service"}) {
    fs::remove(UnitPath(name, suffix), error);
    ok = ok && !error;
  }
  return ok;
}

// ---- crontab ----------------------------------------------------------------

// A word for sh, single-quoted, with cron's '%' (a line break to cron)
// escaped. cron keeps a backslash that is not before '%', so a backslash
// that would come to stand before an escaped '%' is parted from it by ''.
std::string CronWord(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) {
    if (c == '\'') {
      quoted += "'\\''";
    } else if (c == '%') {
      if (quoted.back() == '\\')
        quoted += "''";
      quoted += "\\%";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string CronId(const std::string& name) { return Escape(name); }

std::string CronLine(const Job& job) {
  const Calendar& calendar = job.calendar;
  std::string days;
  if (calendar.weekly) {
    for (int day = 0; day < 7; ++day)
      if (calendar.weekDays & (1u << day))
        days += (days.empty() ? "" : ",") + std::to_string(day);
  }
  std::string line = std::to_string(calendar.minute) + " " + std::to_string(calendar.hour) + " * * " +
                     (days.empty() ? "*" : days) + " ";
  std::string exports;
  for (const char* variable : kSessionVariables) {
    const char* value = std::getenv(variable);
    if (value && *value && Safe(value))
      exports += std::string(" ") + variable + "=" + CronWord(value);
  }
  if (!exports.empty())
    line += "export" + exports + "; ";
  const std::string exe = CronWord(job.executable);
  const std::string file = CronWord(job.taskFile);
  return line + exe + " -due " + file + " && exec " + exe + " -i " + file + kCronMarker + CronId(job.name);
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool ReadCrontab(std::string& table) {
  table.clear();
  ToolResult result = RunTool({"crontab", "-l"});
  if (!result.started)
    return false;
  if (result.status == 0) {
    table = result.out;
    return true;
  }
  // No table yet is an empty one.
  return result.err.find("no crontab") != std::string::npos;
}

bool WriteCrontab(const std::string& table) {
  gchar* path = nullptr;
  GError* error = nullptr;
  int fd = g_file_open_tmp("dkwt-crontab-XXXXXX", &path, &error);
  if (fd < 0) {
    g_error_free(error);
    return false;
  }
  ::close(fd);
  int code = 0;
  bool ok = files::WriteAtomically(path, table, code);
  if (ok) {
    ToolResult result = RunTool({"crontab", path});
    ok = result.started && result.status == 0;
  }
  g_unlink(path);
  g_free(path);
  return ok;
}

}  // namespace

std::string crontab::WithoutEntry(const std::string& table, const std::string& name, bool& found) {
  const std::string marker = kCronMarker + CronId(name);
  std::string kept;
  found = false;
  std::size_t start = 0;
  while (start < table.size()) {
    std::size_t end = table.find('\n', start);
    std::size_t next = end == std::string::npos ? table.size() : end + 1;
    std::string line = table.substr(start, (end == std::string::npos ? table.size() : end) - start);
    if (EndsWith(line, marker))
      found = true;
    else
      kept += table.substr(start, next - start);
    start = next;
  }
  return kept;
}

namespace {

using crontab::WithoutEntry;

int RemoveCronEntry(const std::string& name) {
  if (!HasProgram("crontab"))
    return kDone;
  std::string table;
  if (!ReadCrontab(table))
    return kReadCrontab;
  bool found = false;
  std::string kept = WithoutEntry(table, name, found);
  if (found && !WriteCrontab(kept))
    return kWriteCrontab;
  return kDone;
}

int AddCronEntry(const Job& job) {
  std::string table;
  if (!ReadCrontab(table))
    return kReadCrontab;
  bool found = false;
  table = WithoutEntry(table, job.name, found);
  if (!table.empty() && table.back() != '\n')
    table += '\n';
  table += CronLine(job) + "\n";
  return WriteCrontab(table) ? kDone : kWriteCrontab;
}

// ---- listing ------------------------------------------------------------------

void ListUnits(std::vector<Entry>& entries) {
  std::error_code error;
  for (const auto& item : fs::directory_iterator(UnitFolder(), error)) {
    const std::string file = item.path().filename().string();
    if (file.rfind(kUnitPrefix, 0) != 0 || !EndsWith(file, ".timer"))
      continue;
    std::ifstream in(item.path());
    Entry entry;
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind(kNameKey, 0) == 0)
        entry.name = line.substr(std::string(kNameKey).size());
      else if (line.rfind(kFileKey, 0) == 0)
        entry.taskFile = line.substr(std::string(kFileKey).size());
    }
    if (!entry.name.empty())
      entries.push_back(entry);
  }
}

bool ListCron(std::vector<Entry>& entries) {
  std::string table;
  if (!ReadCrontab(table))
    return false;
  for (Entry& entry : crontab::Entries(table))
    entries.push_back(std::move(entry));
  return true;
}

}  // namespace

std::vector<Entry> crontab::Entries(const std::string& table) {
  std::vector<Entry> entries;
  std::istringstream lines(table);
  std::string line;
  while (std::getline(lines, line)) {
    std::size_t at = line.rfind(kCronMarker);
    if (at == std::string::npos)
      continue;
    std::string id = line.substr(at + std::string(kCronMarker).size());
    if (id.empty() || id.find(' ') != std::string::npos)
      continue;
    Entry entry;
    entry.name = Unescape(id);
    entry.backend = Backend::Crontab;
    entries.push_back(entry);
  }
  return entries;
}

std::string UnitFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (config && *config == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home ? home : g_get_home_dir()) + "/.config";
  }
  return base + "/systemd/user";
}

std::string UnitBaseName(const std::string& name) {
  const std::size_t room = kUnitNameMax - std::string(kUnitPrefix).size() - std::string(".service").size();
  std::string escaped = Escape(name);
  if (escaped.size() > room) {
    std::size_t cut = room - 1 - kHashDigits;
    // Never cut through a "\xNN" escape.
    std::size_t slash = escaped.rfind('\\', cut);
    if (slash != std::string::npos && slash + 4 > cut)
      cut = slash;
    escaped = escaped.substr(0, cut) + "-" + Hash(name);
  }
  return kUnitPrefix + escaped;
}

int Register(const Job& given) {
  if (!Safe(given.name) || !Safe(given.taskFile) || !Safe(given.executable) || given.name.empty())
    return kUnsafeText;
  // The scheduler starts the program from elsewhere: relative paths would
  // point nowhere (and systemd refuses them).
  Job job = given;
  std::error_code ignored;
  job.executable = fs::absolute(given.executable, ignored).lexically_normal().string();
  job.taskFile = fs::absolute(given.taskFile, ignored).lexically_normal().string();
  // An earlier entry of that name is replaced in place, never removed first:
  // a registration cut short leaves the old entry or the new one.
  const bool haveUnits = fs::exists(UnitPath(job.name, ".timer")) || fs::exists(UnitPath(job.name, ".service"));
  if (dry_run::Active()) {
    if (!WriteUnits(job))
      return kWriteUnits;
    dry_run::Record("schedule", {{"name", job.name}, {"file", job.taskFile}});
    return kDone;
  }
  if (ManagerReachable()) {
    // Started afresh below, with the new calendar.
    if (haveUnits)
      Systemctl({"disable", "--now", UnitBaseName(job.name) + ".timer"});
    // A line of that name from a time without the manager; may fail unseen.
    RemoveCronEntry(job.name);
    if (!WriteUnits(job)) {
      RemoveUnits(job.name);
      return kWriteUnits;
    }
    int failure = kDone;
    if (!Systemctl({"daemon-reload"}))
      failure = kReload;
    else if (!Systemctl({"enable", "--now", UnitBaseName(job.name) + ".timer"}))
      failure = kEnable;
    if (failure != kDone) {
      // Nothing half-registered stays behind.
      Systemctl({"disable", "--now", UnitBaseName(job.name) + ".timer"});
      RemoveUnits(job.name);
      Systemctl({"daemon-reload"});
    }
    return failure;
  }
  if (haveUnits)
    RemoveUnits(job.name);  // left from a time with the manager
  // "Registered" must not be said when nothing will ever start the task.
  if (!HasProgram("crontab") || !CronDaemonRunning())
    return kNoScheduler;
  // Replaces the line of that name in the same write.
  return AddCronEntry(job);
}

int Unregister(const std::string& name) {
  if (!Safe(name) || name.empty())
    return kUnsafeText;
  const bool haveUnits = fs::exists(UnitPath(name, ".timer")) || fs::exists(UnitPath(name, ".service"));
  if (dry_run::Active()) {
    if (!haveUnits)
      return kDone;
    dry_run::Record("unschedule", {{"name", name}});
    return RemoveUnits(name) ? kDone : kWriteUnits;
  }
  int failure = kDone;
  if (haveUnits) {
    const bool manager = ManagerReachable();
    if (manager)
      Systemctl({"disable", "--now", UnitBaseName(name) + ".timer"});
    if (!RemoveUnits(name))
      failure = kWriteUnits;
    if (manager && !Systemctl({"daemon-reload"}) && failure == kDone)
      failure = kReload;
  }
  int cron = RemoveCronEntry(name);
  return failure != kDone ? failure : cron;
}

bool List(std::vector<Entry>& entries, int& errorCode) {
  entries.clear();
  errorCode = kDone;
  ListUnits(entries);
  if (dry_run::Active() || !HasProgram("crontab"))
    return true;
  if (!ListCron(entries)) {
    errorCode = kReadCrontab;
    return false;
  }
  return true;
}

}  // namespace os::scheduler
