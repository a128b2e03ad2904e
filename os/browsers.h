#pragma once
// Where the web browsers keep their installations and profiles on this
// system: one table per family (every packaging a browser comes in), read
// by the clean-up code, which decides which profile is used and what is
// cleaned.
#include <string>
#include <vector>

namespace os::browsers {

// One place Firefox keeps its profiles (the distribution's package, a snap,
// a flatpak, ...).
struct FirefoxRoot {
  std::string name;         // "firefox", "firefox (snap)", ...
  std::string profileRoot;  // holds profiles.ini
  std::string cacheRoot;    // disk caches of relative profiles: <cacheRoot>/<Path>
  // Folders that may hold this packaging's application.ini, in order.
  std::vector<std::string> installFolders;
};

// Every root of the table, in order, whose folder exists.
std::vector<FirefoxRoot> FirefoxRoots();

// The root tried when none exists (a Firefox that never ran): the classic
// ~/.mozilla/firefox when the home is known, else the XDG one.
FirefoxRoot DefaultFirefoxRoot();

// The [App] Version of the first installed Firefox among `folders`; false
// when none of them holds a readable application.ini with a version.
bool InstalledFirefoxVersion(const std::vector<std::string>& folders, std::string& version);

// Every folder of the table that may hold an installed Firefox, in order
// (the discovery at start-up looks at all of them).
std::vector<std::string> FirefoxInstallFolders();

// A browser of the Chromium family: its user-data folder (profiles inside)
// and the folder of its caches (one sub-folder per profile).
struct ChromiumBrowser {
  std::string name;  // "google-chrome", "chromium (snap)", ...
  std::string userDataFolder;
  std::string cacheFolder;
};

// Every Chromium-family browser whose user-data folder exists, in table order.
std::vector<ChromiumBrowser> ChromiumBrowsers();

// Today's Opera (built on Chromium), in every packaging whose folder exists:
// the folder holds its databases directly; its cache folder beside.
std::vector<ChromiumBrowser> OperaBrowsers();

// Opera 8 to 12: the per-user folder (~/.opera) and the installation folders
// that may hold the default-preferences files.
std::string OperaLegacyUserFolder();
std::vector<std::string> OperaLegacyInstallFolders();

// The profile folder names a Chromium user-data folder's "Local State" lists
// (profile.info_cache), "Default" first when listed. Empty when the file is
// missing or cannot be read as such.
std::vector<std::string> ChromiumProfileNames(const std::string& userDataFolder);
// The same for the text of such a file (the same on every platform).
std::vector<std::string> ProfileNamesOfLocalState(const std::string& text);

enum class Family { Firefox, Chromium, Opera };

// The executable names of the family's browsers on this system.
const std::vector<const char*>& ProcessNames(Family family);

// Whether a running browser of this machine holds the profile: Firefox's
// lock of a profile folder, Chromium's SingletonLock of a user-data folder.
// `holder` tells which lock and process, for the error log.
bool ProfileInUse(Family family, const std::string& folder, std::string& holder);

}  // namespace os::browsers
