// Profile files and the registry: the semantics the task files and the
// settings rely on.
#include <gtest/gtest.h>

#include "os/profile.h"
#include "os/registry.h"
#include "windows_test_support.h"

namespace {

using os::registry::Hive;
using os::registry::Result;

TEST(WindowsProfile, ReadsWhatWasWrittenWithTheCallersConventions) {
  wintest::TempFolder folder;
  const std::string file = folder.File("täsk.stask");
  ASSERT_TRUE(os::profile::WriteString(file, "Task", "Path", "C:\\Музыка\\日本.wav"));  // beyond any ANSI code page
  ASSERT_TRUE(os::profile::WriteString(file, "Task", "Minutes", "15"));
  ASSERT_TRUE(os::profile::WriteString(file, "Other", "Key", "\"quoted\""));
  struct Case {
    const char* section;
    const char* key;
    const char* defaultValue;
    std::size_t bufferSize;
    const char* expected;
  } cases[] = {
      {"Task", "Minutes", "", 1024, "15"},
      {"TASK", "minutes", "", 1024, "15"},  // case-insensitive
      {"Task", "Missing", "fallback", 1024, "fallback"},
      {"Nothing", "Minutes", "d", 1024, "d"},
      {"Task", "Minutes", "", 2, "1"},  // cut to the caller's buffer
      {"Other", "Key", "", 1024, "quoted"},
      {"Task", "Path", "", 1024, "C:\\Музыка\\日本.wav"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(os::profile::GetString(file, c.section, c.key, c.defaultValue, c.bufferSize), c.expected)
        << c.section << "/" << c.key;
  EXPECT_EQ(os::profile::GetString(folder.File("absent.ini"), "Task", "Minutes", "none"), "none");

  ASSERT_TRUE(os::profile::WriteString(file, "task", "MINUTES", "20"));  // replaced in place
  EXPECT_EQ(os::profile::KeyNames(file, "Task"), (std::vector<std::string>{"Path", "Minutes"}));
  EXPECT_EQ(os::profile::SectionNames(file), (std::vector<std::string>{"Task", "Other"}));
  EXPECT_TRUE(os::profile::DeleteKey(file, "Task", "Path"));
  EXPECT_TRUE(os::profile::DeleteSection(file, "Other"));
  EXPECT_EQ(os::profile::SectionNames(file), (std::vector<std::string>{"Task"}));
  EXPECT_EQ(os::profile::KeyNames(file, "Task"), (std::vector<std::string>{"Minutes"}));
  EXPECT_TRUE(os::profile::DeleteKey(folder.File("absent.ini"), "Task", "Path"));
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "absent.ini"));
}

// A key of its own under the current user, removed afterwards.
class WindowsRegistry : public ::testing::Test {
 protected:
  void TearDown() override { os::registry::DeleteTree(Hive::CurrentUser, kKey); }
  static constexpr const char* kKey = "Software\\DuskwatchPlatformTest";
};

TEST_F(WindowsRegistry, KeysValuesAndTheirRemoval) {
  const std::string sub = std::string(kKey) + "\\Sub\\Deeper\\";  // trailing backslash ignored
  ASSERT_EQ(os::registry::WriteString(Hive::CurrentUser, sub, "Warnings", "Ja ä"), Result::Ok);
  ASSERT_EQ(os::registry::WriteDword(Hive::CurrentUser, kKey, "Count", 42), Result::Ok);

  std::string text;
  std::uint32_t number = 0;
  EXPECT_EQ(os::registry::ReadString(Hive::CurrentUser, sub, "WARNINGS", text), Result::Ok);
  EXPECT_EQ(text, "Ja ä");
  EXPECT_EQ(os::registry::ReadDword(Hive::CurrentUser, kKey, "count", number), Result::Ok);
  EXPECT_EQ(number, 42u);
  EXPECT_EQ(os::registry::ReadString(Hive::CurrentUser, kKey, "Count", text), Result::Failed);  // wrong type
  EXPECT_EQ(os::registry::ReadString(Hive::CurrentUser, kKey, "Absent", text), Result::NotFound);
  EXPECT_EQ(os::registry::ReadString(Hive::CurrentUser, "Software\\NoSuchKeyHere", "x", text), Result::NotFound);

  std::vector<std::string> names;
  EXPECT_EQ(os::registry::SubKeys(Hive::CurrentUser, kKey, names), Result::Ok);
  EXPECT_EQ(names, std::vector<std::string>{"Sub"});
  EXPECT_EQ(os::registry::ValueNames(Hive::CurrentUser, kKey, names), Result::Ok);
  EXPECT_EQ(names, std::vector<std::string>{"Count"});

  EXPECT_EQ(os::registry::DeleteValue(Hive::CurrentUser, kKey, "Count"), Result::Ok);
  EXPECT_EQ(os::registry::DeleteValue(Hive::CurrentUser, kKey, "Count"), Result::NotFound);
  EXPECT_EQ(os::registry::DeleteTree(Hive::CurrentUser, kKey), Result::Ok);
  EXPECT_FALSE(os::registry::KeyExists(Hive::CurrentUser, kKey));
  EXPECT_EQ(os::registry::DeleteTree(Hive::CurrentUser, kKey), Result::NotFound);
  EXPECT_EQ(os::registry::DeleteTree(Hive::CurrentUser, ""), Result::Failed);  // never the hive
}

}  // namespace
