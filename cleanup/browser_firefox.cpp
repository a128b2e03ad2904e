// The Firefox items: files of the profile in use, and the places database
// edited in place so that bookmarks stay.
#include <filesystem>
#include <set>

#include "app/task.h"
#include "cleanup/browser_database.h"
#include "cleanup/browser_procedures.h"
#include "os/browsers.h"

namespace cleanup {

namespace {

std::string Narrow(const wxString& text) { return text.utf8_string(); }

bool Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

// The Firefox fields of the task, kept across the visit of every root.
struct FirefoxFields {
  explicit FirefoxFields(const Task& task)
      : installed(task.FirefoxInstalled),
        versionCode(task.FirefoxVersionCode),
        versionNumber(task.FirefoxVersionNumber),
        versionKnown(task.FirefoxVersionKnown),
        folder(task.FirefoxProfileFolder),
        relativePath(task.FirefoxProfileRelativePath),
        isRelative(task.FirefoxProfileIsRelative) {}
  void RestoreTo(Task& task) const {
    task.FirefoxInstalled = installed;
    task.FirefoxVersionCode = versionCode;
    task.FirefoxVersionNumber = versionNumber;
    task.FirefoxVersionKnown = versionKnown;
    task.FirefoxProfileFolder = folder;
    task.FirefoxProfileRelativePath = relativePath;
    task.FirefoxProfileIsRelative = isRelative;
  }
  bool installed;
  int versionCode;
  long versionNumber;
  bool versionKnown;
  wxString folder;
  wxString relativePath;
  bool isRelative;
};

// Runs `body` on the profile in use of every Firefox root (the
// distribution's, a snap's, a flatpak's ...). Each root is discovered and
// looked up as a Firefox item starts; a failure is reported and ends the
// item for that root only.
template <typename Body>
void ForEachFirefoxProfile(BrowserSink& sink, Body body) {
  Task& task = sink.CurrentTask();
  const FirefoxFields saved(task);
  for (const os::browsers::FirefoxRoot& root : sink.Places().FirefoxRoots()) {
    const std::string version = DiscoverFirefoxRoot(task, root, sink.IgnoreBrowserVersion());
    if (!task.FirefoxVersionKnown)
      continue;
    int code = LookUpFirefoxProfile(task, root.profileRoot);
    if (code != 0) {
      sink.LogError(code == kProfilesIniUnreadable ? kProfileTooMany : code);
      continue;
    }
    if (task.FirefoxVersionCode <= 0) {
      // Refused; the log says how to accept it.
      sink.LogError(kBrowserNoPath, sink.Message() + " " +
                                        wxString::Format(kNewerFirefoxHint, wxString::FromUTF8(version),
                                                         wxString::FromUTF8(root.profileRoot)));
      continue;
    }
    std::string holder;
    if (os::browsers::ProfileInUse(os::browsers::Family::Firefox, Narrow(task.FirefoxProfileFolder), holder)) {
      sink.LogError(sink.InUseCode(), sink.Message() + " " + wxString::Format(kProfileInUse, wxString::FromUTF8(holder)));
      continue;
    }
    body(root);
  }
  saved.RestoreTo(task);
}

// Where the caches lie: below the cache home for a relative profile (today's
// cache2 and the old Cache), and in the profile itself.
enum class CacheBase { CacheHome, Profile };

struct FirefoxCacheRow {
  CacheBase base;
  const char* folder;
  int minimumCode;
  bool relativeOnly;
};

constexpr FirefoxCacheRow kFirefoxCaches[] = {
    {CacheBase::CacheHome, "cache2", 30, true},
    {CacheBase::CacheHome, "Cache", 0, true},
    {CacheBase::Profile, "Cache", 0, false},
    {CacheBase::Profile, "cache2", 30, false},
    {CacheBase::Profile, "OfflineCache", 30, false},
    {CacheBase::CacheHome, "OfflineCache", 30, true},
};

// The statements of the places database in their order; a failure (a table
// or column this version lacks) is ignored and the next one runs. The
// subqueries are uncorrelated NOT IN lists over indexed or small sets: a
// correlated NOT EXISTS scanned moz_places once per icon (favicon_id has no
// index). NULLs are left out of each list, as one would keep every row.
constexpr const char kDeleteVisits[] = "DELETE FROM moz_historyvisits";

// Only the bookmarked places stay. Copying those few aside and emptying the
// table is far quicker than deleting nearly every row through its eight
// indexes, and leaves the same rows. All or nothing: on any failure the
// savepoint is rolled back and the plain delete runs instead. Not used when
// the file has triggers on moz_places (emptying would fire them).
constexpr const char* kKeepBookmarkedPlaces[] = {
    "SAVEPOINT dkwt_places",
    ("CREATE TEMP TABLE dkwt_kept_places AS SELECT * FROM main.moz_places WHERE id IN (SELECT fk FROM "
     "main.moz_bookmarks WHERE fk IS NOT NULL)"),
    "DELETE FROM main.moz_places",
    "INSERT INTO main.moz_places SELECT * FROM temp.dkwt_kept_places",
    "DROP TABLE temp.dkwt_kept_places",
    "RELEASE dkwt_places",
};
constexpr const char kDeleteUnbookmarkedPlaces[] =
    "DELETE FROM moz_places WHERE id NOT IN (SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL)";
constexpr const char kPlacesTriggers[] =
    "SELECT count(*) FROM main.sqlite_master WHERE type = 'trigger' AND tbl_name = 'moz_places'";

// After the places: what refers to them.
constexpr const char* kPlacesStatements[] = {
    "DELETE FROM moz_favicons WHERE id NOT IN (SELECT favicon_id FROM moz_places WHERE favicon_id IS NOT NULL)",
    "DELETE FROM moz_inputhistory",
    // The kept (bookmarked) pages forget when and how often they were
    // visited; one column per statement, as old versions lack some of them.
    "UPDATE moz_places SET visit_count = 0 WHERE visit_count <> 0",
    "UPDATE moz_places SET typed = 0 WHERE typed <> 0",
    "UPDATE moz_places SET last_visit_date = NULL WHERE last_visit_date IS NOT NULL",
    // -1 and the recalculation flags make Firefox compute frecency afresh.
    "UPDATE moz_places SET frecency = -1 WHERE frecency <> -1",
    "UPDATE moz_places SET recalc_frecency = 1",
    "UPDATE moz_places SET alt_frecency = NULL, recalc_alt_frecency = 1",
    // Today's tables of the same history.
    "DELETE FROM moz_places_metadata",
    "DELETE FROM moz_places_metadata_search_queries",
    "DELETE FROM moz_annos WHERE place_id NOT IN (SELECT id FROM moz_places)",
    "DELETE FROM moz_origins WHERE id NOT IN (SELECT origin_id FROM moz_places WHERE origin_id IS NOT NULL)",
    "UPDATE moz_origins SET frecency = -1 WHERE frecency <> -1",
    "UPDATE moz_origins SET recalc_frecency = 1",
    "UPDATE moz_origins SET alt_frecency = NULL, recalc_alt_frecency = 1",
    // The statistics of the origins' frecencies, recomputed by Firefox.
    "DELETE FROM moz_meta WHERE key GLOB 'origin_frecency_*'",
    "DELETE FROM moz_places_extra WHERE place_id NOT IN (SELECT id FROM moz_places)",
    "DELETE FROM moz_historyvisits_extra WHERE visit_id NOT IN (SELECT id FROM moz_historyvisits)",
};

// The new-tab page's interaction tables (shortcuts and stories clicked or
// shown) come and go between versions: every one present is emptied.
constexpr const char kNewTabTables[] =
    "SELECT name FROM main.sqlite_master WHERE type = 'table' AND name GLOB 'moz_newtab_*' ORDER BY name";

std::string NewTabStatement(const std::string& table) {
  std::string quoted;
  for (char c : table)
    quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return "DELETE FROM main.\"" + quoted + "\"";
}

// favicons.sqlite, attached as "icons": pages no longer in places, then the
// links and icons no page uses.
constexpr const char* kIconStatements[] = {
    "DELETE FROM icons.moz_pages_w_icons WHERE NOT EXISTS (SELECT 1 FROM main.moz_places p WHERE p.url_hash = "
    "icons.moz_pages_w_icons.page_url_hash AND p.url = icons.moz_pages_w_icons.page_url)",
    "DELETE FROM icons.moz_icons_to_pages WHERE NOT EXISTS (SELECT 1 FROM icons.moz_pages_w_icons p WHERE p.id = "
    "icons.moz_icons_to_pages.page_id)",
    // moz_icons_to_pages has no index on icon_id: one pass over it, not one per icon.
    "DELETE FROM icons.moz_icons WHERE id NOT IN (SELECT icon_id FROM icons.moz_icons_to_pages)",
};

// Downloads of today's Firefox: visits of the download type and the download
// annotations; a page that was only downloaded, never visited nor
// bookmarked, goes with them.
constexpr const char* kDownloadStatements[] = {
    "CREATE TEMP TABLE IF NOT EXISTS dkwt_downloaded(place_id INTEGER PRIMARY KEY)",
    "INSERT OR IGNORE INTO temp.dkwt_downloaded SELECT place_id FROM moz_historyvisits WHERE visit_type = 7",
    "DELETE FROM moz_historyvisits WHERE visit_type = 7",
    "DELETE FROM moz_annos WHERE anno_attribute_id IN (SELECT id FROM moz_anno_attributes WHERE name LIKE "
    "'downloads/%')",
    "DELETE FROM moz_places WHERE id IN (SELECT place_id FROM temp.dkwt_downloaded) AND NOT EXISTS (SELECT 1 FROM "
    "moz_historyvisits v WHERE v.place_id = moz_places.id) AND NOT EXISTS (SELECT 1 FROM moz_bookmarks b WHERE "
    "b.fk = moz_places.id)",
};

// Each statement's failure is ignored (the caller holds the transaction; an
// open, lock or commit failure is reported and leaves the file unchanged).
template <std::size_t N>
void ExecIgnoringFailures(BrowserDatabase& db, const char* const (&statements)[N]) {
  for (const char* sql : statements)
    db.Exec(sql);
}

bool Start(BrowserSink& sink, BrowserDatabase& db, const std::string& path) {
  if (db.Open(path) && db.Begin())
    return true;
  sink.LogError(kChromeDatabaseOpenFailed);
  db.Close();
  return false;
}

void Finish(BrowserSink& sink, BrowserDatabase& db) {
  if (!db.Commit())
    sink.LogError(kChromeStatementFailed);
}

void AddEach(BrowserSink& sink, const std::string& base, std::initializer_list<const char*> names) {
  for (const char* name : names)
    sink.AddFile(base + name);
}

}  // namespace

const char* FirefoxNewTabTablesQuery() { return kNewTabTables; }

std::vector<std::string> FirefoxHistoryStatements(bool withIcons, const std::vector<std::string>& newTabTables) {
  std::vector<std::string> statements{kDeleteVisits};
  statements.insert(statements.end(), std::begin(kKeepBookmarkedPlaces), std::end(kKeepBookmarkedPlaces));
  statements.insert(statements.end(), std::begin(kPlacesStatements), std::end(kPlacesStatements));
  for (const std::string& table : newTabTables)
    statements.push_back(NewTabStatement(table));
  if (withIcons)
    statements.insert(statements.end(), std::begin(kIconStatements), std::end(kIconStatements));
  return statements;
}

void CleanFirefoxPlaces(BrowserSink& sink, const std::string& placesPath) {
  if (!Exists(placesPath))
    return;
  BrowserDatabase db(sink.Counter());
  std::string icons = std::filesystem::path(placesPath).parent_path().string() + "/favicons.sqlite";
  if (!db.Open(placesPath)) {
    sink.LogError(kChromeDatabaseOpenFailed);
    return;
  }
  bool withIcons = Exists(icons) && db.Attach(icons, "icons");
  if (!db.Begin()) {
    sink.LogError(kChromeDatabaseOpenFailed);
    return;
  }
  db.Exec(kDeleteVisits);
  std::vector<std::string> triggers;
  // Counting takes the plain delete: it leaves the same rows and can be counted.
  bool kept = !db.Counting() && db.Column(kPlacesTriggers, triggers) && triggers == std::vector<std::string>{"0"};
  for (const char* sql : kKeepBookmarkedPlaces) {
    if (!kept)
      break;
    kept = db.Exec(sql);
  }
  if (!kept && !db.Counting()) {
    db.Exec("ROLLBACK TO dkwt_places");
    db.Exec("RELEASE dkwt_places");
  }
  if (!kept) {
    db.Exec(kDeleteUnbookmarkedPlaces);
  }
  ExecIgnoringFailures(db, kPlacesStatements);
  // Listed inside the transaction, so the set cannot change before the deletes.
  std::vector<std::string> newTabTables;
  db.Column(kNewTabTables, newTabTables);
  for (const std::string& table : newTabTables)
    db.Exec(NewTabStatement(table));
  if (withIcons)
    ExecIgnoringFailures(db, kIconStatements);
  Finish(sink, db);
}

void CleanFirefoxDownloads(BrowserSink& sink, const std::string& placesPath) {
  if (!Exists(placesPath))
    return;
  BrowserDatabase db(sink.Counter());
  if (!Start(sink, db, placesPath))
    return;
  ExecIgnoringFailures(db, kDownloadStatements);
  Finish(sink, db);
}

void FirefoxCache(BrowserSink& sink) {
  ForEachFirefoxProfile(sink, [&](const os::browsers::FirefoxRoot& root) {
    const Task& task = sink.CurrentTask();
    std::string profile = FirefoxProfileBase(task);
    // The oldest versions (and the 9x family) kept everything in the profile.
    bool flat = task.m_win9xFamily || task.FirefoxVersionCode < 15;
    std::string relative = Narrow(task.FirefoxProfileRelativePath);
    std::set<std::string> walked;
    bool reportedEmpty = false;
    for (const FirefoxCacheRow& row : kFirefoxCaches) {
      if (task.FirefoxVersionCode < row.minimumCode)
        continue;
      std::string base;
      if (flat || row.base == CacheBase::Profile) {
        base = profile;
      } else {
        if (row.relativeOnly && !task.FirefoxProfileIsRelative)
          continue;
        if (root.cacheRoot.empty()) {
          if (!reportedEmpty)
            sink.LogError(kBrowserNoPath);
          reportedEmpty = true;
          continue;
        }
        base = root.cacheRoot + "/" + relative + "/";
      }
      std::string folder = base + row.folder;
      if (walked.insert(folder).second)
        sink.CollectFolder(folder, {});
    }
  });
}

void FirefoxCookies(BrowserSink& sink) {
  ForEachFirefoxProfile(sink, [&](const os::browsers::FirefoxRoot&) {
    sink.AddFile(FirefoxCookiesFile(sink.CurrentTask()));
  });
}

void FirefoxHistory(BrowserSink& sink) {
  ForEachFirefoxProfile(sink, [&](const os::browsers::FirefoxRoot& root) {
    const Task& task = sink.CurrentTask();
    std::string path = FirefoxHistoryFile(task);
    if (task.FirefoxVersionCode < 30 || path.find("places.sqlite") == std::string::npos) {
      sink.AddFile(path);
      return;
    }
    CleanFirefoxPlaces(sink, path);
    // The pictures of visited pages for the new-tab page: in the cache
    // folder of a relative profile, else in the profile.
    if (task.FirefoxProfileIsRelative && !root.cacheRoot.empty())
      sink.CollectFolder(root.cacheRoot + "/" + Narrow(task.FirefoxProfileRelativePath) + "/thumbnails", {});
    else
      sink.CollectFolder(FirefoxProfileBase(task) + "thumbnails", {});
  });
}

void FirefoxDownload(BrowserSink& sink) {
  ForEachFirefoxProfile(sink, [&](const os::browsers::FirefoxRoot&) {
    const Task& task = sink.CurrentTask();
    std::string base = FirefoxProfileBase(task);
    if (task.FirefoxVersionCode < 30) {
      sink.AddFile(base + "downloads.rdf");
      return;
    }
    AddEach(sink, base, {"downloads.sqlite", "downloads.json"});
    CleanFirefoxDownloads(sink, base + "places.sqlite");
  });
}

void FirefoxSession(BrowserSink& sink) {
  ForEachFirefoxProfile(sink, [&](const os::browsers::FirefoxRoot&) {
    std::string base = FirefoxProfileBase(sink.CurrentTask());
    AddEach(sink, base, {"sessionstore.bak", "sessionstore.js", "sessionstore.jsonlz4"});
    sink.CollectFolder(base + "sessionstore-backups", {});
  });
}

void FirefoxAutoComplete(BrowserSink& sink) {
  ForEachFirefoxProfile(sink, [&](const os::browsers::FirefoxRoot&) {
    const Task& task = sink.CurrentTask();
    sink.AddFile(FirefoxProfileBase(task) + (task.FirefoxVersionCode < 30 ? "formhistory.dat" : "formhistory.sqlite"));
  });
}

void FirefoxPasswords(BrowserSink& sink) {
  ForEachFirefoxProfile(sink, [&](const os::browsers::FirefoxRoot&) {
    // Not key4.db: it also holds the user's certificate keys and primary password.
    AddEach(sink, FirefoxProfileBase(sink.CurrentTask()),
            {"signons.txt", "signons2.txt", "signons3.txt", "key3.db", "signons.sqlite", "logins.json",
             "logins-backup.json"});
  });
}

}  // namespace cleanup
