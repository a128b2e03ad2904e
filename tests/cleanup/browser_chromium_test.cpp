// The Chrome/Chromium and Opera items on generated profiles of today's
// browsers and of the old layouts.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <unistd.h>

#include <filesystem>

#include "cleanup/browser_procedures.h"
#include "tests/cleanup/browser_sink.h"
#include "tests/support/sandbox.h"
#include "tools/fixtures/browser_fixtures.h"

using namespace cleanup;
using fixtures::Count;

namespace {

long long CountUrl(const std::string& database, const std::string& url) {
  sqlite3* db = nullptr;
  long long n = -1;
  sqlite3_stmt* s = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, "SELECT count(*) FROM urls WHERE url = ?1", -1, &s, nullptr) == SQLITE_OK) {
    sqlite3_bind_text(s, 1, url.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(s) == SQLITE_ROW)
      n = sqlite3_column_int64(s, 0);
  }
  sqlite3_finalize(s);
  sqlite3_close(db);
  return n;
}

class ChromiumItemsTest : public testing::Test {
 protected:
  fixtures::ChromiumProfile Make(const std::string& browser = "chromium", const std::string& name = "Default",
                                 bool withBookmarks = true) {
    return fixtures::MakeChromiumProfile(sandbox.ConfigHome().string(), sandbox.CacheHome().string(), browser, name,
                                         scale, withBookmarks);
  }
  Sandbox sandbox;
  fixtures::Scale scale;
  RecordingSink sink;
};

TEST_F(ChromiumItemsTest, HistoryKeepsEveryBookmarkedUrlAndClearsTodaysTables) {
  fixtures::ChromiumProfile p = Make();
  std::filesystem::remove(p.folder + "/Network Action Predictor");
  const std::string bookmarks = Sandbox::ReadFile(p.folder + "/Bookmarks");
  const std::string history = p.folder + "/History";
  ChromeHistory(sink);
  EXPECT_TRUE(sink.errors.empty()) << sink.errors[0].code << " " << sink.errors[0].message;

  // Every bookmarked URL keeps its row, quotes and all; nothing else does.
  EXPECT_EQ(Count(history, "SELECT count(*) FROM urls"), scale.bookmarks);
  for (const std::string& url : fixtures::TrickyBookmarkUrls())
    EXPECT_EQ(CountUrl(history, url), 1) << url;
  EXPECT_EQ(Count(history, "SELECT count(*) FROM urls WHERE visit_count <> 0 OR typed_count <> 0 OR "
                           "last_visit_time <> 0"),
            0);
  for (const char* table : {"visits", "visited_links", "visit_source", "keyword_search_terms", "segments",
                            "segment_usage", "downloads", "downloads_url_chains", "downloads_slices",
                            "content_annotations", "context_annotations", "clusters", "clusters_and_visits",
                            "cluster_keywords", "cluster_visit_duplicates"}) {
    SCOPED_TRACE(table);
    EXPECT_EQ(Count(history, std::string("SELECT count(*) FROM ") + table), 0);
  }
  // Icons: the bookmarks' (the never-visited one too), nothing else.
  std::string icons = p.folder + "/Favicons";
  EXPECT_EQ(Count(icons, "SELECT count(*) FROM icon_mapping"), scale.bookmarks + 1);
  EXPECT_EQ(Count(icons, "SELECT count(*) FROM favicons"), scale.bookmarks);
  EXPECT_EQ(Count(icons, "SELECT count(*) FROM favicon_bitmaps"), scale.bookmarks);
  EXPECT_EQ(Count(p.folder + "/Top Sites", "SELECT count(*) FROM top_sites"), 0);
  EXPECT_EQ(Count(p.folder + "/Shortcuts", "SELECT count(*) FROM omni_box_shortcuts"), 0);
  EXPECT_FALSE(std::filesystem::exists(p.folder + "/Network Action Predictor"));
  for (const std::string& db : {history, icons})
    EXPECT_EQ(fixtures::IntegrityCheck(db), "ok");
  EXPECT_EQ(Sandbox::ReadFile(p.folder + "/Bookmarks"), bookmarks);

  // Session files and the bookmarks backup go; nothing else of the profile.
  for (const char* name : {"/Sessions/Session_13400000000000001", "/Sessions/Tabs_13400000000000001",
                           "/Sessions_Encrypted/Session_13400000000000001", "/Bookmarks.bak"})
    EXPECT_TRUE(sink.HasFile(p.folder + name)) << name;
  EXPECT_EQ(sink.files.size(), 4u);
  EXPECT_TRUE(sink.folders.empty());
  EXPECT_FALSE(Sandbox::ReadFile(history).find("site7.example/page/77") != std::string::npos);
}

TEST_F(ChromiumItemsTest, WithoutBookmarksTheHistoryDatabasesGoWhole) {
  fixtures::ChromiumProfile p = Make("chromium", "Default", /*withBookmarks=*/false);
  ChromeHistory(sink);
  EXPECT_TRUE(sink.HasFile(p.folder + "/History"));
  EXPECT_TRUE(sink.HasFile(p.folder + "/Favicons"));
  EXPECT_FALSE(std::filesystem::exists(p.folder + "/Thumbnails"));
  EXPECT_EQ(Count(p.folder + "/History", "SELECT count(*) FROM visits"), scale.visits);
  // A bookmarks file that cannot be read keeps every history row.
  Sandbox::WriteFile(p.folder + "/Bookmarks", "{ \"roots\": ");
  RecordingSink again;
  ChromeHistory(again);
  ASSERT_FALSE(again.errors.empty());
  EXPECT_EQ(again.errors[0].code, kChromeStatementFailed);
  EXPECT_EQ(again.errors[0].message, "An Error A occured while testing.");
  EXPECT_EQ(Count(p.folder + "/History", "SELECT count(*) FROM urls"), scale.places);
  EXPECT_EQ(Count(p.folder + "/History", "SELECT count(*) FROM visits"), 0);
}

TEST_F(ChromiumItemsTest, OldChromeThumbnailsAndHistoryFiles) {
  fixtures::ChromiumProfile p = fixtures::MakeOldChromeProfile(sandbox.ConfigHome().string(),
                                                               sandbox.CacheHome().string(), scale);
  ChromeHistory(sink);
  EXPECT_TRUE(sink.errors.empty());
  std::string thumbnails = p.folder + "/Thumbnails";
  EXPECT_EQ(Count(thumbnails, "SELECT count(*) FROM favicons"), scale.bookmarks);
  EXPECT_EQ(Count(thumbnails, "SELECT count(*) FROM thumbnails"), 0);
  for (const char* name : {"Current Session", "Last Session", "Current Tabs", "Last Tabs", "Visited Links",
                           "Archived History", "History Index 2011-05"})
    EXPECT_TRUE(sink.HasFile(p.folder + "/" + name)) << name;
  // No favicons table: that step says nothing.
  ASSERT_TRUE(fixtures::Exec(thumbnails, "DROP TABLE favicons"));
  RecordingSink again;
  ChromeHistory(again);
  EXPECT_TRUE(again.errors.empty());
}

TEST_F(ChromiumItemsTest, CookiesPasswordsAndCacheOfEveryProfile) {
  fixtures::ChromiumProfile a = Make("chromium", "Default");
  fixtures::ChromiumProfile b = Make("chromium", "Profile 1");
  fixtures::ChromiumProfile c = Make("google-chrome", "Default");
  std::filesystem::create_directories(c.folder + "/Network");
  std::filesystem::copy_file(c.folder + "/Cookies", c.folder + "/Network/Cookies");
  ChromeCookies(sink);
  ChromePasswords(sink);
  ChromeCache(sink);
  EXPECT_TRUE(sink.errors.empty());
  for (const fixtures::ChromiumProfile& p : {a, b, c}) {
    SCOPED_TRACE(p.folder);
    EXPECT_EQ(Count(p.folder + "/Cookies", "SELECT count(*) FROM cookies"), 0);
    EXPECT_TRUE(sink.HasFile(p.folder + "/Login Data"));
    EXPECT_TRUE(sink.HasFile(p.folder + "/Login Data For Account"));
    std::string web = p.folder + "/Web Data";
    for (const char* table : {"autofill", "autocomplete", "addresses", "address_type_tokens", "credit_cards"})
      EXPECT_EQ(Count(web, std::string("SELECT count(*) FROM ") + table), 0) << table;
    EXPECT_EQ(Count(web, "SELECT count(*) FROM keywords"), 2);  // the search engines stay
    EXPECT_TRUE(sink.HasFile(p.cacheFolder + "/Cache/Cache_Data/index"));
    EXPECT_TRUE(sink.HasFile(p.cacheFolder + "/Code Cache/js/0123456789abcdef_0"));
    EXPECT_FALSE(sink.HasFile(p.folder + "/Web Data"));
  }
  EXPECT_EQ(Count(c.folder + "/Network/Cookies", "SELECT count(*) FROM cookies"), 0);
}

// Brave, a snap's Chromium and a flatpak's Edge-like folder alike; the shader
// caches go with the Cache item; a user-data folder a running browser holds
// (its SingletonLock names a live process of this machine) is left alone.
TEST_F(ChromiumItemsTest, EveryFamilyRootIsCleanedUnlessARunningBrowserHoldsIt) {
  const std::string home = sandbox.Home().string();
  fixtures::ChromiumProfile brave = Make("BraveSoftware/Brave-Browser");
  fixtures::ChromiumProfile snap = fixtures::MakeChromiumProfile(home + "/snap/chromium/common",
                                                                 home + "/snap/chromium/common/.cache", "chromium",
                                                                 "Default", scale);
  for (const auto* p : {&brave, &snap}) {
    fixtures::WriteFile(p->folder + "/GPUCache/data_0", "gpu");
    fixtures::WriteFile(p->userData + "/GrShaderCache/data_0", "shader");
  }
  ChromeCache(sink);
  ChromeCookies(sink);
  EXPECT_TRUE(sink.errors.empty());
  for (const auto* p : {&brave, &snap}) {
    SCOPED_TRACE(p->userData);
    EXPECT_TRUE(sink.HasFile(p->cacheFolder + "/Cache/Cache_Data/index"));
    EXPECT_TRUE(sink.HasFile(p->folder + "/GPUCache/data_0"));
    EXPECT_TRUE(sink.HasFile(p->userData + "/GrShaderCache/data_0"));
    EXPECT_EQ(Count(p->folder + "/Cookies", "SELECT count(*) FROM cookies"), 0);
  }

  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  std::filesystem::create_symlink(std::string(host) + "-" + std::to_string(getpid()), brave.userData + "/SingletonLock");
  fixtures::MakeChromiumProfile(sandbox.ConfigHome().string(), sandbox.CacheHome().string(),
                                "BraveSoftware/Brave-Browser", "Profile 1", scale);
  sink.files.clear();
  ChromeHistory(sink);
  EXPECT_GT(Count(brave.folder + "/History", "SELECT count(*) FROM visits"), 0);
  EXPECT_EQ(Count(snap.folder + "/History", "SELECT count(*) FROM visits"), 0);
  ASSERT_EQ(sink.errors.size(), 1u);  // once for the browser, not per profile
  EXPECT_NE(sink.errors[0].message.find(brave.userData + "/SingletonLock"), std::string::npos);
}

TEST_F(ChromiumItemsTest, LockedDatabaseIsReportedAndLeftUnchanged) {
  fixtures::ChromiumProfile p = Make();
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open_v2((p.folder + "/History").c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  ChromeHistory(sink);
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  ASSERT_FALSE(sink.errors.empty());
  EXPECT_EQ(sink.errors[0].code, kChromeDatabaseOpenFailed);
  EXPECT_EQ(sink.errors[0].message, sink.message.utf8_string());
  EXPECT_EQ(Count(p.folder + "/History", "SELECT count(*) FROM visits"), scale.visits);
  EXPECT_EQ(Count(p.folder + "/Favicons", "SELECT count(*) FROM icon_mapping"), scale.places + 1);
}

TEST_F(ChromiumItemsTest, TodaysOperaItemsKeepToTheirOwnTables) {
  std::string folder = sandbox.ConfigHome().string() + "/opera";
  fixtures::ChromiumProfile p = fixtures::MakeChromiumFolder(folder, sandbox.CacheHome().string() + "/opera", scale);
  DiscoverBrowserFields(sink.task, false, sink.places);
  ASSERT_EQ(sink.task.OperaChromiumFolder.utf8_string(), folder);
  std::string history = folder + "/History";

  OperaHistory(sink);
  EXPECT_EQ(Count(history, "SELECT count(*) FROM urls"), scale.bookmarks);
  EXPECT_EQ(Count(history, "SELECT count(*) FROM visits"), 0);
  EXPECT_EQ(Count(history, "SELECT count(*) FROM downloads"), scale.downloads);
  EXPECT_EQ(Count(history, "SELECT count(*) FROM keyword_search_terms"), 3);
  OperaDownload(sink);
  EXPECT_EQ(Count(history, "SELECT count(*) FROM downloads"), 0);
  EXPECT_EQ(Count(history, "SELECT count(*) FROM downloads_url_chains"), 0);
  OperaTypedUrls(sink);
  EXPECT_EQ(Count(history, "SELECT count(*) FROM keyword_search_terms"), 0);
  EXPECT_EQ(Count(folder + "/Shortcuts", "SELECT count(*) FROM omni_box_shortcuts"), 0);
  EXPECT_EQ(Count(folder + "/Network Action Predictor", "SELECT count(*) FROM network_action_predictor"), 0);
  OperaCookies(sink);
  EXPECT_EQ(Count(folder + "/Cookies", "SELECT count(*) FROM cookies"), 0);
  OperaSession(sink);
  OperaPasswords(sink);
  OperaCache(sink);
  for (const std::string& file : {folder + "/Sessions/Session_13400000000000001", folder + "/Login Data",
                                  p.cacheFolder + "/Cache/Cache_Data/index"})
    EXPECT_TRUE(sink.HasFile(file)) << file;
  EXPECT_TRUE(sink.errors.empty());
}

TEST(OperaLegacyItems, FilesOfTheOldLayoutsAndTheScriptsTheyKeep) {
  struct Case {
    const char* layout;
    const char* version;
    std::vector<const char*> cacheFolders;  // walked, scripts deleted unless opcache/cacheOp
  };
  const Case cases[] = {
      {"old", "8.54", {"cacheOp"}},
      {"old", "9.64", {"cache4", "images", "vps", "opcache"}},
      {"new", "11.64", {"cache", "icons", "vps", "opcache"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    Sandbox sandbox;
    RecordingSink sink;
    std::string install = sandbox.Root().string() + "/usr/share/opera";
    std::string user = sandbox.Home().string() + "/.opera";
    sink.places.operaInstallFolders = {install};
    fixtures::MakeOperaLegacy(install, user, c.layout, "1", c.version);
    DiscoverBrowserFields(sink.task, false, sink.places);
    for (auto item : {OperaCache, OperaCookies, OperaHistory, OperaDownload, OperaSession, OperaTypedUrls,
                      OperaPasswords})
      item(sink);
    EXPECT_TRUE(sink.errors.empty());
    for (const char* folder : c.cacheFolders) {
      bool keepsScripts = std::string(folder) == "opcache" || std::string(folder) == "cacheOp";
      EXPECT_TRUE(sink.HasFile(user + "/" + folder + "/opr0ABCD.htm")) << folder;
      EXPECT_EQ(sink.HasFile(user + "/" + folder + "/opr00000.js"), !keepsScripts) << folder;
      EXPECT_EQ(sink.HasFile(user + "/" + folder + "/opr00001.js"), !keepsScripts) << folder;
    }
    bool old = std::string(c.layout) == "old";
    std::vector<std::string> expected = {"cookies4.dat", "vlink4.dat", "download.dat", "typed_history.xml",
                                         "wand.dat", "sessions/autosave.win"};
    expected.push_back(old ? "global.dat" : "global_history.dat");
    for (const std::string& name : expected)
      EXPECT_TRUE(sink.HasFile(user + "/" + name)) << name;
    EXPECT_EQ(sink.HasFile(user + "/opera.dir"), old);
    EXPECT_FALSE(sink.HasFile(user + "/bookmarks.adr"));
  }
}

TEST(OperaLegacyItems, ProfileStateIsReported) {
  Sandbox sandbox;
  RecordingSink sink;
  std::string install = sandbox.Root().string() + "/usr/share/opera";
  sink.places.operaInstallFolders = {install};
  fixtures::MakeOperaLegacy(install, sandbox.Home().string() + "/.opera", "old", "1", "9.64");
  DiscoverBrowserFields(sink.task, false, sink.places);
  Sandbox::WriteFile(sandbox.Home() / ".opera/opera6.ini", "[Install]\nNewest Used Version=7.23\n");
  OperaCookies(sink);
  std::filesystem::remove(sandbox.Home() / ".opera/opera6.ini");
  sink.task.OperaOldVersionCode = 95;
  OperaCookies(sink);
  ASSERT_EQ(sink.errors.size(), 2u);
  EXPECT_EQ(sink.errors[0].code, kOperaUnsupported);
  EXPECT_EQ(sink.errors[0].message, "Opera's Version currently not supported.");
  EXPECT_EQ(sink.errors[1].code, kOperaNoProfile);
  EXPECT_TRUE(sink.files.empty());
}

}  // namespace
