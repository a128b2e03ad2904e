// The one table of clean-up items agrees with itself and with what the
// clean-up does for each item.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "app/cleanup_items.h"
#include "cleanup/browser_discovery.h"
#include "cleanup/catalogue.h"
#include "cleanup/runner.h"
#include "os/cleanup_locations.h"
#include "tests/support/sandbox.h"

namespace {

TEST(Catalogue, IdsRunInFileOrderAndNamesRoundTrip) {
  ASSERT_EQ(CleanupItems().size(), kCleanupItemCount);
  std::set<std::size_t> ids;
  for (const CleanupItem& item : CleanupItems()) {
    SCOPED_TRACE(std::string(item.key) + "=" + item.token);
    EXPECT_LT(static_cast<std::size_t>(item.id), kCleanupItemCount);
    EXPECT_TRUE(ids.insert(static_cast<std::size_t>(item.id)).second) << "id used twice";
    EXPECT_EQ(&ItemRow(item.id), &item);
    EXPECT_EQ(FindItem(item.key, item.token), item.id) << "(key, token) used twice";
  }
  EXPECT_EQ(FindItem("Free_Space", "Tem"), std::nullopt);
  EXPECT_EQ(FindItem("History", "Temp"), std::nullopt);

  // The keys, walked as the task file is written, visit every id in turn.
  std::size_t next = 0;
  std::set<std::string> keys;
  for (const CleanupKey& key : CleanupKeys()) {
    ASSERT_NE(key.key, nullptr);
    EXPECT_TRUE(keys.insert(key.key).second) << key.key << " split in two runs";
    for (ItemId id : key.items) {
      EXPECT_EQ(static_cast<std::size_t>(id), next++);
      EXPECT_STREQ(ItemRow(id).key, key.key);
    }
  }
  EXPECT_EQ(next, kCleanupItemCount);
}

TEST(Catalogue, TheWindowReadsItsBoxesFromTheTable) {
  std::size_t count = 0;
  for (std::size_t leaf = 0; leaf < kCleanupLeafCount; ++leaf) {
    const auto items = LeafItems(static_cast<CleanupLeaf>(leaf));
    EXPECT_FALSE(items.empty()) << leaf;
    std::set<std::string> labels;
    for (const CleanupItem& item : items) {
      EXPECT_TRUE(labels.insert(item.label).second) << "label twice in a leaf: " << item.label;
      EXPECT_EQ(item.controlId, kFirstCleanupBoxId + static_cast<int>(count)) << item.label;
      EXPECT_NE(std::string(item.description), "") << item.label;
      ++count;
    }
  }
  EXPECT_EQ(count, kCleanupItemCount) << "a leaf's rows are one run of the table, in tree order";
  EXPECT_EQ(kFirstCleanupBoxId + static_cast<int>(kCleanupItemCount) - 1, kLastCleanupBoxId);
}

TEST(Catalogue, EveryItemRunsOrSaysWhyNot) {
  // Items whose procedures find their own places (the clipboard, the registry,
  // the browsers' profiles) and need no row of the location table.
  const auto needsNoLocation = [](const CleanupItem& item, const cleanup::CatalogueEntry& entry) {
    return entry.probe || item.browser == BrowserFamily::Firefox || item.browser == BrowserFamily::Opera ||
           item.browser == BrowserFamily::Chrome || item.id == ItemId::HistoryClipboard;
  };
  std::set<ItemId> seen;
  for (const cleanup::CatalogueEntry& entry : cleanup::Catalogue()) {
    const CleanupItem& item = ItemRow(entry.id);
    SCOPED_TRACE(std::string(item.key) + "=" + item.token);
    EXPECT_TRUE(seen.insert(entry.id).second) << "processed twice";
    EXPECT_EQ(cleanup::EntryOf(entry.id), &entry);
    const cleanup::Availability availability = cleanup::ItemAvailability(entry.id);
    if (!entry.collect) {
      EXPECT_FALSE(availability.available) << "a box that would do nothing";
    } else if (!availability.available) {
      EXPECT_FALSE(availability.reason.empty());
    } else {
      EXPECT_TRUE(needsNoLocation(item, entry) || os::cleanup_locations::HasRow(item.key, item.token))
          << "available, but this platform names no place for it";
    }
  }
  EXPECT_EQ(seen.size(), kCleanupItemCount);
  // Every location row belongs to an item.
  for (const os::cleanup_locations::Location& row : os::cleanup_locations::Table())
    EXPECT_TRUE(FindItem(row.key, row.token)) << row.key << "=" << row.token;
}

TEST(Catalogue, BrowserItemsNameBrowsersTheCleanUpCloses) {
  for (const CleanupItem& item : CleanupItems()) {
    if (item.browser == BrowserFamily::None)
      continue;
    const auto& table = cleanup::BrowserProcessTable();
    EXPECT_TRUE(std::any_of(table.begin(), table.end(),
                            [&](const cleanup::BrowserProcesses& browser) { return browser.family == item.browser; }))
        << item.key << "=" << item.token;
  }
  // The browser procedures report with these codes themselves.
  EXPECT_EQ(ItemRow(ItemId::CacheFirefox).codes.lookupFailed, cleanup::kAppDataFailed);
  EXPECT_EQ(ItemRow(ItemId::CacheFirefox).codes.invalidArgument, cleanup::kAppDataInvalid);
  EXPECT_EQ(ItemRow(ItemId::CacheOpera).codes.traversal, cleanup::kBrowserNoPath);
}

}  // namespace

// A browser family's boxes are available once any of its roots exists,
// whichever packaging it is.
TEST(Catalogue, BrowserBoxesFollowTheirFamilysRoots) {
  Sandbox sandbox;
  const std::string home = sandbox.Home().string();
  struct Case {
    ItemId item;
    std::string root;
  };
  const Case cases[] = {
      {ItemId::CacheFirefox, home + "/.var/app/org.mozilla.firefox/.mozilla/firefox"},
      {ItemId::CookiesChrome, home + "/snap/brave/current/.config/BraveSoftware/Brave-Browser"},
      {ItemId::SessionOpera, home + "/snap/opera/current/.config/opera"},
  };
  for (const Case& c : cases) {
    const cleanup::Availability before = cleanup::ItemAvailability(c.item);
    EXPECT_FALSE(before.available) << c.root;
    EXPECT_EQ(before.reason, kNoSuchBrowser);
    std::filesystem::create_directories(c.root);
    EXPECT_TRUE(cleanup::ItemAvailability(c.item).available) << c.root;
  }
}
