#include "app/settings.h"

#include <gtest/gtest.h>
#include <wx/defs.h>

#include "os/platform_texts.h"
#include "os/registry.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sandbox.h"

namespace fs = std::filesystem;
using os::registry::Hive;

namespace {

const wxString kInstalled =
    "DKWT commands added to the file manager's right-click menu.\nRight click inside any folder (Scripts > Duskwatch in Files) or the Duskwatch launcher to run them.";

std::string Stored(const char* name) {
  std::string value;
  if (os::registry::ReadString(Hive::CurrentUser, "Software\\Duskwatch\\", name, value) != os::registry::Result::Ok)
    return "<missing>";
  return value;
}

void Put(const char* name, const char* value) {
  ASSERT_EQ(os::registry::WriteString(Hive::CurrentUser, "Software\\Duskwatch", name, value), os::registry::Result::Ok);
}

int CountOn(const Settings& settings) {
  int on = 0;
  for (auto option : kSettingOptions)
    on += SettingMember(settings, option) ? 1 : 0;
  return on;
}

class SettingsTest : public testing::Test {
 protected:
  fs::path Scripts() const { return sandbox.DataHome() / "nautilus/scripts/Duskwatch"; }
  fs::path Autostart() const { return sandbox.ConfigHome() / "autostart/Duskwatch.desktop"; }

  void ExpectOneMessage(const wxString& text) {
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, text);
    EXPECT_EQ(recorder.messages[0].caption, "Message");
    EXPECT_EQ(recorder.messages[0].style, wxOK | wxICON_INFORMATION);
    recorder.messages.clear();
  }

  Sandbox sandbox;
  MessageRecorder recorder;
  Settings settings;
  wxString executable = "/opt/Dusk watch/DKWT";
};

}  // namespace

TEST_F(SettingsTest, FreshUserHasOnlyWarnings) {
  settings.m_showWarnings = false;
  LoadSettings(settings);
  EXPECT_TRUE(settings.m_showWarnings);
  EXPECT_EQ(CountOn(settings), 1);
}

TEST_F(SettingsTest, OnlyExactNoSwitchesOff) {
  Put("Close Internet Browsers", "no");
  Put("Silent Mode", "No");
  Put("Log deleted files", "");
  Put("Ignore browser version", "Yes");
  Put("Disable error logging", "NO ");
  settings.m_silentMode = true;
  LoadSettings(settings);
  EXPECT_TRUE(settings.m_closeBrowsers);
  EXPECT_FALSE(settings.m_silentMode);
  EXPECT_TRUE(settings.m_logDeletedFiles);
  EXPECT_TRUE(settings.m_ignoreBrowserVersion);
  EXPECT_TRUE(settings.m_disableErrorLogging);
  // Missing values keep their defaults; a missing "Warnings" means on.
  EXPECT_TRUE(settings.m_showWarnings);
  EXPECT_FALSE(settings.m_startWithWindows);
  EXPECT_FALSE(settings.m_explorerCommands);

  Put("Warnings", "No");
  Put("Context", "Yes");
  LoadSettings(settings);
  EXPECT_FALSE(settings.m_showWarnings);
  EXPECT_TRUE(settings.m_explorerCommands);
}

TEST_F(SettingsTest, PlainTogglesStoreYesAndNo) {
  for (auto option : kSettingOptions) {
    if (option == SettingOption::Startup || option == SettingOption::Context)
      continue;
    ToggleOption(settings, option, true);
    EXPECT_TRUE(SettingMember(settings, option));
    EXPECT_EQ(Stored(SettingValueName(option)), "Yes");
    ToggleOption(settings, option, false);
    EXPECT_FALSE(SettingMember(settings, option));
    EXPECT_EQ(Stored(SettingValueName(option)), "No");
  }
  Settings reloaded;
  LoadSettings(reloaded);
  EXPECT_EQ(CountOn(reloaded), 0);
  EXPECT_TRUE(recorder.messages.empty());

  // The system options are not plain: nothing happens through this path.
  ToggleOption(settings, SettingOption::Startup, true);
  EXPECT_FALSE(settings.m_startWithWindows);
  EXPECT_EQ(Stored("Startup"), "<missing>");
}

TEST_F(SettingsTest, StartWithSystem) {
  EXPECT_TRUE(ToggleStartWithSystem(settings, true, executable));
  ExpectOneMessage(os::texts::Get(os::texts::Text::StartupAdded));
  EXPECT_TRUE(settings.m_startWithWindows);
  EXPECT_EQ(Stored("Startup"), "Yes");
  EXPECT_EQ(sandbox.StartupCommand(), "\"/opt/Dusk watch/DKWT\"");

  EXPECT_FALSE(ToggleStartWithSystem(settings, false, executable));
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(sandbox.StartupCommand(), "");
  EXPECT_EQ(Stored("Startup"), "No");
}

TEST_F(SettingsTest, StartWithSystemFailuresPutTheRealStateBack) {
  Sandbox::WriteFile(sandbox.ConfigHome() / "autostart", "a file where the folder belongs");
  EXPECT_FALSE(ToggleStartWithSystem(settings, true, executable));
  ExpectOneMessage("Couldn't add Application to the desktop session's start up.");
  EXPECT_FALSE(settings.m_startWithWindows);
  EXPECT_EQ(Stored("Startup"), "No");

  fs::remove(sandbox.ConfigHome() / "autostart");
  Sandbox::WriteFile(Autostart() / "keep", "a folder cannot be unlinked");
  settings.m_startWithWindows = true;
  EXPECT_TRUE(ToggleStartWithSystem(settings, false, executable));
  ExpectOneMessage("Couldn't remove Application from the desktop session's start up.");
  EXPECT_TRUE(settings.m_startWithWindows);
  EXPECT_EQ(Stored("Startup"), "Yes");
}

TEST_F(SettingsTest, CommandsKeepTheModeOfTheirInstallation) {
  ASSERT_TRUE(ToggleContextCommands(settings, true, executable, false));
  ExpectOneMessage(kInstalled);
  EXPECT_EQ(Stored("Context"), "Yes");

  ToggleOption(settings, SettingOption::Warnings, false);
  const char* expected[][2] = {{"Shutdown", "-shutdown"}, {"Restart", "-restart"},      {"Standby", "-standby"},
                               {"Hibernate", "-hibernate"}, {"Logout", "-logout"},      {"Lock PC", "-lock"},
                               {"Turn Monitor off", "-monitor"}};
  for (const auto& [label, option] : expected) {
    EXPECT_EQ(Sandbox::ReadFile(Scripts() / label),
              std::string("#!/bin/sh\nexec '/opt/Dusk watch/DKWT' '") + option + "' 'confirm'\n")
        << label;
  }

  // Removal after some entries went by hand.
  fs::remove(Scripts() / "Standby");
  fs::remove(sandbox.DataHome() / "applications/org.duskwatch.Duskwatch.desktop");
  EXPECT_FALSE(ToggleContextCommands(settings, false, executable, false));
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_FALSE(fs::exists(Scripts()));
  EXPECT_FALSE(fs::exists(sandbox.DataHome() / "kio/servicemenus/duskwatch.desktop"));
  EXPECT_EQ(Stored("Context"), "No");

  // Installed with warnings off: quiet.
  ASSERT_TRUE(ToggleContextCommands(settings, true, executable, false));
  EXPECT_EQ(Sandbox::ReadFile(Scripts() / "Logout"), "#!/bin/sh\nexec '/opt/Dusk watch/DKWT' '-logout' 'quiet'\n");
}

TEST_F(SettingsTest, CommandFailuresTellAndLeaveTheOptionAsItWas) {
  Sandbox::WriteFile(sandbox.DataHome() / "nautilus", "a file where the folder belongs");
  EXPECT_FALSE(ToggleContextCommands(settings, true, executable, false));
  ExpectOneMessage("Couldn't add DKWT commands to the file manager's right-click menu.\nAdmin rights required.");
  EXPECT_FALSE(settings.m_explorerCommands);
  EXPECT_EQ(Stored("Context"), "No");
  EXPECT_FALSE(ToggleContextCommands(settings, true, executable, true));
  ExpectOneMessage("Couldn't add DKWT commands to the file manager's right-click menu");

  fs::remove(sandbox.DataHome() / "nautilus");
  ASSERT_TRUE(ToggleContextCommands(settings, true, executable, true));
  recorder.messages.clear();
  fs::remove(Scripts() / "Hibernate");
  Sandbox::WriteFile(Scripts() / "Hibernate" / "keep", "a folder cannot be unlinked");
  EXPECT_TRUE(ToggleContextCommands(settings, false, executable, false));
  ExpectOneMessage("Couldn't remove DKWT commands from the file manager's right-click menu.\nAdmin rights required.");
  EXPECT_TRUE(settings.m_explorerCommands);
  EXPECT_EQ(Stored("Context"), "Yes");
  EXPECT_TRUE(ToggleContextCommands(settings, false, executable, true));
  ExpectOneMessage("Couldn't remove DKWT commands from the file manager's right-click menu");
}
