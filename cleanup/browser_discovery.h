#pragma once
// Which browsers are present, their versions and the profiles in use; the
// results go into the browser fields of the Task.
#include <string>
#include <vector>

#include "os/browsers.h"

class Task;

namespace cleanup {

// Result codes of the lookups.
constexpr int kBrowserNoPath = 10501;
constexpr int kAppDataFailed = 10559;
constexpr int kAppDataInvalid = 10560;
constexpr int kProfileNoPath = 10561;
constexpr int kProfileNoDefault = 10562;
constexpr int kProfilesIniMissing = 10563;
constexpr int kProfileNoSection = 10564;
constexpr int kProfileTooMany = 10565;
constexpr int kProfilesIniUnreadable = 10566;
constexpr int kOperaKeyMissing = 10567;
constexpr int kOperaNoInstallFolder = 10568;
constexpr int kOperaDefaultsUnreadable = 10569;
constexpr int kOperaDefaultsUnreadableNew = 10570;
constexpr int kOperaMultiUserInvalid = 10571;
constexpr int kOperaAppDataFailed = 10572;
constexpr int kOperaNoProfile = 10573;
constexpr int kOperaUnsupported = 10574;
constexpr int kOperaVersionUnreadable = 10575;

// The newest Firefox whose profile layout this build knows.
constexpr int kNewestKnownFirefoxMajor = 153;

// Where to look; the system's places by default, others in tests.
struct BrowserPlaces {
  // An installed Firefox is looked for in each root's own folders (the
  // system's places), or else in these folders for every root (tests).
  bool firefoxRootInstalls = false;
  std::vector<std::string> firefoxInstallFolders;
  std::vector<std::string> operaInstallFolders;

  static BrowserPlaces System();
  // The Firefox roots that exist now (the items clean each of them).
  std::vector<os::browsers::FirefoxRoot> FirefoxRoots() const;
  // The first of them, else the root a Firefox that never ran would make
  // (the fields of the task describe it).
  os::browsers::FirefoxRoot FirstFirefoxRoot() const;
};

// The version code of a Firefox version text ("153.8.0esr", "3.6.13"), from
// its major and minor numbers; `previous` is kept where no rule applies.
int FirefoxVersionCodeOf(const std::string& version, bool ignoreBrowserVersion, int previous = 0);
// The digits of the first 64 characters read as one decimal number.
long FirefoxVersionNumberOf(const std::string& version);

// Sets the Firefox profile fields from the profiles.ini of `root` (the
// first root when none is given); 0 or a result code.
int LookUpFirefoxProfile(Task& task, const std::string& root);
int LookUpFirefoxProfile(Task& task);
// Sets every Firefox field from one root: its installation's version, else
// the version that last used the profile in use. Returns the version text.
std::string DiscoverFirefoxRoot(Task& task, const os::browsers::FirefoxRoot& root, bool ignoreBrowserVersion);
// Opera 8-12 layouts: old (opera6.ini) and new (operaprefs.ini).
int RefreshOperaOld(Task& task, const BrowserPlaces& places = BrowserPlaces::System());
int RefreshOperaNew(Task& task, bool ignoreBrowserVersion, const BrowserPlaces& places = BrowserPlaces::System());

// The full discovery, at start-up and at the start of every clean-up.
void DiscoverBrowserFields(Task& task, bool ignoreBrowserVersion, const BrowserPlaces& places = BrowserPlaces::System());

// Path functions of the Firefox items; empty when the version code is 0.
std::string FirefoxProfileBase(const Task& task);  // profile folder + "/"
std::string FirefoxHistoryFile(const Task& task);
std::string FirefoxCookiesFile(const Task& task);

// One profile of a Chromium-family browser (Google Chrome, Chromium, Brave, ...).
struct ChromiumProfile {
  std::string browser;         // "google-chrome", "chromium (snap)", ...
  std::string userDataFolder;  // holds Local State, the lock and the shader caches
  std::string profileFolder;   // <user data>/<profile>
  std::string cacheFolder;     // <cache>/<profile>
};

// "Default" and the other profiles each browser's Local State lists, when
// their folders exist.
std::vector<ChromiumProfile> ChromiumProfiles();

}  // namespace cleanup
