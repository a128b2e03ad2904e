// The clean-up preview of the 50,000-file cache and the 200,000-place history
// against what it has to read at least: `du -s` of the cache plus one
// SELECT count(*) per statement of the places database. Prints both times
// and their ratio.
//   dkwt_preview_bench [cachefiles=50000 places=200000 [rounds=3]]
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <wx/init.h>

#include "app/settings.h"
#include "app/task.h"
#include "app/task_host.h"
#include "cleanup/browser_procedures.h"
#include "cleanup/preview.h"
#include "tools/bench/cache_tree.h"
#include "tools/fixtures/browser_fixtures.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

class BenchHost : public TaskHost {
 public:
  void LogError(int code, const wxString& message, bool) override {
    std::fprintf(stderr, "error %d: %s\n", code, message.utf8_string().c_str());
  }
  bool IsTaskFileRun() const override { return true; }
  bool FileAlarmExtra() const override { return false; }
  bool AlarmPageOn() const override { return false; }
  bool IgnoreBrowserVersion() const override { return false; }
  void CloseMainWindow() override {}
};

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// One count per deleting statement of the History item, on a read-only connection.
double CountStatements(const std::string& places) {
  const auto start = Clock::now();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(places.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "cannot open %s\n", places.c_str());
    return 0;
  }
  const std::string icons = fs::path(places).parent_path() / "favicons.sqlite";
  sqlite3_exec(db, ("ATTACH DATABASE '" + icons + "' AS icons").c_str(), nullptr, nullptr, nullptr);
  std::vector<std::string> newTab;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, cleanup::FirefoxNewTabTablesQuery(), -1, &statement, nullptr) == SQLITE_OK)
    while (sqlite3_step(statement) == SQLITE_ROW)
      newTab.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
  sqlite3_finalize(statement);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  for (const std::string& sql : cleanup::FirefoxHistoryStatements(true, newTab)) {
    if (sql.rfind("DELETE FROM ", 0) != 0 || sql.rfind("DELETE FROM temp.", 0) == 0)
      continue;
    // A run empties moz_places and puts the bookmarked ones back; what it
    // deletes is the unbookmarked places, which is what the preview counts.
    const std::string count = sql == "DELETE FROM main.moz_places"
                                  ? std::string("SELECT count(*) FROM moz_places WHERE id NOT IN (SELECT fk FROM "
                                                "moz_bookmarks WHERE fk IS NOT NULL)")
                                  : "SELECT count(*) FROM " + sql.substr(12);
    if (sqlite3_prepare_v2(db, count.c_str(), -1, &statement, nullptr) == SQLITE_OK)
      while (sqlite3_step(statement) == SQLITE_ROW) {
      }
    sqlite3_finalize(statement);
  }
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return Seconds(start);
}

double Du(const std::string& cache) {
  const auto start = Clock::now();
  if (std::system(("du -s '" + cache + "' >/dev/null").c_str()) != 0)
    std::fprintf(stderr, "du failed\n");
  return Seconds(start);
}

double Preview(std::initializer_list<ItemId> items, std::uint64_t& bytes, std::size_t& entries) {
  BenchHost host;
  Task task(&host);
  task.CheckSystem();
  Settings settings;
  CleanupSelection selection;
  for (ItemId id : items)
    selection.Set(id, true);
  selection.anySelected = true;
  const auto start = Clock::now();
  const cleanup::Preview preview = cleanup::RunPreview(selection, task, settings, host);
  const double seconds = Seconds(start);
  bytes = preview.Bytes();
  entries = 0;
  for (const auto& item : preview.items)
    entries += item.entries.size();
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  wxInitializer toolkit;
  const int cacheFiles = argc > 1 ? std::atoi(argv[1]) : 50000;
  fixtures::Scale scale{argc > 2 ? std::atoi(argv[2]) : 200000, 400000, 2000, 50000, 0, 2};
  scale.visits = scale.places * 2;
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;

  std::string pattern = (fs::temp_directory_path() / "dkwt-preview-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data()))
    return 1;
  const std::string home = pattern + "/home";
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
  setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
  setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
  setenv("TMP", (pattern + "/tmp").c_str(), 1);
  setenv("TMPDIR", (pattern + "/tmp").c_str(), 1);
  setenv("DKWT_MOUNTINFO", "/dev/null", 1);
  fs::create_directories(pattern + "/tmp");
  std::printf("making %d cache files and %d places...\n", cacheFiles, scale.places);
  const fixtures::FirefoxProfile profile =
      fixtures::MakeFirefoxProfile(home, home + "/.config", home + "/.cache", scale);
  const std::string cache = profile.cacheFolder + "/cache2";
  MakeCacheTree(cache + "/entries", cacheFiles);
  std::system("sync");

  std::vector<double> ratios;
  for (int round = 0; round < rounds; ++round) {
    std::uint64_t bytes = 0;
    std::size_t entries = 0;
    const std::string places = profile.folder + "/places.sqlite";
    // Each part alone, then both as one preview; the order alternates so
    // that neither side always meets a warm cache.
    double cacheOurs = 0, du = 0, historyOurs = 0, counts = 0, ours = 0;
    if (round % 2 == 0) {
      cacheOurs = Preview({ItemId::CacheFirefox}, bytes, entries);
      du = Du(cache);
      historyOurs = Preview({ItemId::BrowserHistoryFirefox}, bytes, entries);
      counts = CountStatements(places);
      ours = Preview({ItemId::CacheFirefox, ItemId::BrowserHistoryFirefox}, bytes, entries);
    } else {
      du = Du(cache);
      cacheOurs = Preview({ItemId::CacheFirefox}, bytes, entries);
      counts = CountStatements(places);
      historyOurs = Preview({ItemId::BrowserHistoryFirefox}, bytes, entries);
      ours = Preview({ItemId::CacheFirefox, ItemId::BrowserHistoryFirefox}, bytes, entries);
    }
    const double plain = du + counts;
    // What every preview costs before it reads anything: finding the browsers.
    std::uint64_t noBytes = 0;
    std::size_t noEntries = 0;
    const double discovery = Preview({ItemId::CacheSafari}, noBytes, noEntries);
    std::printf("round %d: cache %.3f s vs du -s %.3f s; history %.3f s vs counts %.3f s; both %.3f s (%zu entries, "
                "%llu bytes) vs %.3f s, ratio %.3f; browser discovery alone %.3f s\n",
                round, cacheOurs, du, historyOurs, counts, ours, entries, static_cast<unsigned long long>(bytes), plain,
                ours / plain, discovery);
    ratios.push_back(ours / plain);
  }
  std::sort(ratios.begin(), ratios.end());
  std::printf("median ratio %.3f\n", ratios[ratios.size() / 2]);
  std::error_code ignored;
  fs::remove_all(pattern, ignored);
  return 0;
}
