#include "os/registry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/sandbox.h"

namespace fs = std::filesystem;
using namespace os::registry;

namespace {

const Hive kUser = Hive::CurrentUser;
const std::string kKey = "Software\\Duskwatch\\";

class RegistryTest : public testing::Test {
 protected:
  std::string Store() const { return Sandbox::ReadFile(StorePath()); }
  void PutStore(const std::string& content) const { Sandbox::WriteFile(StorePath(), content); }
  std::string String(const std::string& key, const std::string& name) const {
    std::string value = "<unset>";
    Result result = ReadString(kUser, key, name, value);
    return result == Result::Ok ? value : result == Result::NotFound ? "<not found>" : "<failed>";
  }
  std::vector<std::string> Sub(const std::string& key) const {
    std::vector<std::string> names;
    EXPECT_EQ(SubKeys(kUser, key, names), Result::Ok) << key;
    return names;
  }
  std::vector<std::string> Values(const std::string& key) const {
    std::vector<std::string> names;
    EXPECT_EQ(ValueNames(kUser, key, names), Result::Ok) << key;
    return names;
  }

  Sandbox sandbox;
};

TEST_F(RegistryTest, LivesInTheConfigFolder) {
  EXPECT_EQ(StorePath(), (sandbox.ConfigHome() / "Duskwatch/HKEY_CURRENT_USER.reg").string());
  sandbox.UnsetEnv("XDG_CONFIG_HOME");
  EXPECT_EQ(StorePath(), (sandbox.Home() / ".config/Duskwatch/HKEY_CURRENT_USER.reg").string());
  sandbox.SetEnv("XDG_CONFIG_HOME", "relative/ignored");
  EXPECT_EQ(StorePath(), (sandbox.Home() / ".config/Duskwatch/HKEY_CURRENT_USER.reg").string());
}

TEST_F(RegistryTest, StringsAndDwordsRoundTrip) {
  EXPECT_EQ(String(kKey, "Confirm"), "<not found>");
  EXPECT_FALSE(fs::exists(StorePath()));
  ASSERT_EQ(WriteString(kUser, kKey, "Confirm", "Yes"), Result::Ok);
  ASSERT_EQ(WriteDword(kUser, kKey, "Delay", 30), Result::Ok);
  ASSERT_EQ(WriteString(kUser, kKey, "", "default"), Result::Ok);
  ASSERT_EQ(WriteDword(kUser, kKey, "Max", 0xffffffffu), Result::Ok);
  EXPECT_EQ(String(kKey, "Confirm"), "Yes");
  EXPECT_EQ(String(kKey, ""), "default");
  std::uint32_t number = 0;
  EXPECT_EQ(ReadDword(kUser, kKey, "Delay", number), Result::Ok);
  EXPECT_EQ(number, 30u);
  EXPECT_EQ(ReadDword(kUser, kKey, "Max", number), Result::Ok);
  EXPECT_EQ(number, 0xffffffffu);
  // The other type is a mismatch, not a miss.
  EXPECT_EQ(ReadDword(kUser, kKey, "Confirm", number), Result::Failed);
  EXPECT_EQ(String(kKey, "Delay"), "<failed>");

  std::string store = Store();
  EXPECT_NE(store.find("[Software\\Duskwatch]\n\"Confirm\"=\"Yes\"\n\"Delay\"=dword:0000001e\n@=\"default\"\n"),
            std::string::npos)
      << store;

  // Overwriting changes the line in place, also across types.
  ASSERT_EQ(WriteDword(kUser, kKey, "Confirm", 1), Result::Ok);
  EXPECT_EQ(ReadDword(kUser, kKey, "confirm", number), Result::Ok);
  EXPECT_EQ(number, 1u);
  EXPECT_EQ(Values(kKey), (std::vector<std::string>{"Confirm", "Delay", "", "Max"}));
}

TEST_F(RegistryTest, SpecialCharactersStayOnOneLine) {
  const std::string nasty = "quote\" back\\slash\nnew line\r\ttab \x01 Zürich ]=[x]";
  ASSERT_EQ(WriteString(kUser, kKey, nasty, nasty), Result::Ok);
  ASSERT_EQ(WriteString(kUser, kKey, "@", "at"), Result::Ok);
  ASSERT_EQ(WriteString(kUser, kKey, "after", "ok"), Result::Ok);
  EXPECT_EQ(String(kKey, nasty), nasty);
  EXPECT_EQ(String(kKey, "@"), "at");
  EXPECT_EQ(String(kKey, ""), "<not found>");
  EXPECT_EQ(String(kKey, "after"), "ok");
  EXPECT_NE(Store().find("\"quote\\\" back\\\\slash\\nnew line\\r\\ttab \\x01 Zürich ]=[x]\""), std::string::npos);
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  ASSERT_EQ(WriteString(kUser, "Software\\Duskwatch", "Confirm", "Yes"), Result::Ok);
  ASSERT_EQ(WriteString(kUser, "SOFTWARE\\duskwatch\\", "CONFIRM", "No"), Result::Ok);
  ASSERT_EQ(WriteString(kUser, "software\\DUSKWATCH\\Extras", "x", "1"), Result::Ok);
  EXPECT_EQ(String("software\\duskwatch", "confirm"), "No");
  EXPECT_EQ(Values(kKey), std::vector<std::string>{"Confirm"});
  EXPECT_EQ(Sub("SOFTWARE"), std::vector<std::string>{"Duskwatch"});
  std::string store = Store();
  EXPECT_NE(store.find("[Software\\Duskwatch\\Extras]"), std::string::npos) << store;
  EXPECT_NE(store.find("\"Confirm\"=\"No\""), std::string::npos) << store;
}

TEST_F(RegistryTest, KeysHaveParentsAndEnumerate) {
  EXPECT_FALSE(KeyExists(kUser, "Software"));
  EXPECT_TRUE(KeyExists(kUser, ""));  // the hive itself
  ASSERT_EQ(CreateKey(kUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"), Result::Ok);
  ASSERT_EQ(CreateKey(kUser, "Software\\Duskwatch"), Result::Ok);
  ASSERT_EQ(WriteString(kUser, "Software\\Duskwatch\\Tasks\\Night", "a", "b"), Result::Ok);
  EXPECT_TRUE(KeyExists(kUser, "Software"));
  EXPECT_TRUE(KeyExists(kUser, "Software\\Microsoft\\Windows"));
  EXPECT_TRUE(KeyExists(kUser, "software\\microsoft\\windows\\currentversion\\run\\"));
  EXPECT_FALSE(KeyExists(kUser, "Software\\Micro"));
  EXPECT_FALSE(KeyExists(kUser, "Software\\\\Duskwatch"));
  EXPECT_EQ(Sub(""), std::vector<std::string>{"Software"});
  EXPECT_EQ(Sub("Software"), (std::vector<std::string>{"Microsoft", "Duskwatch"}));
  EXPECT_EQ(Sub("Software\\Duskwatch\\Tasks\\Night"), std::vector<std::string>{});
  EXPECT_EQ(Values("Software\\Microsoft"), std::vector<std::string>{});

  std::vector<std::string> names{"stale"};
  EXPECT_EQ(SubKeys(kUser, "Software\\Nothing", names), Result::NotFound);
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(ValueNames(kUser, "Software\\Nothing", names), Result::NotFound);

  // Creating what exists changes nothing.
  std::string before = Store();
  ASSERT_EQ(CreateKey(kUser, "Software\\Microsoft"), Result::Ok);
  EXPECT_EQ(Store(), before);
  EXPECT_EQ(CreateKey(kUser, "A\\\\B"), Result::Failed);
  EXPECT_EQ(CreateKey(kUser, "A\nB"), Result::Failed);
}

TEST_F(RegistryTest, DeletesValuesAndTrees) {
  ASSERT_EQ(WriteString(kUser, "Software\\Dusk", "keep", "1"), Result::Ok);
  ASSERT_EQ(WriteString(kUser, kKey, "a", "1"), Result::Ok);
  ASSERT_EQ(WriteString(kUser, kKey, "b", "2"), Result::Ok);
  ASSERT_EQ(WriteString(kUser, "Software\\Duskwatch\\Sub\\Deeper", "c", "3"), Result::Ok);
  ASSERT_EQ(WriteString(kUser, "Software\\Other", "d", "4"), Result::Ok);

  EXPECT_EQ(DeleteValue(kUser, kKey, "A"), Result::Ok);
  EXPECT_EQ(String(kKey, "a"), "<not found>");
  EXPECT_EQ(DeleteValue(kUser, kKey, "a"), Result::NotFound);
  EXPECT_EQ(DeleteValue(kUser, "Software\\Nothing", "a"), Result::NotFound);
  EXPECT_EQ(Values(kKey), std::vector<std::string>{"b"});

  EXPECT_EQ(DeleteTree(kUser, "software\\duskwatch"), Result::Ok);
  EXPECT_FALSE(KeyExists(kUser, kKey));
  EXPECT_FALSE(KeyExists(kUser, "Software\\Duskwatch\\Sub\\Deeper"));
  EXPECT_EQ(String("Software\\Dusk", "keep"), "1");  // a name that merely starts the same
  EXPECT_EQ(String("Software\\Other", "d"), "4");
  EXPECT_EQ(Sub("Software"), (std::vector<std::string>{"Dusk", "Other"}));
  EXPECT_EQ(DeleteTree(kUser, kKey), Result::NotFound);
  EXPECT_EQ(DeleteTree(kUser, ""), Result::Failed);
  EXPECT_EQ(Store().find("Duskwatch]"), std::string::npos);
}

TEST_F(RegistryTest, OtherHivesAreEmptyAndReadOnly) {
  ASSERT_EQ(WriteString(kUser, kKey, "a", "1"), Result::Ok);
  std::string before = Store();
  for (Hive hive : {Hive::LocalMachine, Hive::ClassesRoot}) {
    std::string text;
    std::uint32_t number = 0;
    std::vector<std::string> names;
    EXPECT_EQ(ReadString(hive, kKey, "a", text), Result::NotFound);
    EXPECT_EQ(ReadDword(hive, kKey, "a", number), Result::NotFound);
    EXPECT_EQ(SubKeys(hive, "", names), Result::NotFound);
    EXPECT_EQ(ValueNames(hive, kKey, names), Result::NotFound);
    EXPECT_FALSE(KeyExists(hive, kKey));
    EXPECT_FALSE(KeyExists(hive, ""));
    EXPECT_EQ(WriteString(hive, kKey, "a", "2"), Result::Failed);
    EXPECT_EQ(WriteDword(hive, kKey, "a", 2), Result::Failed);
    EXPECT_EQ(CreateKey(hive, "Directory\\Background\\shell\\Duskwatch"), Result::Failed);
    EXPECT_EQ(DeleteValue(hive, kKey, "a"), Result::NotFound);
    EXPECT_EQ(DeleteTree(hive, kKey), Result::NotFound);
  }
  EXPECT_EQ(Store(), before);
}

TEST_F(RegistryTest, ReadsTheFileAgainOnEveryCall) {
  ASSERT_EQ(WriteString(kUser, kKey, "a", "1"), Result::Ok);
  // Another process (or a person) edits the file, with CRLF and a BOM.
  PutStore("\xEF\xBB\xBF[Software\\Duskwatch]\r\n  \"a\" = \"2\"  \r\n\"n\"=DWORD:1F\r\n");
  EXPECT_EQ(String(kKey, "a"), "2");
  std::uint32_t number = 0;
  EXPECT_EQ(ReadDword(kUser, kKey, "N", number), Result::Ok);
  EXPECT_EQ(number, 31u);
  ASSERT_EQ(WriteString(kUser, kKey, "b", "3"), Result::Ok);
  EXPECT_EQ(Store(), "\xEF\xBB\xBF[Software\\Duskwatch]\r\n  \"a\" = \"2\"  \r\n\"n\"=DWORD:1F\r\n\"b\"=\"3\"\r\n");
}

TEST_F(RegistryTest, CorruptLinesAreKeptAndNeverMatch) {
  const std::string corrupt =
      "\x01\x02 binary \xff\n"
      "\"lost\"=\"before any key\"\n"
      "[Software\\Duskwatch]\n"
      "\"a\"=\"1\"\n"
      "\"unterminated=\"x\n"
      "\"bad escape\"=\"\\q\"\n"
      "\"hex\"=hex:01,02\n"
      "\"big\"=dword:123456789\n"
      "\"trailing\"=\"x\" junk\n"
      "[Software\\\\Broken]\n"
      "\"b\"=\"inside a broken key\"\n"
      "[unclosed\n"
      + std::string(2 * 1024 * 1024, 'z') + "\n";
  PutStore(corrupt);
  EXPECT_EQ(String(kKey, "a"), "1");
  for (const char* name : {"lost", "unterminated", "bad escape", "hex", "big", "trailing", "b"})
    EXPECT_EQ(String(kKey, name), "<not found>") << name;
  EXPECT_EQ(Values(kKey), std::vector<std::string>{"a"});

  ASSERT_EQ(WriteString(kUser, kKey, "a", "2"), Result::Ok);
  ASSERT_EQ(WriteString(kUser, kKey, "new", "3"), Result::Ok);
  std::string expected = corrupt;
  expected.replace(expected.find("\"a\"=\"1\""), 7, "\"a\"=\"2\"");
  expected.insert(expected.find("[Software\\\\Broken]"), "\"new\"=\"3\"\n");
  EXPECT_EQ(Store(), expected);
  EXPECT_EQ(String(kKey, "new"), "3");
}

TEST_F(RegistryTest, AnUnreadableStoreIsLeftAlone) {
  fs::create_directories(StorePath());  // a folder where the file should be
  EXPECT_EQ(String(kKey, "a"), "<failed>");
  EXPECT_EQ(WriteString(kUser, kKey, "a", "1"), Result::Failed);
  EXPECT_EQ(CreateKey(kUser, kKey), Result::Failed);
  EXPECT_FALSE(KeyExists(kUser, kKey));
  EXPECT_TRUE(fs::is_directory(StorePath()));
  fs::remove(StorePath());

  if (geteuid() == 0)
    GTEST_SKIP() << "root reads any file";
  PutStore("[Software\\Duskwatch]\n\"a\"=\"1\"\n");
  fs::permissions(StorePath(), fs::perms::none);
  EXPECT_EQ(String(kKey, "a"), "<failed>");
  EXPECT_EQ(WriteString(kUser, kKey, "a", "2"), Result::Failed);
  EXPECT_EQ(DeleteTree(kUser, kKey), Result::Failed);
  fs::permissions(StorePath(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Store(), "[Software\\Duskwatch]\n\"a\"=\"1\"\n");
}

TEST_F(RegistryTest, LeavesNoTemporaryFiles) {
  for (int i = 0; i < 20; ++i)
    ASSERT_EQ(WriteDword(kUser, kKey, "n" + std::to_string(i % 3), static_cast<std::uint32_t>(i)), Result::Ok);
  ASSERT_EQ(DeleteTree(kUser, kKey), Result::Ok);
  std::vector<std::string> entries;
  for (const auto& entry : fs::directory_iterator(fs::path(StorePath()).parent_path()))
    entries.push_back(entry.path().filename().string());
  EXPECT_EQ(entries, std::vector<std::string>{"HKEY_CURRENT_USER.reg"});
}

}  // namespace
