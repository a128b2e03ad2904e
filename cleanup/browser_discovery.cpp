#include "cleanup/browser_discovery.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/task.h"
#include "cleanup/browser_procedures.h"
#include "os/browsers.h"
#include "os/folders.h"
#include "os/profile.h"

namespace cleanup {

namespace {

constexpr const char kMissing[] = "$$default";
// Far more installations of Firefox than one machine has.
constexpr int kMaxInstallSections = 32;

// A value counts as missing when empty or the default text came back.
bool ReadIni(const std::string& file, const std::string& section, const std::string& key, std::string& value) {
  value = os::profile::GetString(file, section, key, kMissing);
  return !value.empty() && value != kMissing;
}

wxString Wide(const std::string& text) { return wxString::FromUTF8(text); }
std::string Narrow(const wxString& text) { return text.utf8_string(); }

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size())
    return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

std::size_t CountOccurrences(const std::string& text, const std::string& needle) {
  std::size_t count = 0;
  for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size()))
    ++count;
  return count;
}

bool ReadWholeFile(const std::string& path, std::string& text) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error))
    return false;
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return !in.bad();
}

// The profile today's Firefox uses is named by an [Install<hash>] section
// (of profiles.ini, or of installs.ini); the Default=1 mark may sit on an
// unused, empty profile.
std::string InstallDefaultSection(const std::string& root) {
  // profiles.ini names them [Install<hash>], installs.ini just [<hash>].
  for (const char* file : {"profiles.ini", "installs.ini"}) {
    std::string ini = root + "/" + file;
    bool installsIni = file[0] == 'i';
    // One section per installation of Firefox; each look-up reads the file
    // again, so a file of thousands of sections must not be read thousands of times.
    int looked = 0;
    for (const std::string& section : os::profile::SectionNames(ini)) {
      if (!installsIni && !StartsWithNoCase(section, "Install"))
        continue;
      if (++looked > kMaxInstallSections)
        break;
      std::string path;
      if (!ReadIni(ini, section, "Default", path))
        continue;
      for (int i = 0; i < 10; ++i) {
        std::string profile = "Profile" + std::to_string(i);
        std::string candidate;
        if (ReadIni(root + "/profiles.ini", profile, "Path", candidate) && candidate == path)
          return profile;
      }
    }
  }
  return "";
}

bool FolderHasFile(const std::string& folder, const char* name) {
  return os::folders::FileExists(folder + "/" + name);
}

// The first candidate that holds the layout's default-preferences file, else
// the first that exists (whose file then cannot be read); empty when none.
std::string OperaInstallation(const BrowserPlaces& places, const char* defaults) {
  for (const std::string& folder : places.operaInstallFolders)
    if (FolderHasFile(folder, defaults))
      return folder;
  for (const std::string& folder : places.operaInstallFolders)
    if (os::folders::FolderExists(folder))
      return folder;
  return "";
}

std::string LastComponent(const std::string& folder) {
  const std::string separators{'/', os::folders::PathSeparator()};
  std::string trimmed = folder;
  while (trimmed.size() > 1 && separators.find(trimmed.back()) != std::string::npos)
    trimmed.pop_back();
  std::size_t slash = trimmed.find_last_of(separators);
  std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
  // The root of the file system has no name of its own.
  return name.empty() ? "Opera" : name;
}

struct OperaLayout {
  const char* defaultsFile;
  const char* profileIni;
  int unreadableCode;
};

constexpr OperaLayout kOperaOld{"operadef6.ini", "opera6.ini", kOperaDefaultsUnreadable};
constexpr OperaLayout kOperaNew{"operaprefs_default.ini", "operaprefs.ini", kOperaDefaultsUnreadableNew};

// The common part of both refreshes: installation, multi-user mode, profile
// ini. Sets `profileFolder` and `profileIni` and returns 0, or a code.
int LocateOperaProfile(Task& task, const BrowserPlaces& places, const OperaLayout& layout, bool& multiUser,
                       std::string& profileFolder, std::string& profileIni) {
  std::string install = OperaInstallation(places, layout.defaultsFile);
  if (install.empty())
    return kOperaKeyMissing;
  while (install.size() > 1 && install.back() == '/')
    install.pop_back();
  task.OperaInstallFolder = Wide(install);
  task.OperaInstallName = Wide(LastComponent(install));
  std::string mode;
  if (!ReadIni(install + "/" + layout.defaultsFile, "System", "Multi User", mode))
    return layout.unreadableCode;
  if (mode == "0") {
    multiUser = false;
    profileFolder = install + "/profile/";
  } else if (mode == "1") {
    multiUser = true;
    std::string user = os::browsers::OperaLegacyUserFolder();
    if (user.empty()) {
      task.OperaLookupFailed = true;
      return kOperaAppDataFailed;
    }
    profileFolder = user + "/";
  } else {
    task.OperaLookupFailed = true;
    return kOperaMultiUserInvalid;
  }
  profileIni = profileFolder + layout.profileIni;
  return 0;
}

}  // namespace

const char kProfileInUse[] = "The profile is in use by a running browser (%s); it was left unchanged.";
const char kNewerFirefoxHint[] =
    "Firefox %s (profiles in %s) is newer than the versions this release knows; it is cleaned when \"Do not ignore "
    "newer internet browsers\" is set.";

BrowserPlaces BrowserPlaces::System() { return {true, {}, os::browsers::OperaLegacyInstallFolders()}; }

std::vector<os::browsers::FirefoxRoot> BrowserPlaces::FirefoxRoots() const {
  std::vector<os::browsers::FirefoxRoot> roots = os::browsers::FirefoxRoots();
  if (!firefoxRootInstalls)
    for (os::browsers::FirefoxRoot& root : roots)
      root.installFolders = firefoxInstallFolders;
  return roots;
}

os::browsers::FirefoxRoot BrowserPlaces::FirstFirefoxRoot() const {
  std::vector<os::browsers::FirefoxRoot> roots = FirefoxRoots();
  if (!roots.empty())
    return roots.front();
  os::browsers::FirefoxRoot root = os::browsers::DefaultFirefoxRoot();
  if (!firefoxRootInstalls)
    root.installFolders = firefoxInstallFolders;
  return root;
}

int FirefoxVersionCodeOf(const std::string& version, bool ignoreBrowserVersion, int previous) {
  std::size_t at = 0;
  auto number = [&](long& value) {
    std::size_t start = at;
    value = 0;
    while (at < version.size() && std::isdigit(static_cast<unsigned char>(version[at])) && at - start < 9)
      value = value * 10 + (version[at++] - '0');
    return at > start;
  };
  long major = 0;
  long minor = 0;
  if (!number(major))
    return previous;
  if (at < version.size() && version[at] == '.') {
    ++at;
    number(minor);
  }
  switch (major) {
    case 1:
      return minor == 0 ? 1 : minor == 5 ? 15 : previous;
    case 2:
      return minor == 0 ? 20 : previous;
    case 3:
      return (minor == 0 || minor == 1 || minor == 5 || minor == 6) ? 30 : previous;
    default:
      break;
  }
  if (major >= 4 && major <= kNewestKnownFirefoxMajor)
    return 40;
  if (major > kNewestKnownFirefoxMajor && ignoreBrowserVersion)
    return 40;
  return previous;
}

long FirefoxVersionNumberOf(const std::string& version) {
  long number = 0;
  int digits = 0;
  for (std::size_t i = 0; i < version.size() && i < 64; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(version[i])))
      continue;
    // A build id in the text would not fit: the leading digits are enough.
    if (++digits > 18)
      break;
    number = number * 10 + (version[i] - '0');
  }
  return number;
}

int LookUpFirefoxProfile(Task& task) {
  return LookUpFirefoxProfile(task, BrowserPlaces{}.FirstFirefoxRoot().profileRoot);
}

int LookUpFirefoxProfile(Task& task, const std::string& root) {
  if (root.empty())
    return kBrowserNoPath;
  task.FirefoxProfileFolder.clear();
  task.FirefoxProfileRelativePath.clear();
  std::string ini = root + "/profiles.ini";
  std::error_code error;
  if (!std::filesystem::exists(ini, error))
    return kProfilesIniMissing;
  std::string text;
  if (!ReadWholeFile(ini, text))
    return kProfilesIniUnreadable;
  std::size_t sections = CountOccurrences(text, "[Profile");
  if (sections == 0)
    return kProfileNoSection;
  if (sections > 10)
    return kProfileTooMany;

  std::string chosen = InstallDefaultSection(root);
  for (int i = 0; chosen.empty() && i < 10; ++i) {
    std::string section = "Profile" + std::to_string(i);
    std::string value;
    if (ReadIni(ini, section, "Default", value) && value[0] == '1')
      chosen = section;
  }
  if (chosen.empty()) {
    if (sections != 1)
      return kProfileNoDefault;
    chosen = "Profile0";
  }

  std::string path;
  // The task keeps the path as text: one that is not UTF-8 would turn empty.
  if (!ReadIni(ini, chosen, "Path", path) || Wide(path).empty())
    return kProfileNoPath;
  task.FirefoxProfileRelativePath = Wide(path);
  std::string relative;
  if (!ReadIni(ini, chosen, "IsRelative", relative))
    return kProfileNoSection;
  if (relative[0] == '1') {
    task.FirefoxProfileIsRelative = true;
    task.FirefoxProfileFolder = Wide(root + "/" + path);
  } else {
    task.FirefoxProfileIsRelative = false;
    task.FirefoxProfileFolder = Wide(path);
  }
  return 0;
}

int RefreshOperaOld(Task& task, const BrowserPlaces& places) {
  std::string folder;
  std::string ini;
  int code = LocateOperaProfile(task, places, kOperaOld, task.OperaMultiUserOld, folder, ini);
  if (code != 0)
    return code;
  if (!os::folders::FileExists(ini)) {
    task.OperaOldVersionCode = -1;
    task.OperaOldProfileFolder = "No profile folder";
    return kOperaNoProfile;
  }
  task.OperaOldProfileFolder = Wide(folder);
  std::string version;
  if (!ReadIni(ini, "Install", "Newest Used Version", version)) {
    task.OperaOldVersionCode = 999;
    return kOperaVersionUnreadable;
  }
  if (version[0] == '9') {
    // "95" and "9.64" alike: the first digit of the minor number decides.
    std::size_t minor = version.size() > 2 && version[1] == '.' ? 2 : 1;
    char digit = version.size() > minor ? version[minor] : '\0';
    task.OperaOldVersionCode = (digit == '5' || digit == '6') ? 95 : 9;
  } else if (version[0] == '8') {
    task.OperaOldVersionCode = 8;
  } else {
    task.OperaOldVersionCode = 0;
    return kOperaUnsupported;
  }
  return 0;
}

int RefreshOperaNew(Task& task, bool ignoreBrowserVersion, const BrowserPlaces& places) {
  std::string folder;
  std::string ini;
  int code = LocateOperaProfile(task, places, kOperaNew, task.OperaMultiUserNew, folder, ini);
  if (code != 0)
    return code;
  if (!os::folders::FileExists(ini)) {
    task.OperaNewVersionCode = -1;
    task.OperaNewProfileFolder = "No profile folder";
    return kOperaNoProfile;
  }
  task.OperaNewProfileFolder = Wide(folder);
  std::string version;
  if (!ReadIni(ini, "Install", "Newest Used Version", version)) {
    task.OperaNewVersionCode = 999;
    return kOperaVersionUnreadable;
  }
  char second = version.size() > 1 ? version[1] : '\0';
  if (version[0] == '1' && second == '0') {
    task.OperaNewVersionCode = 10;
  } else if (version[0] == '1' && second == '1') {
    task.OperaNewVersionCode = 11;
  } else if (version[0] == '1' && second >= '2' && second <= '4' && ignoreBrowserVersion) {
    task.OperaNewVersionCode = 11;
  } else {
    task.OperaNewVersionCode = 0;
    return kOperaUnsupported;
  }
  return 0;
}

std::string DiscoverFirefoxRoot(Task& task, const os::browsers::FirefoxRoot& root, bool ignoreBrowserVersion) {
  // Every discovery starts afresh: a browser removed since the last one must
  // not keep its old profile.
  task.FirefoxInstalled = false;
  task.FirefoxVersionCode = 0;
  task.FirefoxVersionNumber = 0;
  task.FirefoxVersionKnown = false;
  task.FirefoxProfileFolder.clear();
  task.FirefoxProfileRelativePath.clear();
  task.FirefoxProfileIsRelative = false;

  std::string version;
  bool installed = os::browsers::InstalledFirefoxVersion(root.installFolders, version);
  bool hasProfiles = !root.profileRoot.empty() && os::folders::FileExists(root.profileRoot + "/profiles.ini");
  task.FirefoxInstalled = installed || hasProfiles;
  if (!task.FirefoxInstalled)
    return "";
  if (!installed && LookUpFirefoxProfile(task, root.profileRoot) == 0) {
    // Without an installation the profile tells which Firefox used it last:
    // LastVersion=153.8.0_20261117185949/20261117185949.
    std::string last;
    if (ReadIni(Narrow(task.FirefoxProfileFolder) + "/compatibility.ini", "Compatibility", "LastVersion", last))
      version = last.substr(0, last.find('_'));
  }
  task.FirefoxVersionCode = FirefoxVersionCodeOf(version, ignoreBrowserVersion, 0);
  task.FirefoxVersionNumber = FirefoxVersionNumberOf(version);
  task.FirefoxVersionKnown = task.FirefoxVersionNumber > 0;
  return version;
}

void DiscoverBrowserFields(Task& task, bool ignoreBrowserVersion, const BrowserPlaces& places) {
  // The fields describe the first root; the items visit every root.
  DiscoverFirefoxRoot(task, places.FirstFirefoxRoot(), ignoreBrowserVersion);

  task.OperaOldVersionCode = 0;
  task.OperaNewVersionCode = 0;
  task.OperaOldProfileFolder.clear();
  task.OperaNewProfileFolder.clear();
  task.OperaInstallFolder.clear();
  task.OperaInstallName.clear();
  task.OperaMultiUserOld = false;
  task.OperaMultiUserNew = false;
  task.OperaLookupFailed = false;
  bool oldLayout = false;
  bool newLayout = false;
  for (const std::string& folder : places.operaInstallFolders) {
    oldLayout = oldLayout || FolderHasFile(folder, kOperaOld.defaultsFile);
    newLayout = newLayout || FolderHasFile(folder, kOperaNew.defaultsFile);
  }
  if (oldLayout)
    RefreshOperaOld(task, places);
  if (newLayout && !task.OperaLookupFailed)
    RefreshOperaNew(task, ignoreBrowserVersion, places);

  std::vector<os::browsers::ChromiumBrowser> today = os::browsers::OperaBrowsers();
  task.OperaChromiumFolder = today.empty() ? wxString() : Wide(today.front().userDataFolder);
}

std::string FirefoxProfileBase(const Task& task) {
  if (task.FirefoxVersionCode <= 0 || task.FirefoxProfileFolder.empty())
    return "";
  return Narrow(task.FirefoxProfileFolder) + "/";
}

std::string FirefoxHistoryFile(const Task& task) {
  std::string base = FirefoxProfileBase(task);
  if (base.empty())
    return "";
  return base + (task.FirefoxVersionCode < 30 ? "history.dat" : "places.sqlite");
}

std::string FirefoxCookiesFile(const Task& task) {
  std::string base = FirefoxProfileBase(task);
  if (base.empty())
    return "";
  return base + (task.FirefoxVersionCode < 30 ? "cookies.txt" : "cookies.sqlite");
}

std::vector<ChromiumProfile> ChromiumProfiles() {
  std::vector<ChromiumProfile> profiles;
  for (const os::browsers::ChromiumBrowser& browser : os::browsers::ChromiumBrowsers()) {
    std::vector<std::string> names = os::browsers::ChromiumProfileNames(browser.userDataFolder);
    if (std::find(names.begin(), names.end(), "Default") == names.end())
      names.insert(names.begin(), "Default");
    for (const std::string& name : names) {
      std::string folder = browser.userDataFolder + "/" + name;
      if (os::folders::FolderExists(folder))
        profiles.push_back({browser.name, browser.userDataFolder, folder,
                            browser.cacheFolder.empty() ? "" : browser.cacheFolder + "/" + name});
    }
  }
  return profiles;
}

}  // namespace cleanup
