#include "os/browsers.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

#include <nlohmann/json.hpp>

#include "os/linux/text_file.h"
#include "os/profile.h"

namespace os::browsers {

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string Home() { return Env("HOME"); }

std::string XdgBase(const char* variable, const char* underHome) {
  std::string value = Env(variable);
  if (!value.empty() && value[0] == '/')
    return value;
  std::string home = Home();
  return home.empty() ? "" : home + "/" + underHome;
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Debian's packages, Mozilla's own tarball location, and the snap.
constexpr const char* kFirefoxFolders[] = {
    "/usr/lib/firefox-esr",
    "/usr/lib/firefox",
    "/usr/lib64/firefox",
    "/opt/firefox",
    "/usr/local/lib/firefox",
    "/snap/firefox/current/usr/lib/firefox",
};

struct ChromiumRow {
  const char* name;  // folder name under the configuration and cache folders
};

constexpr ChromiumRow kChromiumRows[] = {
    {"google-chrome"},
    {"chromium"},
};

// Local State is a few hundred kilobytes at most; more is not ours to parse.
constexpr std::size_t kLocalStateLimit = 8u * 1024u * 1024u;

}  // namespace

std::vector<std::string> FirefoxInstallFolders() {
  return {std::begin(kFirefoxFolders), std::end(kFirefoxFolders)};
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

std::string FirefoxProfileRoot() {
  std::string home = Home();
  if (!home.empty() && IsFolder(home + "/.mozilla/firefox"))
    return home + "/.mozilla/firefox";
  std::string config = XdgBase("XDG_CONFIG_HOME", ".config");
  return config.empty() ? "" : config + "/mozilla/firefox";
}

std::string FirefoxCacheRoot() {
  std::string cache = XdgBase("XDG_CACHE_HOME", ".cache");
  return cache.empty() ? "" : cache + "/mozilla/firefox";
}

std::vector<ChromiumBrowser> ChromiumBrowsers() {
  std::vector<ChromiumBrowser> found;
  std::string config = XdgBase("XDG_CONFIG_HOME", ".config");
  std::string cache = XdgBase("XDG_CACHE_HOME", ".cache");
  if (config.empty())
    return found;
  for (const ChromiumRow& row : kChromiumRows) {
    ChromiumBrowser browser{row.name, config + "/" + row.name, cache.empty() ? "" : cache + "/" + row.name};
    if (IsFolder(browser.userDataFolder))
      found.push_back(std::move(browser));
  }
  return found;
}

std::string OperaProfileFolder() {
  std::string config = XdgBase("XDG_CONFIG_HOME", ".config");
  return config.empty() ? "" : config + "/opera";
}

std::string OperaCacheFolder() {
  std::string cache = XdgBase("XDG_CACHE_HOME", ".cache");
  return cache.empty() ? "" : cache + "/opera";
}

std::string OperaLegacyUserFolder() {
  std::string home = Home();
  return home.empty() ? "" : home + "/.opera";
}

std::vector<std::string> OperaLegacyInstallFolders() { return {"/usr/share/opera", "/usr/lib/opera"}; }

std::vector<std::string> ChromiumProfileNames(const std::string& userDataFolder) {
  std::vector<std::string> names;
  std::string text;
  if (text_file::Read(userDataFolder + "/Local State", text, kLocalStateLimit) != text_file::ReadStatus::Ok)
    return names;
  nlohmann::json state = nlohmann::json::parse(text, nullptr, false);
  if (state.is_discarded() || !state.is_object())
    return names;
  auto profile = state.find("profile");
  if (profile == state.end() || !profile->is_object())
    return names;
  auto cache = profile->find("info_cache");
  if (cache == profile->end() || !cache->is_object())
    return names;
  for (auto entry = cache->begin(); entry != cache->end(); ++entry) {
    const std::string& name = entry.key();
    // A profile is a plain folder name inside the user-data folder.
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
      continue;
    names.push_back(name);
  }
  auto def = std::find(names.begin(), names.end(), "Default");
  if (def != names.end())
    std::rotate(names.begin(), def, def + 1);
  return names;
}

}  // namespace os::browsers
