#pragma once
// Which browsers are present, their versions and the profiles in use; the
// results go into the browser fields of the Task.
#include <string>
#include <vector>

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
  std::vector<std::string> firefoxInstallFolders;
  std::vector<std::string> operaInstallFolders;

  static BrowserPlaces System();
};

// The version code of a Firefox version text ("153.8.0esr", "3.6.13"), from
// its major and minor numbers; `previous` is kept where no rule applies.
int FirefoxVersionCodeOf(const std::string& version, bool ignoreBrowserVersion, int previous = 0);
// The digits of the first 64 characters read as one decimal number.
long FirefoxVersionNumberOf(const std::string& version);

// Sets the Firefox profile fields; 0 or a result code.
int LookUpFirefoxProfile(Task& task);
// Opera 8-12 layouts: old (opera6.ini) and new (operaprefs.ini).
int RefreshOperaOld(Task& task, const BrowserPlaces& places = BrowserPlaces::System());
int RefreshOperaNew(Task& task, bool ignoreBrowserVersion, const BrowserPlaces& places = BrowserPlaces::System());

// The full discovery, at start-up and at the start of every clean-up.
void DiscoverBrowserFields(Task& task, bool ignoreBrowserVersion, const BrowserPlaces& places = BrowserPlaces::System());

// Path functions of the Firefox items; empty when the version code is 0.
std::string FirefoxProfileBase(const Task& task);  // profile folder + "/"
std::string FirefoxHistoryFile(const Task& task);
std::string FirefoxCookiesFile(const Task& task);

// One profile of a Chromium-family browser (Google Chrome, Chromium).
struct ChromiumProfile {
  std::string browser;        // "google-chrome", "chromium"
  std::string profileFolder;  // <user data>/<profile>
  std::string cacheFolder;    // <cache>/<profile>
};

// "Default" and the other profiles each browser's Local State lists, when
// their folders exist.
std::vector<ChromiumProfile> ChromiumProfiles();

}  // namespace cleanup
