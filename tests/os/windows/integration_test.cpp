// Start with Windows and the Explorer commands: what lands in the registry.
#include <gtest/gtest.h>

#include "os/integration.h"
#include "os/registry.h"
#include "os/sysinfo.h"
#include "windows_test_support.h"

namespace {

using os::registry::Hive;
using os::registry::Result;

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string ShellRoot() {
  return os::sysinfo::ModernPowerApi() ? "Software\\Classes\\Directory\\Background\\shell"
                                       : "Software\\Classes\\Folder\\shell";
}

// The user's own start-up value survives the test.
class WindowsStartup : public ::testing::Test {
 protected:
  void SetUp() override { m_had = os::registry::ReadString(Hive::CurrentUser, kRunKey, "Duskwatch", m_old) == Result::Ok; }
  void TearDown() override {
    if (m_had)
      os::registry::WriteString(Hive::CurrentUser, kRunKey, "Duskwatch", m_old);
    else
      os::registry::DeleteValue(Hive::CurrentUser, kRunKey, "Duskwatch");
  }
  bool m_had = false;
  std::string m_old;
};

TEST_F(WindowsStartup, RunValueHoldsThePathQuotedOnlyWhenItHasBlanks) {
  struct Case {
    const char* executable;
    const char* stored;
  } cases[] = {
      {"C:\\Tools\\DKWT.exe", "C:\\Tools\\DKWT.exe"},
      {"C:\\Program Files\\Duskwatch\\DKWT.exe", "\"C:\\Program Files\\Duskwatch\\DKWT.exe\""},
  };
  for (const Case& c : cases) {
    int error = 0;
    ASSERT_TRUE(os::integration::AddToStartup(c.executable, error)) << error;
    std::string value;
    EXPECT_EQ(os::registry::ReadString(Hive::CurrentUser, kRunKey, "Duskwatch", value), Result::Ok);
    EXPECT_EQ(value, c.stored);
  }
  int error = 0;
  EXPECT_TRUE(os::integration::RemoveFromStartup(error));
  std::string gone;
  EXPECT_EQ(os::registry::ReadString(Hive::CurrentUser, kRunKey, "Duskwatch", gone), Result::NotFound);
  EXPECT_TRUE(os::integration::RemoveFromStartup(error)) << "already gone counts as removed";
}

TEST(WindowsContextCommands, InstallWritesCommandKeysRemoveToleratesMissingOnes) {
  const std::vector<os::integration::Command> commands = {
      {"DKWT Test Lock", "C:\\Program Files\\Duskwatch\\DKWT.exe", {"-lock", "confirm"}},
      {"DKWT Test Monitor", "C:\\DKWT.exe", {"-monitor", "quiet"}},
  };
  int error = 0;
  ASSERT_TRUE(os::integration::InstallContextCommands(commands, error)) << error;
  std::string line;
  EXPECT_EQ(os::registry::ReadString(Hive::CurrentUser, ShellRoot() + "\\DKWT Test Lock\\command", "", line), Result::Ok);
  EXPECT_EQ(line, "\"C:\\Program Files\\Duskwatch\\DKWT.exe\" -lock confirm");
  EXPECT_EQ(os::registry::ReadString(Hive::CurrentUser, ShellRoot() + "\\DKWT Test Monitor\\command", "", line),
            Result::Ok);
  EXPECT_EQ(line, "C:\\DKWT.exe -monitor quiet");

  os::registry::DeleteTree(Hive::CurrentUser, ShellRoot() + "\\DKWT Test Lock");  // deleted by hand
  EXPECT_TRUE(os::integration::RemoveContextCommands({"DKWT Test Lock", "DKWT Test Monitor"}, error));
  EXPECT_FALSE(os::registry::KeyExists(Hive::CurrentUser, ShellRoot() + "\\DKWT Test Monitor"));

  // A label that cannot be a key name fails before anything is written.
  const std::vector<os::integration::Command> bad = {commands[1], {"a\\b", "C:\\DKWT.exe", {}}};
  EXPECT_FALSE(os::integration::InstallContextCommands(bad, error));
  EXPECT_NE(error, 0);
  EXPECT_FALSE(os::registry::KeyExists(Hive::CurrentUser, ShellRoot() + "\\DKWT Test Monitor"));
}

}  // namespace
