// Where the browsers keep their profiles on Windows: the roaming application
// data holds Firefox's and Opera's profiles, the local one the Chromium
// family's user data (caches inside each profile) and Firefox's caches.
#include "os/browsers.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "os/cleanup_locations.h"
#include "os/folders.h"
#include "os/profile.h"
#include "os/windows/wide.h"

namespace os::browsers {

namespace {

enum class Base { Roaming, Local, ProgramFiles, ProgramFilesX86 };

struct Place {
  Base base;
  const char* path;
};

// Empty when the base folder is not known.
std::string Resolve(const Place& place) {
  std::string base;
  switch (place.base) {
    case Base::Roaming:
      folders::GetSpecialFolder(folders::Special::AppData, base);
      break;
    case Base::Local:
      folders::GetSpecialFolder(folders::Special::LocalAppData, base);
      break;
    case Base::ProgramFiles:
      base = win::Narrow(win::EnvironmentValue(L"ProgramFiles"));
      break;
    case Base::ProgramFilesX86:
      base = win::Narrow(win::EnvironmentValue(L"ProgramFiles(x86)"));
      break;
  }
  return base.empty() ? "" : base + "\\" + place.path;
}

std::string RegistryText(HKEY hive, const std::wstring& key, const wchar_t* value) {
  wchar_t text[MAX_PATH] = L"";
  DWORD size = sizeof text;
  if (RegGetValueW(hive, key.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
    return {};
  return win::Narrow(text);
}

// A folder's identity, so that two names of one folder count once.
bool FolderId(const std::string& path, std::pair<std::uint64_t, std::uint64_t>& id) {
  if (path.empty())
    return false;
  HANDLE handle = CreateFileW(win::Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(handle, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  CloseHandle(handle);
  id = {info.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  return ok;
}

class SeenFolders {
 public:
  bool FirstTime(const std::string& path) {
    std::pair<std::uint64_t, std::uint64_t> id;
    return FolderId(path, id) && m_seen.insert(id).second;
  }

 private:
  std::set<std::pair<std::uint64_t, std::uint64_t>> m_seen;
};

// --- Firefox -------------------------------------------------------------

// Firefox 2 to today keep their profiles.ini here; caches of relative
// profiles lie below the local folder under the same relative path.
constexpr Place kFirefoxProfiles{Base::Roaming, "Mozilla\\Firefox"};
constexpr Place kFirefoxCaches{Base::Local, "Mozilla\\Firefox"};
constexpr Place kFirefoxInstalls[] = {
    {Base::ProgramFiles, "Mozilla Firefox"},
    {Base::ProgramFilesX86, "Mozilla Firefox"},
    {Base::Local, "Mozilla Firefox"},  // installed for this user only
};

FirefoxRoot TheFirefoxRoot() {
  FirefoxRoot root{"firefox", Resolve(kFirefoxProfiles), Resolve(kFirefoxCaches), FirefoxInstallFolders()};
  return root;
}

// --- the Chromium family -------------------------------------------------

// The user-data folder holds every profile, and each profile its caches.
constexpr std::pair<const char*, Place> kChromiumRows[] = {
    {"google-chrome", {Base::Local, "Google\\Chrome\\User Data"}},
    {"google-chrome-beta", {Base::Local, "Google\\Chrome Beta\\User Data"}},
    {"google-chrome-dev", {Base::Local, "Google\\Chrome Dev\\User Data"}},
    {"google-chrome-canary", {Base::Local, "Google\\Chrome SxS\\User Data"}},
    {"chromium", {Base::Local, "Chromium\\User Data"}},
    {"microsoft-edge", {Base::Local, "Microsoft\\Edge\\User Data"}},
    {"microsoft-edge-beta", {Base::Local, "Microsoft\\Edge Beta\\User Data"}},
    {"microsoft-edge-dev", {Base::Local, "Microsoft\\Edge Dev\\User Data"}},
    {"brave", {Base::Local, "BraveSoftware\\Brave-Browser\\User Data"}},
    {"vivaldi", {Base::Local, "Vivaldi\\User Data"}},
};

// Today's Opera keeps its databases directly in its roaming folder and its
// caches in the local one of the same name.
constexpr const char* kOperaFolders[][2] = {
    {"opera", "Opera Software\\Opera Stable"},
    {"opera-gx", "Opera Software\\Opera GX Stable"},
};

// Local State is a few hundred kilobytes at most; more is not ours to parse.
constexpr std::uintmax_t kLocalStateLimit = 8u * 1024u * 1024u;

bool ReadSmallFile(const std::string& path, std::string& text, std::uintmax_t limit) {
  std::error_code error;
  const std::filesystem::path file(win::Wide(path));
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size > limit)
    return false;
  std::ifstream in(file, std::ios::binary);
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// A file that a running browser holds open without sharing it.
bool HeldOpen(const std::string& path, std::string& holder) {
  const std::wstring wide = win::Wide(path);
  HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    CloseHandle(handle);
    return false;
  }
  if (GetLastError() != ERROR_SHARING_VIOLATION)
    return false;
  holder = path + " (held open by a running browser)";
  return true;
}

}  // namespace

std::vector<FirefoxRoot> FirefoxRoots() {
  FirefoxRoot root = TheFirefoxRoot();
  SeenFolders seen;
  if (!seen.FirstTime(root.profileRoot))
    return {};
  return {root};
}

FirefoxRoot DefaultFirefoxRoot() { return TheFirefoxRoot(); }

std::vector<std::string> FirefoxInstallFolders() {
  std::vector<std::string> folders;
  auto add = [&folders](const std::string& folder) {
    if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end())
      folders.push_back(folder);
  };
  // The installer names its folder in the registry.
  for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    const std::wstring key = L"SOFTWARE\\Mozilla\\Mozilla Firefox";
    const std::string current = RegistryText(hive, key, L"CurrentVersion");
    if (!current.empty())
      add(RegistryText(hive, key + L"\\" + win::Wide(current) + L"\\Main", L"Install Directory"));
  }
  for (const Place& place : kFirefoxInstalls)
    add(Resolve(place));
  return folders;
}

bool InstalledFirefoxVersion(const std::vector<std::string>& folders, std::string& version) {
  version.clear();
  for (const std::string& folder : folders) {
    std::string value = profile::GetString(folder + "\\application.ini", "App", "Version", "$$default");
    if (!value.empty() && value != "$$default") {
      version = value;
      return true;
    }
  }
  return false;
}

std::vector<ChromiumBrowser> ChromiumBrowsers() {
  std::vector<ChromiumBrowser> found;
  SeenFolders seen;
  for (const auto& [name, place] : kChromiumRows) {
    const std::string folder = Resolve(place);
    if (seen.FirstTime(folder))
      found.push_back({name, folder, folder});
  }
  return found;
}

std::vector<ChromiumBrowser> OperaBrowsers() {
  std::vector<ChromiumBrowser> found;
  SeenFolders seen;
  for (const auto& row : kOperaFolders) {
    const std::string folder = Resolve({Base::Roaming, row[1]});
    if (seen.FirstTime(folder))
      found.push_back({row[0], folder, Resolve({Base::Local, row[1]})});
  }
  return found;
}

// Opera 8 to 12 installed for several users keep each user's profile in
// the roaming folder under the installation's name, "Opera" by default.
std::string OperaLegacyUserFolder() { return Resolve({Base::Roaming, "Opera\\Opera"}); }

std::vector<std::string> OperaLegacyInstallFolders() {
  std::vector<std::string> folders;
  auto add = [&folders](std::string folder) {
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/'))
      folder.pop_back();
    if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end())
      folders.push_back(folder);
  };
  // Where its installer said it went, then the usual folders.
  for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    for (const wchar_t* value : {L"Last Directory3", L"Last Beta Directory", L"Last Install Path"})
      add(RegistryText(hive, L"Software\\Opera Software", value));
  add(Resolve({Base::ProgramFiles, "Opera"}));
  add(Resolve({Base::ProgramFilesX86, "Opera"}));
  return folders;
}

std::vector<std::string> ChromiumProfileNames(const std::string& userDataFolder) {
  std::string text;
  if (!ReadSmallFile(userDataFolder + "\\Local State", text, kLocalStateLimit))
    return {};
  return ProfileNamesOfLocalState(text);
}

const std::vector<const char*>& ProcessNames(Family family) {
  static const std::vector<const char*> firefox = {"firefox.exe"};
  static const std::vector<const char*> chromium = {"chrome.exe", "msedge.exe", "brave.exe", "vivaldi.exe"};
  static const std::vector<const char*> opera = {"opera.exe"};
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

// A running Firefox holds its profile's parent.lock open unshared; a running
// Chromium-family browser its user-data folder's "lockfile".
bool ProfileInUse(Family family, const std::string& folder, std::string& holder) {
  holder.clear();
  return HeldOpen(folder + (family == Family::Firefox ? "\\parent.lock" : "\\lockfile"), holder);
}

}  // namespace os::browsers
