// Browser clean-up on Windows is not built yet: no browser installation or
// profile is reported, so every browser item shows as not available here.
#include "os/browsers.h"

namespace os::browsers {

std::vector<std::string> FirefoxInstallFolders() { return {}; }

bool InstalledFirefoxVersion(const std::vector<std::string>&, std::string& version) {
  version.clear();
  return false;
}

std::string FirefoxProfileRoot() { return ""; }
std::string FirefoxCacheRoot() { return ""; }

std::vector<ChromiumBrowser> ChromiumBrowsers() { return {}; }

std::string OperaProfileFolder() { return ""; }
std::string OperaCacheFolder() { return ""; }

std::string OperaLegacyUserFolder() { return ""; }
std::vector<std::string> OperaLegacyInstallFolders() { return {}; }

std::vector<std::string> ChromiumProfileNames(const std::string&) { return {}; }

}  // namespace os::browsers
