// The Firefox items on generated profiles of today's Firefox ESR and of the
// old layouts.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <unistd.h>

#include <filesystem>

#include "cleanup/browser_database.h"
#include "cleanup/browser_procedures.h"
#include "tests/cleanup/browser_sink.h"
#include "tests/support/sandbox.h"
#include "tools/fixtures/browser_fixtures.h"

using namespace cleanup;
using fixtures::Count;
using fixtures::Text;

namespace {

class FirefoxItemsTest : public testing::Test {
 protected:
  void Make(const std::string& lastVersion = "153.8.0_20261117185949/20261117185949") {
    profile = fixtures::MakeFirefoxProfile(sandbox.Home().string(), sandbox.ConfigHome().string(),
                                           sandbox.CacheHome().string(), scale, true, lastVersion);
    Discover();
  }
  void Discover() { DiscoverBrowserFields(sink.task, sink.ignoreBrowserVersion, sink.places); }
  std::string Places() const { return profile.folder + "/places.sqlite"; }
  std::string Icons() const { return profile.folder + "/favicons.sqlite"; }
  // Every bookmark still points at its page.
  void ExpectBookmarksIntact() {
    EXPECT_EQ(Count(Places(), "SELECT count(*) FROM moz_bookmarks WHERE type = 1"), scale.bookmarks);
    EXPECT_EQ(Count(Places(), "SELECT count(*) FROM moz_bookmarks b WHERE b.fk IS NOT NULL AND NOT EXISTS (SELECT 1 "
                              "FROM moz_places p WHERE p.id = b.fk)"),
              0);
    EXPECT_EQ(fixtures::IntegrityCheck(Places()), "ok");
  }

  Sandbox sandbox;
  fixtures::Scale scale;
  fixtures::FirefoxProfile profile;
  RecordingSink sink;
};

bool FileContains(const std::string& path, const std::string& needle) {
  return Sandbox::ReadFile(path).find(needle) != std::string::npos;
}

TEST_F(FirefoxItemsTest, HistoryKeepsBookmarksAndLeavesNoTraceOfTheRest) {
  Make();
  const long long origins = Count(Places(), "SELECT count(DISTINCT origin_id) FROM moz_places WHERE id <= 20");
  // Whatever moz_newtab_* tables a version makes are emptied, odd names too.
  ASSERT_TRUE(fixtures::Exec(Places(), "CREATE TABLE \"moz_newtab_x\"\"y\" (a); INSERT INTO \"moz_newtab_x\"\"y\" VALUES (1)"));
  const std::string guids = "SELECT group_concat(guid, ',') FROM (SELECT guid FROM moz_bookmarks UNION ALL SELECT "
                            "guid FROM moz_places WHERE id <= 20)";
  const std::string guidsBefore = Text(Places(), guids);
  FirefoxHistory(sink);
  EXPECT_TRUE(sink.errors.empty());
  EXPECT_TRUE(sink.files.empty());  // edited in place
  ExpectBookmarksIntact();
  EXPECT_EQ(Text(Places(), guids), guidsBefore);
  EXPECT_EQ(Count(Places(), "SELECT count(*) FROM moz_places"), scale.bookmarks);
  for (const char* table : {"moz_historyvisits", "moz_inputhistory", "moz_places_metadata",
                            "moz_places_metadata_search_queries", "moz_annos", "moz_historyvisits_extra",
                            "moz_newtab_shortcuts_interaction", "moz_newtab_story_click",
                            "moz_newtab_story_impression", "\"moz_newtab_x\"\"y\""}) {
    SCOPED_TRACE(table);
    EXPECT_EQ(Count(Places(), std::string("SELECT count(*) FROM ") + table), 0);
  }
  // The kept pages and origins keep nothing of their visits.
  EXPECT_EQ(Count(Places(), "SELECT count(*) FROM moz_places WHERE visit_count <> 0 OR typed <> 0 OR "
                            "last_visit_date IS NOT NULL OR frecency <> -1 OR alt_frecency IS NOT NULL OR "
                            "recalc_frecency <> 1"),
            0);
  EXPECT_EQ(Count(Places(), "SELECT count(*) FROM moz_origins WHERE frecency <> -1 OR recalc_frecency <> 1"), 0);
  EXPECT_EQ(Text(Places(), "SELECT group_concat(key) FROM moz_meta"), "sync/bookmarks/syncId");
  EXPECT_EQ(Count(Places(), "SELECT count(*) FROM moz_origins"), origins);
  EXPECT_EQ(Count(Places(), "SELECT count(*) FROM moz_places_extra"), 1);
  // favicons.sqlite keeps the bookmarked pages' icons only.
  EXPECT_EQ(Count(Icons(), "SELECT count(*) FROM moz_pages_w_icons"), scale.bookmarks);
  EXPECT_EQ(Count(Icons(), "SELECT count(*) FROM moz_icons_to_pages"), scale.bookmarks);
  EXPECT_EQ(Count(Icons(), "SELECT count(*) FROM moz_icons"), scale.bookmarks);
  EXPECT_EQ(fixtures::IntegrityCheck(Icons()), "ok");
  // The deleted URL is gone from the files themselves, -wal included.
  for (const std::string& file : {Places(), Places() + "-wal", Icons(), Icons() + "-wal"}) {
    SCOPED_TRACE(file);
    if (std::filesystem::exists(file)) {
      EXPECT_FALSE(FileContains(file, "site0.example/page/150"));
    }
  }
}

TEST_F(FirefoxItemsTest, PlacesWithTriggersLoseOnlyTheUnbookmarkedRows) {
  scale = {60, 90, 6, 5, 2, 2};
  Make();
  // Emptying and refilling moz_places would fire the trigger for the kept rows too.
  ASSERT_TRUE(fixtures::Exec(Places(), "CREATE TABLE gone(id); CREATE TRIGGER t AFTER DELETE ON moz_places BEGIN "
                                       "INSERT INTO gone VALUES (old.id); END"));
  FirefoxHistory(sink);
  EXPECT_TRUE(sink.errors.empty());
  ExpectBookmarksIntact();
  EXPECT_EQ(Count(Places(), "SELECT count(*) FROM moz_places"), scale.bookmarks);
  EXPECT_EQ(Count(Places(), "SELECT count(*) FROM gone"), scale.places - scale.bookmarks);
}

TEST_F(FirefoxItemsTest, DownloadItemClearsTodaysDownloadList) {
  Make();
  const long long visits = Count(Places(), "SELECT count(*) FROM moz_historyvisits WHERE visit_type <> 7");
  FirefoxDownload(sink);
  EXPECT_TRUE(sink.errors.empty());
  EXPECT_EQ(Count(Places(), "SELECT count(*) FROM moz_historyvisits WHERE visit_type = 7"), 0);
  EXPECT_EQ(Count(Places(), "SELECT count(*) FROM moz_annos a JOIN moz_anno_attributes n ON n.id = "
                            "a.anno_attribute_id WHERE n.name LIKE 'downloads/%'"),
            0);
  EXPECT_EQ(Count(Places(), "SELECT count(*) FROM moz_places"), scale.places - scale.downloads);
  EXPECT_EQ(Count(Places(), "SELECT count(*) FROM moz_historyvisits"), visits);
  ExpectBookmarksIntact();
}

TEST_F(FirefoxItemsTest, FileItemsTakeTodaysAndOldNamesButNotTheKeyStore) {
  Make();
  std::string p = profile.folder + "/";
  // Old names that an upgraded profile may still hold.
  for (const char* name : {"signons3.txt", "signons.sqlite", "key3.db", "downloads.sqlite", "sessionstore.js"})
    Sandbox::WriteFile(p + name, "old");
  struct Case {
    const char* item;
    void (*run)(BrowserSink&);
    std::vector<std::string> files;
  };
  const Case cases[] = {
      {"cookies", FirefoxCookies, {p + "cookies.sqlite"}},
      {"session", FirefoxSession,
       {p + "sessionstore.js", p + "sessionstore.jsonlz4", p + "sessionstore-backups/previous.jsonlz4"}},
      {"auto complete", FirefoxAutoComplete, {p + "formhistory.sqlite"}},
      {"passwords", FirefoxPasswords,
       {p + "signons3.txt", p + "key3.db", p + "signons.sqlite", p + "logins.json", p + "logins-backup.json"}},
      {"download", FirefoxDownload, {p + "downloads.sqlite"}},
      {"cache", FirefoxCache, {profile.cacheFolder + "/cache2/index"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    sink.files.clear();
    c.run(sink);
    for (const std::string& file : c.files)
      EXPECT_TRUE(sink.HasFile(file)) << file;
    EXPECT_FALSE(sink.HasFile(p + "key4.db"));
    EXPECT_FALSE(sink.HasFile(p + "prefs.js"));
  }
  EXPECT_EQ(sink.files.size(), static_cast<std::size_t>(scale.cacheFiles + 1));  // entries + index
  EXPECT_TRUE(sink.errors.empty());
}

TEST_F(FirefoxItemsTest, NewerVersionRunsOnlyWhenAllowed) {
  Make("160.0_20270101000000/20270101000000");
  FirefoxCookies(sink);
  ASSERT_EQ(sink.errors.size(), 1u);
  EXPECT_EQ(sink.errors[0].code, kBrowserNoPath);
  // The log names the option that accepts it.
  EXPECT_NE(sink.errors[0].message.find("\"Do not ignore newer internet browsers\""), std::string::npos);
  EXPECT_TRUE(sink.files.empty());
  sink.ignoreBrowserVersion = true;
  Discover();
  FirefoxCookies(sink);
  EXPECT_TRUE(sink.HasFile(profile.folder + "/cookies.sqlite"));
}

// A snap-only and a flatpak-only home (no ~/.mozilla): each root's profile
// and its own cache are cleaned; one that a running Firefox holds is left
// as it is and reported.
TEST_F(FirefoxItemsTest, SnapAndFlatpakRootsAreCleanedUnlessARunningFirefoxHoldsThem) {
  const std::string home = sandbox.Home().string();
  const fixtures::FirefoxProfile snap =
      fixtures::MakeFirefoxProfile(home + "/snap/firefox/common", "", home + "/snap/firefox/common/.cache", scale);
  const fixtures::FirefoxProfile flatpak = fixtures::MakeFirefoxProfile(
      "", home + "/.var/app/org.mozilla.firefox/config", home + "/.var/app/org.mozilla.firefox/cache", scale, false);
  ASSERT_FALSE(std::filesystem::exists(home + "/.mozilla"));
  Discover();
  FirefoxHistory(sink);
  FirefoxCache(sink);
  EXPECT_TRUE(sink.errors.empty()) << sink.errors[0].message;
  for (const auto* p : {&snap, &flatpak}) {
    EXPECT_EQ(Count(p->folder + "/places.sqlite", "SELECT count(*) FROM moz_historyvisits"), 0) << p->root;
    EXPECT_TRUE(sink.HasFile(p->cacheFolder + "/cache2/index")) << p->cacheFolder;
  }

  // The lock link names a live process of this machine: ours.
  std::filesystem::create_symlink("127.0.1.1:+" + std::to_string(getpid()), flatpak.folder + "/lock");
  sink.files.clear();
  FirefoxCookies(sink);
  EXPECT_TRUE(sink.HasFile(snap.folder + "/cookies.sqlite"));
  EXPECT_FALSE(sink.HasFile(flatpak.folder + "/cookies.sqlite"));
  ASSERT_EQ(sink.errors.size(), 1u);
  EXPECT_EQ(sink.errors[0].code, kBrowserNoPath);
  EXPECT_NE(sink.errors[0].message.find(flatpak.folder + "/lock"), std::string::npos);
}

TEST_F(FirefoxItemsTest, LockedDatabaseIsReportedAndLeftUnchanged) {
  Make();
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open_v2(Places().c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  FirefoxHistory(sink);
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  ASSERT_EQ(sink.errors.size(), 1u);
  EXPECT_EQ(sink.errors[0].code, kChromeDatabaseOpenFailed);
  EXPECT_EQ(sink.errors[0].message, sink.message.utf8_string());
  EXPECT_EQ(Count(Places(), "SELECT count(*) FROM moz_historyvisits"), scale.visits);
  EXPECT_EQ(Count(Icons(), "SELECT count(*) FROM moz_pages_w_icons"), scale.places);
}

TEST_F(FirefoxItemsTest, MissingOrBrokenDatabasesAreNeverCreatedNorTrusted) {
  Make();
  std::filesystem::remove(Icons());
  FirefoxHistory(sink);
  EXPECT_FALSE(std::filesystem::exists(Icons()));
  EXPECT_TRUE(sink.errors.empty());
  std::filesystem::remove(Places());
  FirefoxHistory(sink);
  EXPECT_FALSE(std::filesystem::exists(Places()));
  // A file that is no database is reported, and kept as it was.
  Sandbox::WriteFile(Places(), "this is not a database, but it is the user's");
  FirefoxHistory(sink);
  ASSERT_EQ(sink.errors.size(), 1u);
  EXPECT_EQ(sink.errors[0].code, kChromeDatabaseOpenFailed);
  EXPECT_EQ(Sandbox::ReadFile(Places()), "this is not a database, but it is the user's");
}

TEST(FirefoxOldLayouts, Firefox36EditsPlacesAndFirefox2DeletesFilesWhole) {
  Sandbox sandbox;
  fixtures::Scale scale{50, 80, 5, 5, 2, 0};
  fixtures::FirefoxProfile old = fixtures::MakeFirefox36Profile(sandbox.Home().string(), scale);
  RecordingSink sink;
  DiscoverBrowserFields(sink.task, false, sink.places);
  EXPECT_EQ(sink.task.FirefoxVersionCode, 30);
  EXPECT_EQ(sink.task.FirefoxVersionNumber, 3613);
  FirefoxHistory(sink);
  FirefoxCache(sink);
  std::string places = old.folder + "/places.sqlite";
  EXPECT_EQ(Count(places, "SELECT count(*) FROM moz_places"), scale.bookmarks);
  EXPECT_EQ(Count(places, "SELECT count(*) FROM moz_favicons"), scale.bookmarks);
  EXPECT_EQ(Count(places, "SELECT count(*) FROM moz_historyvisits"), 0);
  // Columns this version lacks leave the others' statements working.
  EXPECT_EQ(Count(places, "SELECT count(*) FROM moz_places WHERE visit_count <> 0 OR frecency <> -1"), 0);
  EXPECT_TRUE(sink.HasFile(old.folder + "/Cache/ABC12"));
  EXPECT_TRUE(sink.HasFile(old.folder + "/OfflineCache/index.sqlite"));
  EXPECT_TRUE(sink.errors.empty());

  std::filesystem::remove_all(sandbox.Home() / ".mozilla");
  fixtures::FirefoxProfile ancient = fixtures::MakeFirefox2Profile(sandbox.Home().string());
  RecordingSink flat;
  DiscoverBrowserFields(flat.task, false, flat.places);
  EXPECT_EQ(flat.task.FirefoxVersionCode, 20);
  for (auto item : {FirefoxHistory, FirefoxDownload, FirefoxAutoComplete, FirefoxCookies, FirefoxCache})
    item(flat);
  std::string p = ancient.folder + "/";
  for (const char* name : {"history.dat", "downloads.rdf", "formhistory.dat", "cookies.txt", "Cache/_CACHE_MAP_"})
    EXPECT_TRUE(flat.HasFile(p + name)) << name;
  EXPECT_FALSE(flat.HasFile(p + "bookmarks.html"));
  EXPECT_TRUE(flat.errors.empty());
}

TEST(FirefoxProfileErrors, LookupFailuresAreReportedWithTheItemsMessage) {
  Sandbox sandbox;
  RecordingSink sink;
  sink.places.firefoxInstallFolders = {sandbox.Root().string() + "/usr/lib/firefox"};
  Sandbox::WriteFile(sink.places.firefoxInstallFolders[0] + "/application.ini", "[App]\nVersion=153.8.0esr\n");
  FirefoxCookies(sink);  // installed, never started: no root, nothing to say
  std::filesystem::create_directories(sandbox.Home() / ".mozilla/firefox");
  FirefoxCookies(sink);  // no profiles.ini
  std::filesystem::remove(sandbox.Home() / ".mozilla/firefox");
  Sandbox::WriteFile(sandbox.Home() / ".mozilla/firefox/profiles.ini/x", "");
  FirefoxCookies(sink);  // unreadable: reported as the too-many code
  ASSERT_EQ(sink.errors.size(), 2u);
  EXPECT_EQ(sink.errors[0].code, kProfilesIniMissing);
  EXPECT_EQ(sink.errors[1].code, kProfileTooMany);
  EXPECT_EQ(sink.errors[1].message, "An Error occured while testing.");
}

}  // namespace
