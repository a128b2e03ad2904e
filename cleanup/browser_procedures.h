#pragma once
// The work of the browser items, written against a small sink so that the
// same procedures run inside a clean-up (through the item context) and in
// tests. The database edits happen at once; files and folders are handed to
// the sink for the worker to delete.
#include <string>
#include <vector>

#include <wx/string.h>

#include "cleanup/browser_database.h"
#include "cleanup/browser_discovery.h"
#include "cleanup/catalogue.h"
#include "cleanup/item_context.h"

class Task;

namespace cleanup {

class BrowserSink {
 public:
  virtual ~BrowserSink() = default;
  virtual Task& CurrentTask() = 0;
  virtual bool IgnoreBrowserVersion() const = 0;
  // Where the Opera 8-12 installations may be.
  virtual BrowserPlaces Places() const = 0;
  // The item's own message (the catalogue row's).
  virtual wxString Message() const = 0;
  virtual void LogError(int code, const wxString& message) = 0;
  // Walks an existing folder; a missing one is skipped silently.
  virtual CollectResult CollectFolder(const std::string& folder, const CollectOptions& options) = 0;
  // Adds the file (with its SQLite companions) if it exists.
  virtual bool AddFile(const std::string& path) = 0;

  // Set while previewing: the database steps count what they would delete.
  virtual RowCounter* Counter() { return nullptr; }

  // The code a profile held by a running browser is reported with.
  virtual int InUseCode() const { return kBrowserNoPath; }

  void LogError(int code) { LogError(code, Message()); }
};

// Appended to the item's message in the error log.
extern const char kProfileInUse[];      // %s: the lock and its process
extern const char kNewerFirefoxHint[];  // %s: the version, %s: the profiles folder

// Codes of the database steps of the Chromium-family items.
constexpr int kChromeDatabaseOpenFailed = 10583;
constexpr int kChromeStatementFailed = 10584;

// "An Error occured while ..." with a letter that tells the failing step:
// "An Error A occured while ...".
wxString LetteredMessage(const wxString& message, const char* letter);

// The URL of every bookmark of a Chromium "Bookmarks" file; false when the
// file cannot be read or is no bookmarks file.
bool ReadChromeBookmarkUrls(const std::string& path, std::vector<std::string>& urls);

// Which parts of a Chromium History database an item clears.
enum ChromiumHistoryPart : unsigned {
  kVisitsPart = 1,    // urls, visits, segments and today's visit tables, favicons, top sites
  kTypedPart = 2,     // keyword search terms, address-bar shortcuts and predictor
  kDownloadPart = 4,  // the download tables
  kAllHistoryParts = 7,
};

// The databases of one Chromium-family profile folder.
void CleanChromiumHistory(BrowserSink& sink, const std::string& profileFolder, unsigned parts);
void CleanChromiumCookies(BrowserSink& sink, const std::string& profileFolder);
void CleanChromiumPasswords(BrowserSink& sink, const std::string& profileFolder);
// Session files (Sessions/, Sessions_Encrypted/ and the old names), walked
// from the profile folder.
CollectResult CollectChromiumSessions(BrowserSink& sink, const std::string& profileFolder, bool withOldHistoryFiles);
void CollectChromiumCache(BrowserSink& sink, const std::string& cacheFolder, const std::string& profileFolder,
                          const std::string& userDataFolder);
// Reports and returns true when a running browser holds the user-data folder.
bool ChromiumInUse(BrowserSink& sink, const std::string& userDataFolder);

// Firefox databases edited in place.
void CleanFirefoxPlaces(BrowserSink& sink, const std::string& placesPath);
void CleanFirefoxDownloads(BrowserSink& sink, const std::string& placesPath);

// The statements the database steps run, for tools that compare them with
// other ways of running them. Firefox's icon statements name favicons.sqlite
// "icons", `newTabTables` are the moz_newtab_* tables the file holds; the
// Chromium ones use the kept URLs in temp.dkwt_keep(value).
std::vector<std::string> FirefoxHistoryStatements(bool withIcons, const std::vector<std::string>& newTabTables);
// The query that lists those moz_newtab_* tables.
const char* FirefoxNewTabTablesQuery();
std::vector<std::string> ChromiumHistoryStatements(unsigned parts);
std::vector<std::string> ChromiumFaviconStatements();

// The items, by catalogue row.
void FirefoxCache(BrowserSink& sink);
void FirefoxCookies(BrowserSink& sink);
void FirefoxHistory(BrowserSink& sink);
void FirefoxDownload(BrowserSink& sink);
void FirefoxSession(BrowserSink& sink);
void FirefoxAutoComplete(BrowserSink& sink);
void FirefoxPasswords(BrowserSink& sink);
void OperaCache(BrowserSink& sink);
void OperaCookies(BrowserSink& sink);
void OperaHistory(BrowserSink& sink);
void OperaDownload(BrowserSink& sink);
void OperaSession(BrowserSink& sink);
void OperaTypedUrls(BrowserSink& sink);
void OperaPasswords(BrowserSink& sink);
void ChromeCache(BrowserSink& sink);
void ChromeHistory(BrowserSink& sink);
void ChromeCookies(BrowserSink& sink);
void ChromePasswords(BrowserSink& sink);

}  // namespace cleanup
