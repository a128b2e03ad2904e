// Browser clean-up against the plain tools on identical copies of generated
// profiles: the History items alone against the sqlite3 command line running
// the same statements, and Cache + History + Cookies against rm -rf of the
// caches plus that command line. Prints both times and their ratio.
//   dkwt_browser_bench [places visits bookmarks cookies cachefiles [rounds=3]]
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <wx/init.h>

#include "app/settings.h"
#include "app/task.h"
#include "app/task_host.h"
#include "cleanup/browser_items.h"
#include "cleanup/browser_procedures.h"
#include "cleanup/cleanup_state.h"
#include "cleanup/item_context.h"
#include "os/safe_fs.h"
#include "tools/fixtures/browser_fixtures.h"

namespace fs = std::filesystem;

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

const char kFirefoxPath[] = "/.mozilla/firefox/k3xq9v2a.default-esr";
const char kFirefoxCache[] = "/.cache/mozilla/firefox/k3xq9v2a.default-esr";
const char kChromiumPath[] = "/.config/chromium/Default";
const char kChromiumCache[] = "/.cache/chromium/Default";

std::string Quote(const std::string& text) {
  char* quoted = sqlite3_mprintf("%Q", text.c_str());
  std::string result = quoted;
  sqlite3_free(quoted);
  return result;
}

std::string Shell(const std::string& text) { return "'" + text + "'"; }  // our paths hold no quote

void WriteScript(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

// The moz_newtab_* tables the program finds, read before the clock starts.
std::vector<std::string> NewTabTables(const std::string& places) {
  std::vector<std::string> tables;
  sqlite3* db = nullptr;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_open_v2(places.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, cleanup::FirefoxNewTabTablesQuery(), -1, &statement, nullptr) == SQLITE_OK)
    while (sqlite3_step(statement) == SQLITE_ROW)
      tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return tables;
}

// The statements of the History items as sqlite3 scripts, one per database.
std::vector<std::pair<std::string, std::string>> HistoryScripts(const std::string& home) {
  std::string ff = home + kFirefoxPath;
  std::string cr = home + kChromiumPath;
  std::string places = "PRAGMA secure_delete=ON;\nATTACH DATABASE " + Quote(ff + "/favicons.sqlite") +
                       " AS icons;\nPRAGMA icons.secure_delete=ON;\nBEGIN IMMEDIATE;\n";
  for (const std::string& sql : cleanup::FirefoxHistoryStatements(true, NewTabTables(ff + "/places.sqlite")))
    places += sql + ";\n";
  places += "COMMIT;\nPRAGMA main.wal_checkpoint(TRUNCATE);\nPRAGMA icons.wal_checkpoint(TRUNCATE);\n";

  std::vector<std::string> urls;
  cleanup::ReadChromeBookmarkUrls(cr + "/Bookmarks", urls);
  std::string keep = "CREATE TEMP TABLE dkwt_keep(value TEXT PRIMARY KEY) WITHOUT ROWID;\n";
  for (const std::string& url : urls)
    keep += "INSERT OR IGNORE INTO temp.dkwt_keep(value) VALUES (" + Quote(url) + ");\n";
  std::string history = "PRAGMA secure_delete=ON;\nBEGIN IMMEDIATE;\n" + keep;
  for (const std::string& sql : cleanup::ChromiumHistoryStatements(cleanup::kAllHistoryParts))
    history += sql + ";\n";
  history += "SELECT count(url) FROM urls;\nCOMMIT;\n";
  std::string favicons = "PRAGMA secure_delete=ON;\nBEGIN IMMEDIATE;\n" + keep;
  for (const std::string& sql : cleanup::ChromiumFaviconStatements())
    favicons += sql + ";\n";
  favicons += "COMMIT;\n";
  return {
      {ff + "/places.sqlite", places},
      {cr + "/History", history},
      {cr + "/Favicons", favicons},
      {cr + "/Top Sites", "PRAGMA secure_delete=ON;\nBEGIN IMMEDIATE;\nDELETE FROM top_sites;\nCOMMIT;\n"},
      {cr + "/Shortcuts", "PRAGMA secure_delete=ON;\nBEGIN IMMEDIATE;\nDELETE FROM omni_box_shortcuts;\nCOMMIT;\n"},
      {cr + "/Network Action Predictor",
       "PRAGMA secure_delete=ON;\nBEGIN IMMEDIATE;\nDELETE FROM network_action_predictor;\nDELETE FROM "
       "resource_prefetch_predictor_host_redirect;\nDELETE FROM resource_prefetch_predictor_origin;\nDELETE FROM "
       "lcp_critical_path_predictor;\nDELETE FROM lcp_critical_path_predictor_initiator_origin;\nCOMMIT;\n"},
  };
}

// Scripts are written before the clock starts; running them is timed.
double RunTools(const std::string& home, const std::string& scripts, bool full) {
  std::vector<std::string> commands;
  int n = 0;
  for (const auto& [database, text] : HistoryScripts(home)) {
    std::string script = scripts + "/history" + std::to_string(n++) + ".sql";
    WriteScript(script, text);
    commands.push_back("sqlite3 " + Shell(database) + " < " + Shell(script) + " > /dev/null 2>&1");
  }
  if (full) {
    std::string cookies = scripts + "/cookies.sql";
    WriteScript(cookies, "PRAGMA secure_delete=ON;\nBEGIN IMMEDIATE;\nDELETE FROM cookies;\nCOMMIT;\n");
    commands.push_back("sqlite3 " + Shell(home + kChromiumPath + "/Cookies") + " < " + Shell(cookies));
    commands.push_back("rm -rf " + Shell(home + kFirefoxCache + "/cache2") + " " +
                       Shell(home + kChromiumCache + "/Cache") + " " + Shell(home + kChromiumCache + "/Code Cache") +
                       " " + Shell(home + kFirefoxPath + "/cookies.sqlite") + " " +
                       Shell(home + kFirefoxPath + "/cookies.sqlite-wal"));
  }
  auto start = std::chrono::steady_clock::now();
  // sqlite3 ends with 1 after the statement of a table today's schema lacks.
  for (const std::string& command : commands)
    (void)std::system(command.c_str());
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The program's own way: discovery, the items through the item context, and
// (for the full run) deleting what they collected as the worker does.
double RunOurs(const std::string& home, bool full) {
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
  setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
  setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
  auto start = std::chrono::steady_clock::now();
  BenchHost host;
  Task task(&host);
  Settings settings;
  CleanupSelection selection;
  cleanup::CleanupState state;
  cleanup::DiscoverBrowsers(task);
  cleanup::ItemContext context(state, task, settings, selection, host);
  std::vector<ItemId> wanted = {ItemId::BrowserHistoryFirefox, ItemId::BrowserHistoryChrome};
  if (full)
    wanted.insert(wanted.end(),
                  {ItemId::CacheFirefox, ItemId::CacheChrome, ItemId::CookiesFirefox, ItemId::CookiesChrome});
  for (const cleanup::CatalogueEntry& entry : cleanup::BrowserCatalogue()) {
    if (std::find(wanted.begin(), wanted.end(), entry.id) == wanted.end() || !entry.collect)
      continue;
    context.SetRow(&ItemRow(entry.id));
    entry.collect(context);
  }
  if (full) {
    os::safe_fs::Deleter deleter;
    for (const cleanup::PendingEntry& entry : state.PendingFiles)
      deleter.DeleteFile(*entry.base, entry.relative);
    for (const cleanup::PendingEntry& entry : state.PendingFolders)
      deleter.RemoveFolder(*entry.base, entry.relative);
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Copy(const std::string& from, const std::string& to) {
  fs::remove_all(to);
  fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  wxInitializer toolkit;
  fixtures::Scale scale{200000, 400000, 2000, 50000, 50000, 2};
  int rounds = 3;
  if (argc == 7)
    rounds = std::max(1, std::atoi(argv[6]));
  if (argc == 6 || argc == 7) {
    scale.places = std::atoi(argv[1]);
    scale.visits = std::atoi(argv[2]);
    scale.bookmarks = std::atoi(argv[3]);
    scale.cookies = std::atoi(argv[4]);
    scale.cacheFiles = std::atoi(argv[5]);
  }
  std::string pattern = (fs::temp_directory_path() / "dkwt-browser-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data()))
    return 1;
  std::string root = pattern;
  std::string generated = root + "/generated";
  std::printf("generating %d places, %d visits, %d bookmarks, %d cookies, %d cache files per browser...\n",
              scale.places, scale.visits, scale.bookmarks, scale.cookies, scale.cacheFiles);
  fixtures::MakeFirefoxProfile(generated, generated + "/.config", generated + "/.cache", scale);
  fixtures::MakeChromiumProfile(generated + "/.config", generated + "/.cache", "chromium", "Default", scale);
  fs::create_directories(root + "/scripts");

  for (bool full : {false, true}) {
    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round) {
      Copy(generated, root + "/ours");
      Copy(generated, root + "/tools");
      // The copies are written out first, and the order alternates, so that
      // neither side pays for the other's write-back or meets a warmer cache.
      (void)std::system("sync");
      double ours = 0, tools = 0;
      // The second side starts once the first one's writes are on disk too.
      if (round % 2 == 0) {
        ours = RunOurs(root + "/ours", full);
        (void)std::system("sync");
        tools = RunTools(root + "/tools", root + "/scripts", full);
      } else {
        tools = RunTools(root + "/tools", root + "/scripts", full);
        (void)std::system("sync");
        ours = RunOurs(root + "/ours", full);
      }
      std::printf("%-38s round %d: DKWT %8.3f s   tools %8.3f s   ratio %.3f\n",
                  full ? "Cache + History + Cookies (2 browsers)" : "History (Firefox + Chromium)", round, ours, tools,
                  ours / tools);
      ratios.push_back(ours / tools);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("%-38s median ratio %.3f\n", full ? "Cache + History + Cookies (2 browsers)" : "History (Firefox + Chromium)",
                ratios[ratios.size() / 2]);
  }
  std::error_code ignored;
  fs::remove_all(root, ignored);
  return 0;
}
