// The browsers' roots on Windows, their profiles and a running browser's lock.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "os/browsers.h"
#include "tests/support/sandbox.h"
#include "windows_test_support.h"

namespace {

namespace fs = std::filesystem;

TEST(WindowsBrowsers, EveryFamilyIsFoundWhereWindowsKeepsIt) {
  Sandbox sandbox;
  const fs::path local = sandbox.Home() / "AppData/Local";
  const fs::path roaming = sandbox.Home() / "AppData/Roaming";
  EXPECT_TRUE(os::browsers::ChromiumBrowsers().empty());
  EXPECT_TRUE(os::browsers::FirefoxRoots().empty());

  struct Row {
    const char* name;
    const char* folder;
  } const chromium[] = {
      {"google-chrome", "Google/Chrome/User Data"},  {"chromium", "Chromium/User Data"},
      {"microsoft-edge", "Microsoft/Edge/User Data"}, {"brave", "BraveSoftware/Brave-Browser/User Data"},
      {"vivaldi", "Vivaldi/User Data"},
  };
  for (const Row& row : chromium)
    fs::create_directories(local / row.folder);
  const std::vector<os::browsers::ChromiumBrowser> found = os::browsers::ChromiumBrowsers();
  ASSERT_EQ(found.size(), std::size(chromium));
  for (const Row& row : chromium) {
    auto browser = std::find_if(found.begin(), found.end(), [&](const auto& b) { return b.name == row.name; });
    ASSERT_NE(browser, found.end()) << row.name;
    EXPECT_TRUE(fs::equivalent(fs::u8path(browser->userDataFolder), local / row.folder)) << row.name;
    // Each profile keeps its caches inside it.
    EXPECT_EQ(browser->cacheFolder, browser->userDataFolder) << row.name;
  }

  // Today's Opera and Firefox: profiles roaming, caches local.
  for (const char* folder : {"Opera Software/Opera Stable", "Mozilla/Firefox"}) {
    fs::create_directories(roaming / folder);
    fs::create_directories(local / folder);
  }
  const auto opera = os::browsers::OperaBrowsers();
  ASSERT_EQ(opera.size(), 1u);
  EXPECT_TRUE(fs::equivalent(fs::u8path(opera[0].userDataFolder), roaming / "Opera Software/Opera Stable"));
  EXPECT_TRUE(fs::equivalent(fs::u8path(opera[0].cacheFolder), local / "Opera Software/Opera Stable"));
  const auto firefox = os::browsers::FirefoxRoots();
  ASSERT_EQ(firefox.size(), 1u);
  EXPECT_TRUE(fs::equivalent(fs::u8path(firefox[0].profileRoot), roaming / "Mozilla/Firefox"));
  EXPECT_TRUE(fs::equivalent(fs::u8path(firefox[0].cacheRoot), local / "Mozilla/Firefox"));
}

TEST(WindowsBrowsers, ProfilesOfLocalStateStayInsideTheUserData) {
  wintest::TempFolder folder;
  std::ofstream(folder.Path() / "Local State")
      << R"({"profile":{"info_cache":{"Profile 1":{},"Default":{},"..\\..\\Windows":{},"C:":{},"a/b":{}}}})";
  EXPECT_EQ(os::browsers::ChromiumProfileNames(folder.File("")),
            (std::vector<std::string>{"Default", "Profile 1"}));
}

TEST(WindowsBrowsers, ARunningBrowsersLockMarksItsProfileInUse) {
  wintest::TempFolder folder;
  using os::browsers::Family;
  for (const auto& [family, lock] : {std::pair{Family::Firefox, "parent.lock"}, {Family::Chromium, "lockfile"}}) {
    std::string holder;
    const std::string profile = folder.File("");
    EXPECT_FALSE(os::browsers::ProfileInUse(family, profile, holder)) << lock << ": no lock file";
    // The browser holds it open without sharing; a lock left by a crash is closed.
    HANDLE held = CreateFileW((folder.Path() / lock).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(os::browsers::ProfileInUse(family, profile, holder)) << lock;
    EXPECT_NE(holder.find(lock), std::string::npos) << holder;
    CloseHandle(held);
    EXPECT_FALSE(os::browsers::ProfileInUse(family, profile, holder)) << lock << ": left by a crash";
  }
}

}  // namespace
