#include "os/processes.h"

#include <dirent.h>
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "os/dry_run.h"

namespace os::processes {

namespace {

bool IsNumber(const char* text) {
  if (!*text)
    return false;
  for (; *text; ++text)
    if (*text < '0' || *text > '9')
      return false;
  return true;
}

// The executable's base name: from the exe link when readable, else the
// kernel's (possibly shortened) command name.
std::string ExecutableName(const std::string& procDir) {
  char target[4096];
  ssize_t length = ::readlink((procDir + "/exe").c_str(), target, sizeof target - 1);
  if (length > 0) {
    std::string path(target, static_cast<std::size_t>(length));
    const std::string deleted = " (deleted)";
    if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
      path.resize(path.size() - deleted.size());
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
  }
  std::ifstream comm(procDir + "/comm");
  std::string name;
  if (std::getline(comm, name) && !name.empty())
    return name;
  return "<unknown>";
}

}  // namespace

bool List(std::vector<ProcessInfo>& out) {
  out.clear();
  DIR* proc = ::opendir("/proc");
  if (!proc)
    return false;
  const uid_t me = ::getuid();
  while (dirent* entry = ::readdir(proc)) {
    if (!IsNumber(entry->d_name))
      continue;
    std::string dir = std::string("/proc/") + entry->d_name;
    struct stat info {};
    if (::stat(dir.c_str(), &info) != 0 || info.st_uid != me)
      continue;
    ProcessInfo process;
    process.pid = static_cast<std::uint32_t>(std::strtoul(entry->d_name, nullptr, 10));
    process.name = ExecutableName(dir);
    out.push_back(process);
  }
  ::closedir(proc);
  return true;
}

std::uint32_t CurrentId() { return static_cast<std::uint32_t>(::getpid()); }

std::string ExecutablePath() {
  char target[4096];
  ssize_t length = ::readlink("/proc/self/exe", target, sizeof target - 1);
  return length > 0 ? std::string(target, static_cast<std::size_t>(length)) : std::string();
}

bool Terminate(std::uint32_t pid, bool polite) {
  if (pid == 0 || pid == CurrentId())
    return false;
  if (dry_run::Active()) {
    dry_run::Record("terminate", {{"pid", std::to_string(pid)}, {"polite", polite ? "1" : "0"}});
    return true;
  }
  struct stat info {};
  // Only this user's processes, never anyone else's.
  if (::stat(("/proc/" + std::to_string(pid)).c_str(), &info) != 0 || info.st_uid != ::getuid())
    return false;
  return ::kill(static_cast<pid_t>(pid), polite ? SIGTERM : SIGKILL) == 0;
}

bool RunsExecutable(const ProcessInfo& process, const char* executable) {
  return ::strcasecmp(process.name.c_str(), executable) == 0;
}

bool Running(std::uint32_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line))
    return false;
  // "pid (name) state ...": the name may hold blanks and parentheses.
  const auto close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z' && line[close + 2] != 'X';
}

}  // namespace os::processes
