#include "os/browsers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <set>
#include <span>
#include <utility>

#include "os/cleanup_locations.h"
#include "os/linux/text_file.h"
#include "os/profile.h"

namespace os::browsers {

namespace {

// What a place of the tables is relative to.
enum class Base { System, Home, Config, Cache, Data };

struct Place {
  Base base;
  const char* path;
};

// Empty when the base folder is not known.
std::string Resolve(const Place& place) {
  using cleanup_locations::Root;
  std::string base;
  bool known = false;
  switch (place.base) {
    case Base::System:
      return place.path;
    case Base::Home:
      known = cleanup_locations::ResolveRoot(Root::Home, base);
      break;
    case Base::Config:
      known = cleanup_locations::ResolveRoot(Root::ConfigHome, base);
      break;
    case Base::Cache:
      known = cleanup_locations::ResolveRoot(Root::CacheHome, base);
      break;
    case Base::Data:
      known = cleanup_locations::ResolveRoot(Root::DataHome, base);
      break;
  }
  return !known || base[0] != '/' ? "" : base + "/" + place.path;
}

bool HomeKnown() {
  std::string home;
  return cleanup_locations::ResolveRoot(cleanup_locations::Root::Home, home) && home[0] == '/';
}

bool IsFolder(const std::string& path, struct stat& info) {
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Two rows may name one folder (a link, XDG_CONFIG_HOME=~/.mozilla/..): it
// is cleaned once.
class SeenFolders {
 public:
  bool FirstTime(const struct stat& info) { return m_seen.insert({info.st_dev, info.st_ino}).second; }

 private:
  std::set<std::pair<dev_t, ino_t>> m_seen;
};

// --- Firefox -------------------------------------------------------------

// The distribution's packages and Mozilla's own tarball locations.
constexpr Place kDistributionFirefox[] = {
    {Base::System, "/usr/lib/firefox-esr"}, {Base::System, "/usr/lib/firefox"},
    {Base::System, "/usr/lib64/firefox"},   {Base::System, "/opt/firefox"},
    {Base::System, "/usr/local/lib/firefox"},
};
constexpr Place kSnapFirefox[] = {{Base::System, "/snap/firefox/current/usr/lib/firefox"}};
constexpr Place kFlatpakFirefox[] = {
    {Base::System, "/var/lib/flatpak/app/org.mozilla.firefox/current/active/files/lib/firefox"},
    {Base::Data, "flatpak/app/org.mozilla.firefox/current/active/files/lib/firefox"},
};

struct FirefoxRow {
  const char* name;
  Place profiles;  // holds profiles.ini
  Place cache;     // caches of relative profiles
  std::span<const Place> installs;
};

const FirefoxRow kFirefoxRows[] = {
    {"firefox", {Base::Home, ".mozilla/firefox"}, {Base::Cache, "mozilla/firefox"}, kDistributionFirefox},
    // Today's Firefox on a fresh account (nothing under ~/.mozilla/firefox).
    {"firefox", {Base::Config, "mozilla/firefox"}, {Base::Cache, "mozilla/firefox"}, kDistributionFirefox},
    {"firefox (snap)", {Base::Home, "snap/firefox/common/.mozilla/firefox"},
     {Base::Home, "snap/firefox/common/.cache/mozilla/firefox"}, kSnapFirefox},
    {"firefox (flatpak)", {Base::Home, ".var/app/org.mozilla.firefox/.mozilla/firefox"},
     {Base::Home, ".var/app/org.mozilla.firefox/cache/mozilla/firefox"}, kFlatpakFirefox},
    {"firefox (flatpak)", {Base::Home, ".var/app/org.mozilla.firefox/config/mozilla/firefox"},
     {Base::Home, ".var/app/org.mozilla.firefox/cache/mozilla/firefox"}, kFlatpakFirefox},
};

FirefoxRoot RootOf(const FirefoxRow& row) {
  FirefoxRoot root{row.name, Resolve(row.profiles), Resolve(row.cache), {}};
  for (const Place& place : row.installs)
    if (std::string folder = Resolve(place); !folder.empty())
      root.installFolders.push_back(folder);
  return root;
}

// --- the Chromium family -------------------------------------------------

struct ChromiumRow {
  const char* name;
  Place userData;
  Place cache;
};

const ChromiumRow kChromiumRows[] = {
    {"google-chrome", {Base::Config, "google-chrome"}, {Base::Cache, "google-chrome"}},
    {"google-chrome-beta", {Base::Config, "google-chrome-beta"}, {Base::Cache, "google-chrome-beta"}},
    {"google-chrome-unstable", {Base::Config, "google-chrome-unstable"}, {Base::Cache, "google-chrome-unstable"}},
    {"google-chrome (flatpak)", {Base::Home, ".var/app/com.google.Chrome/config/google-chrome"},
     {Base::Home, ".var/app/com.google.Chrome/cache/google-chrome"}},
    {"chromium", {Base::Config, "chromium"}, {Base::Cache, "chromium"}},
    {"chromium (snap)", {Base::Home, "snap/chromium/common/chromium"}, {Base::Home, "snap/chromium/common/.cache/chromium"}},
    {"chromium (flatpak)", {Base::Home, ".var/app/org.chromium.Chromium/config/chromium"},
     {Base::Home, ".var/app/org.chromium.Chromium/cache/chromium"}},
    {"brave", {Base::Config, "BraveSoftware/Brave-Browser"}, {Base::Cache, "BraveSoftware/Brave-Browser"}},
    {"brave (snap)", {Base::Home, "snap/brave/current/.config/BraveSoftware/Brave-Browser"},
     {Base::Home, "snap/brave/common/.cache/BraveSoftware/Brave-Browser"}},
    {"brave (flatpak)", {Base::Home, ".var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser"},
     {Base::Home, ".var/app/com.brave.Browser/cache/BraveSoftware/Brave-Browser"}},
    {"vivaldi", {Base::Config, "vivaldi"}, {Base::Cache, "vivaldi"}},
    {"vivaldi-snapshot", {Base::Config, "vivaldi-snapshot"}, {Base::Cache, "vivaldi-snapshot"}},
    {"microsoft-edge", {Base::Config, "microsoft-edge"}, {Base::Cache, "microsoft-edge"}},
    {"microsoft-edge-beta", {Base::Config, "microsoft-edge-beta"}, {Base::Cache, "microsoft-edge-beta"}},
    {"microsoft-edge-dev", {Base::Config, "microsoft-edge-dev"}, {Base::Cache, "microsoft-edge-dev"}},
};

// Today's Opera keeps its databases directly in its folder.
const ChromiumRow kOperaRows[] = {
    {"opera", {Base::Config, "opera"}, {Base::Cache, "opera"}},
    {"opera (snap)", {Base::Home, "snap/opera/current/.config/opera"}, {Base::Home, "snap/opera/common/.cache/opera"}},
};

std::vector<ChromiumBrowser> ExistingBrowsers(std::span<const ChromiumRow> rows) {
  std::vector<ChromiumBrowser> found;
  SeenFolders seen;
  for (const ChromiumRow& row : rows) {
    ChromiumBrowser browser{row.name, Resolve(row.userData), Resolve(row.cache)};
    struct stat info {};
    if (IsFolder(browser.userDataFolder, info) && seen.FirstTime(info))
      found.push_back(std::move(browser));
  }
  return found;
}

// Local State is a few hundred kilobytes at most; more is not ours to parse.
constexpr std::size_t kLocalStateLimit = 8u * 1024u * 1024u;

// --- locks of running browsers ---------------------------------------------

bool ReadLink(const std::string& path, std::string& target) {
  char buffer[512];
  ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
  if (length <= 0)
    return false;
  target.assign(buffer, static_cast<std::size_t>(length));
  return true;
}

bool ParsePid(const std::string& text, pid_t& pid) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  pid = static_cast<pid_t>(std::strtol(text.c_str(), nullptr, 10));
  return pid > 0;
}

// A process exists under this id (another user's too: EPERM).
bool Alive(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0)
    return "";
  return name;
}

// Firefox holds an fcntl lock on .parentlock while it runs; the kernel
// knows it across a sandbox's process namespace, the lock link's id not.
bool FirefoxInUse(const std::string& folder, std::string& holder) {
  const std::string parentLock = folder + "/.parentlock";
  int fd = ::open(parentLock.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd >= 0) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    bool locked = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    if (locked)
      holder = parentLock + " (process " + std::to_string(lock.l_pid) + ")";
    return locked;
  }
  // "lock" -> "<address>:+<pid>"
  std::string target;
  if (!ReadLink(folder + "/lock", target))
    return false;
  std::size_t at = target.rfind(":+");
  pid_t pid = 0;
  if (at == std::string::npos || !ParsePid(target.substr(at + 2), pid) || !Alive(pid))
    return false;
  holder = folder + "/lock (process " + std::to_string(pid) + ")";
  return true;
}

// "SingletonLock" -> "<host name>-<pid>"; a lock of another machine (a home
// shared over the network) is not this machine's to judge.
bool ChromiumInUse(const std::string& folder, std::string& holder) {
  std::string target;
  if (!ReadLink(folder + "/SingletonLock", target))
    return false;
  std::size_t dash = target.rfind('-');
  pid_t pid = 0;
  if (dash == std::string::npos || target.substr(0, dash) != HostName() || !ParsePid(target.substr(dash + 1), pid) ||
      !Alive(pid))
    return false;
  holder = folder + "/SingletonLock (process " + std::to_string(pid) + ")";
  return true;
}

}  // namespace

std::vector<FirefoxRoot> FirefoxRoots() {
  std::vector<FirefoxRoot> roots;
  SeenFolders seen;
  for (const FirefoxRow& row : kFirefoxRows) {
    FirefoxRoot root = RootOf(row);
    struct stat info {};
    if (IsFolder(root.profileRoot, info) && seen.FirstTime(info))
      roots.push_back(std::move(root));
  }
  return roots;
}

FirefoxRoot DefaultFirefoxRoot() {
  FirefoxRoot root = RootOf(HomeKnown() ? kFirefoxRows[0] : kFirefoxRows[1]);
  root.installFolders = FirefoxInstallFolders();
  return root;
}

std::vector<std::string> FirefoxInstallFolders() {
  std::vector<std::string> folders;
  for (const FirefoxRow& row : kFirefoxRows)
    for (const Place& place : row.installs)
      if (std::string folder = Resolve(place);
          !folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end())
        folders.push_back(folder);
  return folders;
}

bool InstalledFirefoxVersion(const std::vector<std::string>& folders, std::string& version) {
  version.clear();
  for (const std::string& folder : folders) {
    std::string value = profile::GetString(folder + "/application.ini", "App", "Version", "$$default");
    if (!value.empty() && value != "$$default") {
      version = value;
      return true;
    }
  }
  return false;
}

std::vector<ChromiumBrowser> ChromiumBrowsers() { return ExistingBrowsers(kChromiumRows); }

std::vector<ChromiumBrowser> OperaBrowsers() { return ExistingBrowsers(kOperaRows); }

std::string OperaLegacyUserFolder() { return Resolve({Base::Home, ".opera"}); }

std::vector<std::string> OperaLegacyInstallFolders() { return {"/usr/share/opera", "/usr/lib/opera"}; }

std::vector<std::string> ChromiumProfileNames(const std::string& userDataFolder) {
  std::string text;
  if (text_file::Read(userDataFolder + "/Local State", text, kLocalStateLimit) != text_file::ReadStatus::Ok)
    return {};
  return ProfileNamesOfLocalState(text);
}

const std::vector<const char*>& ProcessNames(Family family) {
  // The executables themselves (a snap's or a flatpak's too), not their
  // launcher scripts; the kernel's command name is cut at 15 characters.
  static const std::vector<const char*> firefox = {"firefox", "firefox-esr", "firefox-bin"};
  static const std::vector<const char*> chromium = {"chrome", "chromium", "chromium-browser", "chromium-browse",
                                                    "brave",  "vivaldi-bin", "msedge"};
  static const std::vector<const char*> opera = {"opera"};
  switch (family) {
    case Family::Firefox:
      return firefox;
    case Family::Chromium:
      return chromium;
    case Family::Opera:
      break;
  }
  return opera;
}

bool ProfileInUse(Family family, const std::string& folder, std::string& holder) {
  holder.clear();
  return family == Family::Firefox ? FirefoxInUse(folder, holder) : ChromiumInUse(folder, holder);
}

}  // namespace os::browsers
