#include "os/folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace os::folders {

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string HomeFolder() { return Env("HOME"); }

// XDG base directories must be absolute; relative values are ignored.
std::string XdgBase(const char* variable, const char* fallbackUnderHome) {
  std::string value = Env(variable);
  if (!value.empty() && value[0] == '/')
    return value;
  std::string home = HomeFolder();
  if (home.empty())
    return "";
  return home + "/" + fallbackUnderHome;
}

// The desktop from ~/.config/user-dirs.dirs (XDG_DESKTOP_DIR="$HOME/Desktop").
std::string DesktopFolder() {
  std::string home = HomeFolder();
  if (home.empty())
    return "";
  std::string configHome = XdgBase("XDG_CONFIG_HOME", ".config");
  std::ifstream in(configHome + "/user-dirs.dirs");
  std::string line;
  while (std::getline(in, line)) {
    const std::string key = "XDG_DESKTOP_DIR=";
    auto start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0)
      continue;
    std::string value = line.substr(start + key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0)
      value = home + value.substr(5);
    if (!value.empty() && value[0] == '/')
      return value;
  }
  return home + "/Desktop";
}

}  // namespace

bool GetSpecialFolder(Special which, std::string& path) {
  path.clear();
  switch (which) {
    case Special::Desktop:
      path = DesktopFolder();
      // An absent desktop folder is a failed lookup, not a place to write.
      if (!FolderExists(path))
        path.clear();
      break;
    case Special::AppData:
      path = XdgBase("XDG_CONFIG_HOME", ".config");
      break;
    case Special::LocalAppData:
      path = XdgBase("XDG_CACHE_HOME", ".cache");
      break;
    case Special::Profile:
      path = HomeFolder();
      break;
    case Special::Recent:
      path = XdgBase("XDG_DATA_HOME", ".local/share");
      break;
    case Special::Templates:
      if (!HomeFolder().empty())
        path = HomeFolder() + "/Templates";
      break;
    case Special::InternetCache:
    case Special::InternetCookies:
    case Special::InternetHistory:
    case Special::CdBurning:
    case Special::CommonAppData:
      break;
  }
  return !path.empty();
}

std::string TasksFolder(const std::string& programName) {
  std::string dataHome = XdgBase("XDG_DATA_HOME", ".local/share");
  if (dataHome.empty())
    dataHome = ".";
  return dataHome + "/" + programName + "-Tasks";
}

bool CreateFolder(const std::string& path, int& errorCode) {
  errorCode = 0;
  if (::mkdir(path.c_str(), 0700) == 0)
    return true;
  errorCode = errno;
  return false;
}

bool CreateFolderPath(const std::string& path, int& errorCode) {
  errorCode = 0;
  if (FolderExists(path))
    return true;
  auto slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !CreateFolderPath(path.substr(0, slash), errorCode))
    return false;
  if (::mkdir(path.c_str(), 0700) == 0 || (errno == EEXIST && FolderExists(path)))
    return true;
  errorCode = errno;
  return false;
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

char PathSeparator() { return '/'; }

std::string TempFolder() {
  // A relative value names no fixed folder: it counts as unset.
  for (const char* name : {"TMP", "TMPDIR"}) {
    std::string value = Env(name);
    if (!value.empty() && value.front() == '/')
      return value;
  }
  return "/tmp";
}

std::string CurrentFolder() {
  char buffer[4096];
  return ::getcwd(buffer, sizeof buffer) ? buffer : ".";
}

}  // namespace os::folders
