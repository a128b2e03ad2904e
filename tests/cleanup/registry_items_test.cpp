// The registry items on a seeded store: what goes, what stays, and the
// program's own options, which nothing may touch.
#include "app/settings.h"
#include "cleanup/registry_procedures.h"
#include "os/registry.h"
#include "tests/cleanup/cleanup_harness.h"

namespace {

using os::registry::Hive;

constexpr char kExplorer[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";

std::vector<std::string> Values(const std::string& key) {
  std::vector<std::string> names;
  os::registry::ValueNames(Hive::CurrentUser, key, names);
  return names;
}

}  // namespace

TEST(RegistryItems, WipesNumberedValuesAndTreesAndKeepsTheDefault) {
  CleanupRun run;
  const std::string paint = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List";
  for (const char* name : {"(Default)", "File1", "File2", "File3"})
    os::registry::WriteString(Hive::CurrentUser, paint, name, "C:\\secret.png");
  const std::string mru = std::string(kExplorer) + "StreamMRU";
  for (const char* name : {"0", "1", "2", "MRUListEx"})
    os::registry::WriteString(Hive::CurrentUser, mru, name, "x");
  for (const char* sub : {"0\\Deep", "1", "2"})
    os::registry::WriteString(Hive::CurrentUser, std::string(kExplorer) + "Streams\\" + sub, "Settings", "x");
  os::registry::WriteString(Hive::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU", "a",
                            "secret");
  os::registry::WriteString(Hive::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\UnreadMail\\x@y", "n",
                            "1");
  os::registry::WriteString(Hive::CurrentUser, kSettingsKey, "Close Internet Browsers", "Yes");

  // Every item of the catalogue, as a full clean-up runs them.
  run.selection.SelectAll(true);
  for (const CleanupItem& item : CleanupItems())
    if (item.leaf == CleanupLeaf::FreeSpace || item.id == ItemId::HistoryClipboard)
      run.selection.Set(item.id, false);  // files and the display are tested elsewhere
  run.Collect();

  EXPECT_EQ(Values(paint), std::vector<std::string>{"(Default)"});
  EXPECT_EQ(Values(mru), std::vector<std::string>{"MRUListEx"}) << "only the numbered values of the count go";
  std::vector<std::string> streams;
  os::registry::SubKeys(Hive::CurrentUser, std::string(kExplorer) + "Streams", streams);
  EXPECT_TRUE(streams.empty());
  EXPECT_TRUE(Values(std::string(kExplorer) + "RunMRU").empty());
  EXPECT_FALSE(os::registry::KeyExists(Hive::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\UnreadMail\\x@y"));
  std::string value;
  EXPECT_EQ(os::registry::ReadString(Hive::CurrentUser, kSettingsKey, "Close Internet Browsers", value),
            os::registry::Result::Ok);
  EXPECT_EQ(value, "Yes");
  EXPECT_TRUE(run.host.errors.empty());
}

TEST(RegistryItems, OwnOptionsAndTheKeysAboveThemAreProtected) {
  CleanupRun run;
  os::registry::WriteString(Hive::CurrentUser, kSettingsKey, "Warnings", "No");
  for (const char* key : {"Software\\Duskwatch", "software\\DUSKWATCH\\", "Software\\Duskwatch\\Sub", "Software", ""}) {
    EXPECT_TRUE(cleanup::IsProtectedKey(key)) << key;
    EXPECT_FALSE(cleanup::DeleteKeyTree(key)) << key;
    cleanup::WipeRegistryValues(key, false);
  }
  EXPECT_FALSE(cleanup::IsProtectedKey("Software\\Microsoft\\Internet Explorer\\TypedURLs"));
  EXPECT_FALSE(cleanup::IsProtectedKey("Software\\DuskwatchOther"));
  EXPECT_EQ(Values(kSettingsKey), std::vector<std::string>{"Warnings"});
}
