// Browser clean-up on Windows is not built yet: no browser installation or
// profile is reported, so every browser item shows as not available here.
#include "os/browsers.h"

namespace os::browsers {

std::vector<FirefoxRoot> FirefoxRoots() { return {}; }
FirefoxRoot DefaultFirefoxRoot() { return {}; }

bool InstalledFirefoxVersion(const std::vector<std::string>&, std::string& version) {
  version.clear();
  return false;
}

std::vector<std::string> FirefoxInstallFolders() { return {}; }

std::vector<ChromiumBrowser> ChromiumBrowsers() { return {}; }
std::vector<ChromiumBrowser> OperaBrowsers() { return {}; }

std::string OperaLegacyUserFolder() { return ""; }
std::vector<std::string> OperaLegacyInstallFolders() { return {}; }

std::vector<std::string> ChromiumProfileNames(const std::string&) { return {}; }

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

bool ProfileInUse(Family, const std::string&, std::string& holder) {
  holder.clear();
  return false;
}

}  // namespace os::browsers
