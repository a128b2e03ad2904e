#include "os/shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/support/sandbox.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Waits for a handler to write its marker; launched programs run on their own.
std::string WaitForMarker(const fs::path& marker) {
  auto until = std::chrono::steady_clock::now() + 10s;
  while (!fs::exists(marker) && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(50ms);
  return Sandbox::ReadFile(marker);
}

void MakeExecutable(const fs::path& path) {
  fs::permissions(path, fs::perms::owner_exec, fs::perm_options::add);
}

// A sandboxed desktop: a MIME type for *.dkwttest whose default application
// (and the folder handler's) writes the path it was given into a marker.
class ShellLaunch : public testing::Test {
 protected:
  void SetUp() override {
    m_sandbox.UnsetEnv("DKWT_DRY_RUN");
    // No session bus: GIO must not start one (dbus-launch) to announce launches.
    m_sandbox.SetEnv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (m_sandbox.Root() / "no-bus").string());
    auto data = m_sandbox.DataHome();
    Sandbox::WriteFile(data / "mime/packages/dkwt-test.xml",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                       "  <mime-type type=\"application/x-dkwt-test\">\n"
                       "    <comment>Duskwatch test file</comment>\n"
                       "    <glob pattern=\"*.dkwttest\"/>\n"
                       "  </mime-type>\n"
                       "</mime-info>\n");
    std::string update = "update-mime-database '" + (data / "mime").string() + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(update.c_str()), 0);

    auto handler = m_sandbox.Root() / "handler.sh";
    Sandbox::WriteFile(handler, "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" + Marker().string() + ".tmp' && mv '" +
                                    Marker().string() + ".tmp' '" + Marker().string() + "'\n");
    MakeExecutable(handler);
    Sandbox::WriteFile(data / "applications/dkwt-test-handler.desktop",
                       "[Desktop Entry]\nType=Application\nName=Duskwatch test handler\nExec=" + handler.string() +
                           " %f\nMimeType=application/x-dkwt-test;inode/directory;\nNoDisplay=true\n");
    Sandbox::WriteFile(m_sandbox.ConfigHome() / "mimeapps.list",
                       "[Default Applications]\napplication/x-dkwt-test=dkwt-test-handler.desktop\n"
                       "inode/directory=dkwt-test-handler.desktop\n");
  }

  fs::path Marker() const { return m_sandbox.Root() / "marker"; }

  // GIO reads the XDG folders once per process, so each launch runs in a fresh one.
  std::string Run(const std::string& mode, const fs::path& path) {
    auto output = m_sandbox.Root() / "launcher.out";
    std::string command = "'" DKWT_SHELL_LAUNCHER "' " + mode + " '" + path.string() + "' > '" + output.string() + "'";
    std::system(command.c_str());
    return Sandbox::ReadFile(output);
  }

  Sandbox m_sandbox;
};

}  // namespace

TEST(ShellKnownExtension, AsksTheSystemsFileTypes) {
  EXPECT_TRUE(os::shell::IsKnownExtension("txt"));
  EXPECT_TRUE(os::shell::IsKnownExtension("sh"));
  EXPECT_TRUE(os::shell::IsKnownExtension("png"));
  EXPECT_TRUE(os::shell::IsKnownExtension(".png"));
  EXPECT_FALSE(os::shell::IsKnownExtension("qqqzzz"));
  EXPECT_FALSE(os::shell::IsKnownExtension(""));
  EXPECT_FALSE(os::shell::IsKnownExtension("."));
}

TEST(ShellDryRun, RecordsLaunchesOfExistingFilesOnly) {
  Sandbox sandbox;
  auto log = sandbox.Root() / "dry-run.log";
  sandbox.SetEnv("DKWT_DRY_RUN", log.string());
  auto script = sandbox.Root() / "my script.sh";
  auto marker = sandbox.Root() / "ran";
  Sandbox::WriteFile(script, "#!/bin/sh\ntouch '" + marker.string() + "'\n");
  MakeExecutable(script);

  int code = -1;
  std::string text = "stale";
  EXPECT_TRUE(os::shell::LaunchDefault(script.string(), code, text));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(text, "");
  EXPECT_TRUE(os::shell::OpenFolder(sandbox.Root().string(), code));

  // A missing file fails as it would for real, and nothing is recorded.
  EXPECT_FALSE(os::shell::LaunchDefault((sandbox.Root() / "missing.txt").string(), code, text));
  EXPECT_EQ(code, 2);
  EXPECT_FALSE(text.empty());
  EXPECT_FALSE(os::shell::LaunchDefault("", code, text));
  EXPECT_EQ(code, 2);
  EXPECT_FALSE(os::shell::OpenFolder((sandbox.Root() / "missing").string(), code));
  EXPECT_EQ(code, 2);
  EXPECT_FALSE(os::shell::OpenFolder(script.string(), code));
  EXPECT_EQ(code, 20);  // ENOTDIR

  EXPECT_EQ(Sandbox::ReadFile(log),
            "launch path=\"" + script.string() + "\"\nopen path=" + sandbox.Root().string() + "\n");
  std::this_thread::sleep_for(200ms);
  EXPECT_FALSE(fs::exists(marker));
}

TEST_F(ShellLaunch, OpensADocumentWithItsDefaultApplication) {
  auto document = m_sandbox.Root() / "docs/report.dkwttest";
  Sandbox::WriteFile(document, "hello\n");
  EXPECT_EQ(Run("launch", document), "ok\n");
  EXPECT_EQ(WaitForMarker(Marker()), document.string() + "\n");
}

TEST_F(ShellLaunch, AnExecutableDocumentWithoutInterpreterLineIsOpenedNotRun) {
  auto document = m_sandbox.Root() / "report.dkwttest";
  Sandbox::WriteFile(document, "touch should-not-exist\n");
  MakeExecutable(document);
  EXPECT_EQ(Run("launch", document), "ok\n");
  EXPECT_EQ(WaitForMarker(Marker()), document.string() + "\n");
  EXPECT_FALSE(fs::exists(m_sandbox.Root() / "should-not-exist"));
}

TEST_F(ShellLaunch, RunsAnExecutableScriptInItsFolder) {
  auto folder = m_sandbox.Root() / "tools";
  auto script = folder / "job.sh";
  Sandbox::WriteFile(script, "#!/bin/sh\npwd > '" + Marker().string() + ".tmp' && mv '" + Marker().string() +
                                 ".tmp' '" + Marker().string() + "'\n");
  MakeExecutable(script);
  EXPECT_EQ(Run("launch", script), "ok\n");
  EXPECT_EQ(WaitForMarker(Marker()), folder.string() + "\n");
}

TEST_F(ShellLaunch, OpensAFolderWithTheFolderHandler) {
  auto folder = m_sandbox.Root() / "some folder";
  fs::create_directories(folder);
  EXPECT_EQ(Run("open", folder), "ok\n");
  EXPECT_EQ(WaitForMarker(Marker()), folder.string() + "\n");
}

TEST_F(ShellLaunch, ReportsAMissingFileAndAFailingProgram) {
  EXPECT_EQ(Run("launch", m_sandbox.Root() / "missing.dkwttest"), "fail 2 No such file or directory\n");
  // An interpreter line naming a program that does not exist.
  auto script = m_sandbox.Root() / "broken.sh";
  Sandbox::WriteFile(script, "#!/nonexistent/interpreter\n");
  MakeExecutable(script);
  std::string result = Run("launch", script);
  EXPECT_EQ(result.rfind("fail 2 ", 0), 0u) << result;
}
