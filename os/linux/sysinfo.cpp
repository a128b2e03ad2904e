#include "os/sysinfo.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>

namespace os::sysinfo {

namespace {

std::string Trim(const std::string& text) {
  auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos)
    return "";
  auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

// The first processor block of /proc/cpuinfo as key/value pairs.
std::map<std::string, std::string> FirstCpu() {
  std::map<std::string, std::string> fields;
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  while (std::getline(in, line)) {
    if (Trim(line).empty()) {
      if (!fields.empty())
        break;
      continue;
    }
    auto colon = line.find(':');
    if (colon == std::string::npos)
      continue;
    std::string key = Trim(line.substr(0, colon));
    if (!fields.count(key))
      fields[key] = Trim(line.substr(colon + 1));
  }
  return fields;
}

std::string OsReleaseValue(const std::string& wanted) {
  for (const char* file : {"/etc/os-release", "/usr/lib/os-release"}) {
    std::ifstream in(file);
    std::string line;
    bool opened = in.is_open();
    while (std::getline(in, line)) {
      auto equals = line.find('=');
      if (equals == std::string::npos || Trim(line.substr(0, equals)) != wanted)
        continue;
      std::string value = Trim(line.substr(equals + 1));
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
      return value;
    }
    if (opened)
      break;
  }
  return "";
}

}  // namespace

Family OsFamily() { return Family::Linux; }

bool ModernPowerApi() { return true; }
bool ModernShell() { return true; }

std::string EditionText() {
  std::string name = OsReleaseValue("PRETTY_NAME");
  if (name.empty())
    name = OsReleaseValue("NAME");
  return name.empty() ? "Linux" : name;
}

std::string KernelVersion() {
  struct utsname info {};
  if (::uname(&info) != 0)
    return "";
  return std::string(info.sysname) + " " + info.release + " " + info.machine;
}

std::string ProcessorName() {
  auto cpu = FirstCpu();
  for (const char* key : {"model name", "Model", "Processor", "cpu model", "cpu"})
    if (cpu.count(key) && !cpu[key].empty())
      return cpu[key];
  return "";
}

std::string ProcessorIdentifier() {
  auto cpu = FirstCpu();
  struct utsname info {};
  std::string machine = ::uname(&info) == 0 ? info.machine : "";
  if (cpu.count("cpu family"))
    return machine + " Family " + cpu["cpu family"] + " Model " + cpu["model"] + " Stepping " + cpu["stepping"];
  if (cpu.count("CPU implementer"))
    return machine + " Implementer " + cpu["CPU implementer"] + " Part " + cpu["CPU part"];
  return machine;
}

std::string Description() {
  return EditionText() + " " + KernelVersion() + " on " + ProcessorName() + "( " + ProcessorIdentifier() + " )";
}

std::uint64_t UptimeSeconds() {
  std::ifstream in("/proc/uptime");
  double seconds = 0;
  if (!(in >> seconds) || seconds < 0)
    return 0;
  return static_cast<std::uint64_t>(seconds);
}

bool IsAdministrator() { return ::geteuid() == 0; }

bool InternetExplorerVersionText(std::string& text) {
  text.clear();
  return false;
}

}  // namespace os::sysinfo
