// Finding the browsers: Firefox versions, the profile in use, Chromium
// profiles, and the Opera 8-12 layouts.
#include <gtest/gtest.h>

#include "app/task.h"
#include "cleanup/browser_discovery.h"
#include "tests/support/sandbox.h"
#include "tools/fixtures/browser_fixtures.h"

using namespace cleanup;

namespace {

struct VersionCase {
  const char* version;
  bool ignore;
  int code;
  long number;
};

TEST(FirefoxVersion, CodeFromMajorAndMinorNumbers) {
  const VersionCase cases[] = {
      {"1.0.8", false, 1, 108},      {"1.5.0.12", false, 15, 15012}, {"2.0.0.20", false, 20, 20020},
      {"3.6.13", false, 30, 3613},   {"3.5", false, 30, 35},         {"3.2", false, 0, 32},
      {"4.0", false, 40, 40},        {"5.0", false, 40, 50},         {"128.5", false, 40, 1285},
      {"153.8.0esr", false, 40, 15380}, {"154.0", false, 0, 1540},   {"154.0", true, 40, 1540},
      {"", false, 0, 0},             {"esr", true, 0, 0},
  };
  for (const VersionCase& c : cases) {
    SCOPED_TRACE(c.version);
    EXPECT_EQ(FirefoxVersionCodeOf(c.version, c.ignore), c.code);
    EXPECT_EQ(FirefoxVersionNumberOf(c.version), c.number);
  }
  // A build id in the text cannot overflow the number.
  EXPECT_GT(FirefoxVersionNumberOf("153.8.0_20261117185949/20261117185949"), 0);
}

class FirefoxProfileTest : public testing::Test {
 protected:
  std::string Root() const { return sandbox.Home().string() + "/.mozilla/firefox"; }
  void WriteIni(const std::string& text) { Sandbox::WriteFile(Root() + "/profiles.ini", text); }
  Sandbox sandbox;
  Task task;
};

TEST_F(FirefoxProfileTest, InstallSectionBeatsDefaultMarkOnUnusedProfile) {
  fixtures::FirefoxProfile made = fixtures::MakeFirefoxProfile(
      sandbox.Home().string(), sandbox.ConfigHome().string(), sandbox.CacheHome().string(), fixtures::Scale{});
  ASSERT_EQ(LookUpFirefoxProfile(task), 0);
  EXPECT_EQ(task.FirefoxProfileFolder.utf8_string(), made.folder);
  EXPECT_EQ(task.FirefoxProfileRelativePath.utf8_string(), made.relativePath);
  EXPECT_TRUE(task.FirefoxProfileIsRelative);
}

TEST_F(FirefoxProfileTest, InstallsIniNamesTheProfileWhenProfilesIniDoesNot) {
  WriteIni("[Profile0]\nPath=a.default\nIsRelative=1\nDefault=1\n[Profile1]\nPath=b.default-esr\nIsRelative=1\n");
  Sandbox::WriteFile(Root() + "/installs.ini", "[3B6073811A6ABF12]\nDefault=b.default-esr\n");
  ASSERT_EQ(LookUpFirefoxProfile(task), 0);
  EXPECT_EQ(task.FirefoxProfileFolder.utf8_string(), Root() + "/b.default-esr");
}

TEST_F(FirefoxProfileTest, XdgRootOnlyWithoutClassicRoot) {
  fixtures::FirefoxProfile made =
      fixtures::MakeFirefoxProfile(sandbox.Home().string(), sandbox.ConfigHome().string(),
                                   sandbox.CacheHome().string(), fixtures::Scale{}, /*classicRoot=*/false);
  // ~/.mozilla without firefox/ inside does not count.
  std::filesystem::create_directories(sandbox.Home() / ".mozilla/extensions");
  ASSERT_EQ(LookUpFirefoxProfile(task), 0);
  EXPECT_EQ(task.FirefoxProfileFolder.utf8_string(), made.folder);
  std::filesystem::create_directories(Root());
  EXPECT_EQ(LookUpFirefoxProfile(task), kProfilesIniMissing);
}

TEST_F(FirefoxProfileTest, ProfilesIniRulesAndCodes) {
  struct Case {
    const char* name;
    std::string ini;
    int code;
    const char* folder;
  };
  std::string eleven;
  for (int i = 0; i < 11; ++i)
    eleven += "[Profile" + std::to_string(i) + "]\nPath=p" + std::to_string(i) + "\nIsRelative=1\n";
  const Case cases[] = {
      {"single section without Default", "[Profile0]\nPath=only\nIsRelative=1\n", 0, "/only"},
      {"Default=1 without install section", "[Profile0]\nPath=a\nIsRelative=1\n[Profile1]\nPath=b\nIsRelative=1\n"
                                            "Default=1\n", 0, "/b"},
      {"absolute path", "[Profile0]\nPath=/srv/ff/p\nIsRelative=0\n", 0, "/srv/ff/p"},
      {"two unmarked", "[Profile0]\nPath=a\nIsRelative=1\n[Profile1]\nPath=b\nIsRelative=1\n", kProfileNoDefault, ""},
      {"no Path", "[Profile0]\nIsRelative=1\n", kProfileNoPath, ""},
      // The task keeps text: a path that is not UTF-8 would come out empty.
      {"Path not UTF-8", "[Profile0]\nPath=p\xff\nIsRelative=1\n", kProfileNoPath, ""},
      {"no IsRelative", "[Profile0]\nPath=a\n", kProfileNoSection, ""},
      {"no section", "[General]\nVersion=2\n", kProfileNoSection, ""},
      {"eleven sections", eleven, kProfileTooMany, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteIni(c.ini);
    EXPECT_EQ(LookUpFirefoxProfile(task), c.code);
    if (c.code == 0) {
      std::string expected = c.folder[1] == 's' ? c.folder : Root() + c.folder;
      EXPECT_EQ(task.FirefoxProfileFolder.utf8_string(), expected);
    }
  }
  std::filesystem::remove(Root() + "/profiles.ini");
  EXPECT_EQ(LookUpFirefoxProfile(task), kProfilesIniMissing);
  std::filesystem::create_directories(Root() + "/profiles.ini");
  EXPECT_EQ(LookUpFirefoxProfile(task), kProfilesIniUnreadable);
}

TEST_F(FirefoxProfileTest, VersionFromInstallationElseFromProfile) {
  fixtures::MakeFirefoxProfile(sandbox.Home().string(), sandbox.ConfigHome().string(), sandbox.CacheHome().string(),
                               fixtures::Scale{}, true, "160.0_20270101000000/20270101000000");
  BrowserPlaces places;
  places.firefoxInstallFolders = {sandbox.Root().string() + "/usr/lib/firefox-esr"};
  DiscoverBrowserFields(task, false, places);
  EXPECT_TRUE(task.FirefoxInstalled);
  EXPECT_EQ(task.FirefoxVersionCode, 0);  // newer than this build knows
  EXPECT_TRUE(task.FirefoxVersionKnown);
  DiscoverBrowserFields(task, true, places);
  EXPECT_EQ(task.FirefoxVersionCode, 40);

  Sandbox::WriteFile(places.firefoxInstallFolders[0] + "/application.ini", "[App]\nName=Firefox\nVersion=153.8.0esr\n");
  DiscoverBrowserFields(task, false, places);
  EXPECT_EQ(task.FirefoxVersionCode, 40);
  EXPECT_EQ(task.FirefoxVersionNumber, 15380);

  // Gone again: nothing of the last discovery stays.
  std::filesystem::remove_all(sandbox.Home() / ".mozilla");
  std::filesystem::remove_all(places.firefoxInstallFolders[0]);
  DiscoverBrowserFields(task, false, places);
  EXPECT_FALSE(task.FirefoxInstalled);
  EXPECT_FALSE(task.FirefoxVersionKnown);
  EXPECT_TRUE(task.FirefoxProfileFolder.empty());
}

TEST(ChromiumProfiles, DefaultAndLocalStateProfilesOfEachBrowser) {
  Sandbox sandbox;
  fixtures::Scale small{10, 10, 2, 2, 2, 1};
  std::string config = sandbox.ConfigHome().string();
  std::string cache = sandbox.CacheHome().string();
  fixtures::MakeChromiumProfile(config, cache, "chromium", "Default", small);
  fixtures::MakeChromiumProfile(config, cache, "chromium", "Profile 1", small);
  fixtures::MakeChromiumProfile(config, cache, "google-chrome", "Default", small);
  // Listed but gone, and a name that would leave the folder.
  Sandbox::WriteFile(config + "/chromium/Local State",
                     R"({"profile":{"info_cache":{"Profile 1":{},"Default":{},"Gone":{},"../x":{}}}})");
  std::vector<ChromiumProfile> profiles = ChromiumProfiles();
  ASSERT_EQ(profiles.size(), 3u);
  EXPECT_EQ(profiles[0].profileFolder, config + "/google-chrome/Default");
  EXPECT_EQ(profiles[0].cacheFolder, cache + "/google-chrome/Default");
  EXPECT_EQ(profiles[1].profileFolder, config + "/chromium/Default");
  EXPECT_EQ(profiles[2].profileFolder, config + "/chromium/Profile 1");
  // A broken Local State still leaves the Default profile.
  Sandbox::WriteFile(config + "/chromium/Local State", "{\"profile\": ");
  EXPECT_EQ(ChromiumProfiles().size(), 2u);
}

TEST(OperaLegacy, RefreshCodesOfBothLayouts) {
  struct Case {
    const char* layout;
    const char* multiUser;
    const char* version;
    int code;
    int versionCode;
  };
  const Case cases[] = {
      {"old", "1", "9.64", 0, 95},   {"old", "1", "9.27", 0, 9},    {"old", "0", "8.54", 0, 8},
      {"old", "1", "7.5", kOperaUnsupported, 0},  {"old", "1", "", kOperaVersionUnreadable, 999},
      {"old", "2", "9.64", kOperaMultiUserInvalid, 0},
      {"new", "1", "10.63", 0, 10},  {"new", "0", "11.64", 0, 11},  {"new", "1", "12.16", kOperaUnsupported, 0},
      {"new", "1", "", kOperaVersionUnreadable, 999},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.layout) + " " + c.multiUser + " " + c.version);
    Sandbox sandbox;
    BrowserPlaces places;
    places.operaInstallFolders = {sandbox.Root().string() + "/usr/share/opera"};
    fixtures::MakeOperaLegacy(places.operaInstallFolders[0], sandbox.Home().string() + "/.opera", c.layout,
                              c.multiUser, c.version);
    Task task;
    bool old = std::string(c.layout) == "old";
    int code = old ? RefreshOperaOld(task, places) : RefreshOperaNew(task, false, places);
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(old ? task.OperaOldVersionCode : task.OperaNewVersionCode, c.versionCode);
    EXPECT_EQ(task.OperaInstallName, "opera");
    if (c.code == 0) {
      std::string expected =
          std::string(c.multiUser) == "1" ? sandbox.Home().string() + "/.opera/" : places.operaInstallFolders[0] + "/profile/";
      EXPECT_EQ((old ? task.OperaOldProfileFolder : task.OperaNewProfileFolder).utf8_string(), expected);
    }
  }
}

TEST(OperaLegacy, MissingInstallationOrProfile) {
  Sandbox sandbox;
  Task task;
  BrowserPlaces places;
  places.operaInstallFolders = {sandbox.Root().string() + "/usr/share/opera"};
  EXPECT_EQ(RefreshOperaOld(task, places), kOperaKeyMissing);
  std::filesystem::create_directories(places.operaInstallFolders[0]);
  EXPECT_EQ(RefreshOperaOld(task, places), kOperaDefaultsUnreadable);
  EXPECT_EQ(RefreshOperaNew(task, false, places), kOperaDefaultsUnreadableNew);
  Sandbox::WriteFile(places.operaInstallFolders[0] + "/operadef6.ini", "[System]\nMulti User=1\n");
  EXPECT_EQ(RefreshOperaOld(task, places), kOperaNoProfile);
  EXPECT_EQ(task.OperaOldVersionCode, -1);
  EXPECT_EQ(task.OperaOldProfileFolder, "No profile folder");
  // Newer versions count only when allowed.
  Sandbox::WriteFile(places.operaInstallFolders[0] + "/operaprefs_default.ini", "[System]\nMulti User=1\n");
  Sandbox::WriteFile(sandbox.Home().string() + "/.opera/operaprefs.ini", "[Install]\nNewest Used Version=12.16\n");
  EXPECT_EQ(RefreshOperaNew(task, true, places), 0);
  EXPECT_EQ(task.OperaNewVersionCode, 11);
}

}  // namespace
