#include "os/integration.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <thread>

#include "tests/support/sandbox.h"

namespace fs = std::filesystem;

namespace {

using Groups = std::map<std::string, std::map<std::string, std::string>>;

// Raw values of a key file, escapes left as they are.
Groups ReadKeyFile(const fs::path& path) {
  Groups groups;
  std::istringstream in(Sandbox::ReadFile(path));
  std::string line;
  std::string group;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#')
      continue;
    if (line[0] == '[') {
      group = line.substr(1, line.find(']') - 1);
      groups[group];
      continue;
    }
    auto equals = line.find('=');
    if (equals != std::string::npos)
      groups[group][line.substr(0, equals)] = line.substr(equals + 1);
  }
  return groups;
}

std::string RunCommand(const std::string& command, int& status) {
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  char buffer[512];
  while (pipe && fgets(buffer, sizeof buffer, pipe))
    output += buffer;
  status = pipe ? pclose(pipe) : -1;
  return output;
}

std::string ShellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text)
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The validator's complaints, minus the two that every KDE service menu
// draws: KDE reads MimeType and Actions in Type=Service files.
std::string ValidatorComplaints(const fs::path& file) {
  int status = 0;
  std::string output = RunCommand("desktop-file-validate " + ShellQuote(file.string()), status);
  std::istringstream lines(output);
  std::string line;
  std::string kept;
  while (std::getline(lines, line)) {
    bool kdeOnly = line.find("the type is \"Service\" while this key is only valid for type \"Application\"") !=
                       std::string::npos &&
                   (line.find("key \"MimeType\"") != std::string::npos ||
                    line.find("key \"Actions\"") != std::string::npos);
    if (!kdeOnly)
      kept += line + "\n";
  }
  return kept;
}

bool IsExecutable(const fs::path& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IXUSR);
}

// A stand-in for the program that writes its arguments, one per line.
fs::path MakeFakeProgram(const fs::path& folder, const fs::path& record) {
  fs::path program = folder / "DKWT";
  Sandbox::WriteFile(program, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " +
                                  ShellQuote(record.string()) + "\n");
  fs::permissions(program, fs::perms::owner_all);
  return program;
}

std::string WaitForFile(const fs::path& path) {
  for (int i = 0; i < 100 && !fs::exists(path); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return Sandbox::ReadFile(path);
}

// Launches a desktop entry (or one of its actions) the way GLib-based
// desktops do, so the Exec quoting is checked by a real reader.
void LaunchWithGio(const fs::path& entry, const std::string& action) {
  std::string script =
      "import sys, gi\n"
      "gi.require_version('Gio', '2.0')\n"
      "from gi.repository import Gio\n"
      "app = Gio.DesktopAppInfo.new_from_filename(sys.argv[1])\n"
      "assert app is not None\n"
      "if len(sys.argv) > 2:\n"
      "    app.launch_action(sys.argv[2], None)\n"
      "else:\n"
      "    app.launch([], None)\n";
  int status = 0;
  std::string command = "env -u DISPLAY DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent /usr/bin/python3 -c " +
                        ShellQuote(script) + " " + ShellQuote(entry.string());
  if (!action.empty())
    command += " " + ShellQuote(action);
  std::string output = RunCommand(command, status);
  ASSERT_EQ(status, 0) << output;
}

std::vector<os::integration::Command> Commands(const std::string& executable, const std::string& mode) {
  return {{"Shutdown", executable, {"-shutdown", mode}},
          {"Lock PC", executable, {"-lock", mode}},
          {"Turn Monitor off", executable, {"-monitor", mode}}};
}

const std::vector<std::string> kLabels = {"Shutdown", "Lock PC", "Turn Monitor off"};

class IntegrationTest : public testing::Test {
 protected:
  fs::path Autostart() const { return sandbox.ConfigHome() / "autostart/Duskwatch.desktop"; }
  fs::path Launcher() const { return sandbox.DataHome() / "applications/org.duskwatch.Duskwatch.desktop"; }
  fs::path ServiceMenu() const { return sandbox.DataHome() / "kio/servicemenus/duskwatch.desktop"; }
  fs::path Scripts() const { return sandbox.DataHome() / "nautilus/scripts/Duskwatch"; }

  Sandbox sandbox;
  int errorCode = -1;
};

}  // namespace

TEST_F(IntegrationTest, AutostartEntryRunsTheFullPathAndIsRemovedEvenWhenGone) {
  fs::path folder = sandbox.Root() / "Dusk watch $HOME";
  fs::path record = sandbox.Root() / "args";
  fs::path program = MakeFakeProgram(folder, record);

  ASSERT_TRUE(os::integration::AddToStartup(program.string(), errorCode));
  EXPECT_EQ(errorCode, 0);
  ASSERT_TRUE(fs::exists(Autostart()));
  EXPECT_EQ(ValidatorComplaints(Autostart()), "");
  auto entry = ReadKeyFile(Autostart())["Desktop Entry"];
  EXPECT_EQ(entry["Type"], "Application");
  EXPECT_EQ(entry["Name"], "Duskwatch");
  EXPECT_EQ(entry["X-GNOME-Autostart-enabled"], "true");

  LaunchWithGio(Autostart(), "");
  EXPECT_EQ(WaitForFile(record), "");  // started, without arguments
  EXPECT_TRUE(fs::exists(record));

  // '%' is doubled so it is no field code (GLib then refuses to start such a
  // path, a limit of its own; KDE reads it).
  ASSERT_TRUE(os::integration::AddToStartup("/opt/a 100%/DKWT", errorCode));
  EXPECT_EQ(ReadKeyFile(Autostart())["Desktop Entry"]["Exec"], "\"/opt/a 100%%/DKWT\"");
  EXPECT_EQ(ValidatorComplaints(Autostart()), "");

  ASSERT_TRUE(os::integration::RemoveFromStartup(errorCode));
  EXPECT_FALSE(fs::exists(Autostart()));
  EXPECT_TRUE(os::integration::RemoveFromStartup(errorCode));
}

TEST_F(IntegrationTest, AutostartFollowsTheConfigHomeAndFallsBackToDotConfig) {
  sandbox.SetEnv("XDG_CONFIG_HOME", (sandbox.Root() / "elsewhere").string());
  ASSERT_TRUE(os::integration::AddToStartup("/usr/bin/DKWT", errorCode));
  EXPECT_TRUE(fs::exists(sandbox.Root() / "elsewhere/autostart/Duskwatch.desktop"));
  EXPECT_EQ(ReadKeyFile(sandbox.Root() / "elsewhere/autostart/Duskwatch.desktop")["Desktop Entry"]["Exec"],
            "/usr/bin/DKWT");

  sandbox.UnsetEnv("XDG_CONFIG_HOME");
  ASSERT_TRUE(os::integration::AddToStartup("/usr/bin/DKWT", errorCode));
  EXPECT_TRUE(fs::exists(sandbox.Home() / ".config/autostart/Duskwatch.desktop"));
}

TEST_F(IntegrationTest, AutostartFailureReportsTheSystemCode) {
  Sandbox::WriteFile(sandbox.ConfigHome() / "autostart", "a file where the folder belongs");
  EXPECT_FALSE(os::integration::AddToStartup("/usr/bin/DKWT", errorCode));
  EXPECT_EQ(errorCode, ENOTDIR);
  EXPECT_FALSE(os::integration::AddToStartup("relative/DKWT", errorCode));
  EXPECT_EQ(errorCode, EINVAL);
}

TEST_F(IntegrationTest, InstalledCommandsAreValidAndRunWithBlanksInThePath) {
  fs::path folder = sandbox.Root() / "My Programs/it's \"quoted\" `x` $y\\z";
  fs::path record = sandbox.Root() / "args";
  fs::path program = MakeFakeProgram(folder, record);
  ASSERT_TRUE(os::integration::InstallContextCommands(Commands(program.string(), "confirm"), errorCode));
  EXPECT_EQ(errorCode, 0);

  for (const fs::path& file : {Launcher(), ServiceMenu()}) {
    ASSERT_TRUE(fs::exists(file)) << file;
    EXPECT_EQ(ValidatorComplaints(file), "") << Sandbox::ReadFile(file);
  }
  EXPECT_TRUE(IsExecutable(ServiceMenu()));

  Groups launcher = ReadKeyFile(Launcher());
  Groups serviceMenu = ReadKeyFile(ServiceMenu());
  EXPECT_EQ(launcher["Desktop Entry"]["Actions"], "Shutdown;Lock-PC;Turn-Monitor-off;");
  EXPECT_EQ(serviceMenu["Desktop Entry"]["Actions"], "Shutdown;Lock-PC;Turn-Monitor-off;");
  EXPECT_EQ(serviceMenu["Desktop Entry"]["Type"], "Service");
  EXPECT_EQ(serviceMenu["Desktop Entry"]["X-KDE-ServiceTypes"], "KonqPopupMenu/Plugin");
  EXPECT_EQ(serviceMenu["Desktop Entry"]["MimeType"], "inode/directory;");
  EXPECT_EQ(launcher["Desktop Action Lock-PC"]["Name"], "Lock PC");
  for (const char* group : {"Desktop Action Shutdown", "Desktop Action Lock-PC", "Desktop Action Turn-Monitor-off"})
    EXPECT_EQ(serviceMenu[group], launcher[group]) << group;

  LaunchWithGio(Launcher(), "Lock-PC");
  EXPECT_EQ(WaitForFile(record), "-lock\nconfirm\n");
  fs::remove(record);
  LaunchWithGio(Launcher(), "");
  EXPECT_EQ(WaitForFile(record), "");
  fs::remove(record);

  for (const char* label : {"Shutdown", "Lock PC", "Turn Monitor off"}) {
    fs::path script = Scripts() / label;
    ASSERT_TRUE(IsExecutable(script)) << label;
    int status = 0;
    RunCommand(ShellQuote(script.string()), status);
    EXPECT_EQ(status, 0);
  }
  EXPECT_EQ(Sandbox::ReadFile(record), "-monitor\nconfirm\n");
}

TEST_F(IntegrationTest, RemovalToleratesEntriesDeletedByHand) {
  ASSERT_TRUE(os::integration::InstallContextCommands(Commands("/usr/bin/DKWT", "quiet"), errorCode));
  fs::remove(Scripts() / "Lock PC");
  fs::remove(ServiceMenu());

  ASSERT_TRUE(os::integration::RemoveContextCommands(kLabels, errorCode));
  EXPECT_FALSE(fs::exists(Launcher()));
  EXPECT_FALSE(fs::exists(Scripts()));
  EXPECT_TRUE(fs::exists(sandbox.DataHome() / "nautilus/scripts"));
  EXPECT_TRUE(os::integration::RemoveContextCommands(kLabels, errorCode));
}

TEST_F(IntegrationTest, RemovalFailureIsReported) {
  ASSERT_TRUE(os::integration::InstallContextCommands(Commands("/usr/bin/DKWT", "quiet"), errorCode));
  fs::remove(Scripts() / "Lock PC");
  Sandbox::WriteFile(Scripts() / "Lock PC" / "keep", "a folder cannot be unlinked");
  EXPECT_FALSE(os::integration::RemoveContextCommands(kLabels, errorCode));
  EXPECT_EQ(errorCode, EISDIR);
}

TEST_F(IntegrationTest, FailedInstallationStopsAndLeavesNothingBehind) {
  Sandbox::WriteFile(sandbox.DataHome() / "nautilus", "a file where the folder belongs");
  EXPECT_FALSE(os::integration::InstallContextCommands(Commands("/usr/bin/DKWT", "confirm"), errorCode));
  EXPECT_EQ(errorCode, ENOTDIR);
  EXPECT_FALSE(fs::exists(Launcher()));
  EXPECT_FALSE(fs::exists(ServiceMenu()));

  // Labels that cannot be file names or action names write nothing.
  EXPECT_FALSE(os::integration::InstallContextCommands({{"a/b", "/usr/bin/DKWT", {}}}, errorCode));
  EXPECT_EQ(errorCode, EINVAL);
  // Two labels giving the same action name.
  EXPECT_FALSE(os::integration::InstallContextCommands(
      {{"Lock PC", "/usr/bin/DKWT", {}}, {"Lock-PC", "/usr/bin/DKWT", {}}}, errorCode));
  EXPECT_FALSE(fs::exists(Launcher()));
}

TEST_F(IntegrationTest, LauncherOfSomeoneElseKeepsItsOwnKeysAndActions) {
  Sandbox::WriteFile(Launcher(),
                     "[Desktop Entry]\nType=Application\nName=Duskwatch\nExec=/opt/dkwt/DKWT\nIcon=duskwatch\n"
                     "Actions=Settings;\n\n[Desktop Action Settings]\nName=Settings\nExec=/opt/dkwt/DKWT -settings\n");
  ASSERT_TRUE(os::integration::InstallContextCommands(Commands("/usr/bin/DKWT", "confirm"), errorCode));
  Groups launcher = ReadKeyFile(Launcher());
  EXPECT_EQ(launcher["Desktop Entry"]["Exec"], "/opt/dkwt/DKWT");
  EXPECT_EQ(launcher["Desktop Entry"]["Actions"], "Settings;Shutdown;Lock-PC;Turn-Monitor-off;");

  ASSERT_TRUE(os::integration::RemoveContextCommands(kLabels, errorCode));
  ASSERT_TRUE(fs::exists(Launcher()));
  launcher = ReadKeyFile(Launcher());
  EXPECT_EQ(launcher["Desktop Entry"]["Icon"], "duskwatch");
  EXPECT_EQ(launcher["Desktop Entry"]["Actions"], "Settings;");
  EXPECT_EQ(launcher.count("Desktop Action Shutdown"), 0u);
  EXPECT_EQ(launcher["Desktop Action Settings"]["Exec"], "/opt/dkwt/DKWT -settings");
}

TEST_F(IntegrationTest, ReinstallingFollowsTheProgramsNewPlace) {
  ASSERT_TRUE(os::integration::InstallContextCommands(Commands("/old/DKWT", "confirm"), errorCode));
  ASSERT_TRUE(os::integration::InstallContextCommands(Commands("/new/DKWT", "quiet"), errorCode));
  Groups launcher = ReadKeyFile(Launcher());
  EXPECT_EQ(launcher["Desktop Entry"]["Exec"], "/new/DKWT");
  EXPECT_EQ(launcher["Desktop Entry"]["Actions"], "Shutdown;Lock-PC;Turn-Monitor-off;");
  EXPECT_EQ(launcher["Desktop Action Shutdown"]["Exec"], "/new/DKWT -shutdown quiet");
}
