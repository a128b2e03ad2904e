#pragma once
// Where the web browsers keep their installations and profiles on this
// system. Only the reads of the system live here; which profile is used and
// what is cleaned is decided by the clean-up code.
#include <string>
#include <vector>

namespace os::browsers {

// Folders that may hold an installed Firefox (its application.ini), in the
// order they are tried.
std::vector<std::string> FirefoxInstallFolders();

// The [App] Version of the first installed Firefox among `folders`; false
// when none of them holds a readable application.ini with a version.
bool InstalledFirefoxVersion(const std::vector<std::string>& folders, std::string& version);

// The folder that holds profiles.ini: the classic ~/.mozilla/firefox when it
// exists, else the XDG one ($XDG_CONFIG_HOME/mozilla/firefox). Empty when
// neither the home nor the configuration folder is known.
std::string FirefoxProfileRoot();

// Where Firefox puts the disk cache of a relative profile:
// $XDG_CACHE_HOME/mozilla/firefox. Empty when unknown.
std::string FirefoxCacheRoot();

// A browser of the Chromium family: its user-data folder (profiles inside)
// and the folder of its caches (one sub-folder per profile).
struct ChromiumBrowser {
  std::string name;  // "google-chrome", "chromium"
  std::string userDataFolder;
  std::string cacheFolder;
};

// Every Chromium-family browser whose user-data folder exists, in a fixed order.
std::vector<ChromiumBrowser> ChromiumBrowsers();

// Today's Opera (built on Chromium): the folder that holds its databases
// directly, and its cache folder. Empty when the configuration folder is unknown.
std::string OperaProfileFolder();
std::string OperaCacheFolder();

// Opera 8 to 12: the per-user folder (~/.opera) and the installation folders
// that may hold the default-preferences files.
std::string OperaLegacyUserFolder();
std::vector<std::string> OperaLegacyInstallFolders();

// The profile folder names a Chromium user-data folder's "Local State" lists
// (profile.info_cache), "Default" first when listed. Empty when the file is
// missing or cannot be read as such.
std::vector<std::string> ChromiumProfileNames(const std::string& userDataFolder);

}  // namespace os::browsers
