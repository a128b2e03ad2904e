// The Chromium-family databases and files of one profile folder (Google
// Chrome, Chromium, today's Opera).
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cleanup/browser_database.h"
#include "cleanup/browser_procedures.h"
#include "os/browsers.h"

namespace cleanup {

namespace {

// A bookmarks file of a few hundred thousand bookmarks stays below this.
constexpr std::uintmax_t kBookmarksLimit = 256u * 1024u * 1024u;

bool Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

// Bookmark folders nest a few levels; a file nested deeper than this is no
// bookmarks file of a browser and must not exhaust the stack.
constexpr int kMaxBookmarkDepth = 200;

bool CollectUrls(const nlohmann::json& node, std::vector<std::string>& urls, int depth = 0) {
  if (depth > kMaxBookmarkDepth)
    return false;
  if (node.is_object()) {
    for (auto entry = node.begin(); entry != node.end(); ++entry) {
      if (entry.key() == "url" && entry.value().is_string())
        urls.push_back(entry.value().get<std::string>());
      else if (!CollectUrls(entry.value(), urls, depth + 1))
        return false;
    }
  } else if (node.is_array()) {
    for (const auto& child : node)
      if (!CollectUrls(child, urls, depth + 1))
        return false;
  }
  return true;
}

struct HistoryStatement {
  const char* letter;
  const char* sql;
  unsigned parts;
  bool today;  // a table of today's schema: its absence is no error
};

// The first six in the order the old browsers needed; the rest are the
// tables today's History keeps beside them.
constexpr HistoryStatement kHistoryStatements[] = {
    {"A", "DELETE FROM urls WHERE url NOT IN (SELECT value FROM temp.dkwt_keep)", kVisitsPart, false},
    // The kept (bookmarked) pages forget how often and when they were visited.
    {"I", "UPDATE urls SET visit_count = 0, typed_count = 0, last_visit_time = 0 WHERE visit_count <> 0 OR "
          "typed_count <> 0 OR last_visit_time <> 0",
     kVisitsPart, false},
    {"B", "DELETE FROM downloads", kDownloadPart, false},
    {"C", "DELETE FROM keyword_search_terms", kTypedPart, false},
    {"D", "DELETE FROM segment_usage", kVisitsPart, false},
    {"E", "DELETE FROM segments", kVisitsPart, false},
    {"F", "DELETE FROM visits", kVisitsPart, false},
    {"M", "DELETE FROM visited_links", kVisitsPart, true},
    {"N", "DELETE FROM visit_source", kVisitsPart, true},
    {"O", "DELETE FROM downloads_url_chains", kDownloadPart, true},
    {"P", "DELETE FROM downloads_slices", kDownloadPart, true},
    {"Q", "DELETE FROM content_annotations", kVisitsPart, true},
    {"R", "DELETE FROM context_annotations", kVisitsPart, true},
    {"S", "DELETE FROM clusters", kVisitsPart, true},
    {"T", "DELETE FROM clusters_and_visits", kVisitsPart, true},
    {"U", "DELETE FROM cluster_keywords", kVisitsPart, true},
    {"V", "DELETE FROM cluster_visit_duplicates", kVisitsPart, true},
};

// Icons of pages that are no longer kept, then what no page uses.
constexpr HistoryStatement kFaviconStatements[] = {
    {"W", "DELETE FROM icon_mapping WHERE page_url NOT IN (SELECT value FROM temp.dkwt_keep)", kVisitsPart, true},
    // A NULL in a NOT IN list would keep every row.
    {"X", "DELETE FROM favicon_bitmaps WHERE icon_id NOT IN (SELECT icon_id FROM icon_mapping WHERE icon_id IS NOT NULL)",
     kVisitsPart, true},
    {"Y", "DELETE FROM favicons WHERE id NOT IN (SELECT icon_id FROM icon_mapping WHERE icon_id IS NOT NULL)",
     kVisitsPart, true},
};

// Databases beside History that hold only traces of browsing: every row goes.
struct SideDatabase {
  const char* file;
  unsigned parts;
  std::vector<const char*> tables;
};

const SideDatabase kSideDatabases[] = {
    {"Top Sites", kVisitsPart, {"top_sites"}},
    {"Shortcuts", kTypedPart, {"omni_box_shortcuts"}},
    {"Network Action Predictor",
     kTypedPart,
     {"network_action_predictor", "resource_prefetch_predictor_host_redirect", "resource_prefetch_predictor_origin",
      "lcp_critical_path_predictor", "lcp_critical_path_predictor_initiator_origin"}},
};

// The autofill, address and card tables of "Web Data" (and the logins of the
// first versions); its search engines stay.
constexpr const char* kWebDataTables[] = {
    "autofill",
    "autocomplete",
    "autofill_profiles",
    "autofill_profile_names",
    "autofill_profile_emails",
    "autofill_profile_phones",
    "autofill_profile_addresses",
    "autofill_profiles_trash",
    "addresses",
    "address_type_tokens",
    "local_addresses",
    "local_addresses_type_tokens",
    "contact_info",
    "contact_info_type_tokens",
    "credit_cards",
    "local_stored_cvc",
    "server_stored_cvc",
    "masked_credit_cards",
    "masked_credit_card_benefits",
    "unmasked_credit_cards",
    "server_card_metadata",
    "server_card_cloud_token_data",
    "server_addresses",
    "server_address_metadata",
    "local_ibans",
    "masked_ibans",
    "masked_ibans_metadata",
    "payments_customer_data",
    "virtual_card_usage_data",
    "benefit_merchant_domains",
    "generic_payment_instruments",
    "masked_bank_accounts",
    "masked_bank_accounts_metadata",
    "logins",
    "ie7_logins",
};

// Files of the old layouts that held history or sessions, by name.
constexpr const char* kOldSessionNames[] = {
    "/Current Session", "/Last Session", "/Current Tabs", "/Last Tabs", "/Visited Links", "/Archived History",
};

constexpr const char* kSessionFolders[] = {"/Sessions/", "/Sessions_Encrypted/"};

bool EndsWith(const std::string& text, const char* suffix) {
  std::string tail = suffix;
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Runs the statements of the given parts; a table today's schema may lack is
// skipped silently, any other failure is reported with its letter.
void RunStatements(BrowserSink& sink, BrowserDatabase& db, const HistoryStatement* first, const HistoryStatement* last,
                   unsigned parts, bool skipUrls) {
  for (const HistoryStatement* statement = first; statement != last; ++statement) {
    if (!(statement->parts & parts))
      continue;
    if (skipUrls && statement == first)
      continue;
    std::string error;
    if (db.Exec(statement->sql, &error))
      continue;
    if (statement->today && IsMissingTableError(error))
      continue;
    sink.LogError(kChromeStatementFailed, LetteredMessage(sink.Message(), statement->letter));
  }
}

bool Finish(BrowserSink& sink, BrowserDatabase& db) {
  if (db.Commit())
    return true;
  sink.LogError(kChromeDatabaseOpenFailed);
  return false;
}

bool OpenForItem(BrowserSink& sink, BrowserDatabase& db, const std::string& path) {
  if (db.Open(path) && db.Begin())
    return true;
  sink.LogError(kChromeDatabaseOpenFailed);
  db.Close();
  return false;
}

void CleanSideDatabases(BrowserSink& sink, const std::string& profileFolder, unsigned parts) {
  for (const SideDatabase& side : kSideDatabases) {
    std::string path = profileFolder + "/" + side.file;
    if (!(side.parts & parts) || !Exists(path))
      continue;
    BrowserDatabase db(sink.Counter());
    if (!OpenForItem(sink, db, path))
      continue;
    for (const char* table : side.tables) {
      std::string error;
      if (!db.Exec(std::string("DELETE FROM ") + table, &error) && !IsMissingTableError(error))
        sink.LogError(kChromeStatementFailed, LetteredMessage(sink.Message(), "Z"));
    }
    Finish(sink, db);
  }
}

// The "Thumbnails" database of the old versions held the favicons.
void CleanOldThumbnails(BrowserSink& sink, const std::string& path, const std::vector<std::string>& keptIconIds) {
  BrowserDatabase db(sink.Counter());
  if (!OpenForItem(sink, db, path))
    return;
  if (!db.FillTemporaryTable("dkwt_ids", keptIconIds)) {
    sink.LogError(kChromeDatabaseOpenFailed);
    return;
  }
  std::string error;
  if (!db.Exec("DELETE FROM favicons WHERE id NOT IN (SELECT value FROM temp.dkwt_ids)", &error) &&
      error != "no such table: favicons")
    sink.LogError(kChromeStatementFailed, LetteredMessage(sink.Message(), "G"));
  if (!db.Exec("DELETE FROM thumbnails", &error) && error != "no such table: thumbnails")
    sink.LogError(kChromeStatementFailed, LetteredMessage(sink.Message(), "H"));
  Finish(sink, db);
}

void CleanFavicons(BrowserSink& sink, const std::string& path, const std::vector<std::string>& keep) {
  BrowserDatabase db(sink.Counter());
  if (!OpenForItem(sink, db, path))
    return;
  if (!db.FillTemporaryTable("dkwt_keep", keep)) {
    sink.LogError(kChromeDatabaseOpenFailed);
    return;
  }
  RunStatements(sink, db, std::begin(kFaviconStatements), std::end(kFaviconStatements), kVisitsPart, false);
  Finish(sink, db);
}

}  // namespace

std::vector<std::string> ChromiumHistoryStatements(unsigned parts) {
  std::vector<std::string> statements;
  for (const HistoryStatement& statement : kHistoryStatements)
    if (statement.parts & parts)
      statements.push_back(statement.sql);
  return statements;
}

std::vector<std::string> ChromiumFaviconStatements() {
  std::vector<std::string> statements;
  for (const HistoryStatement& statement : kFaviconStatements)
    statements.push_back(statement.sql);
  return statements;
}

wxString LetteredMessage(const wxString& message, const char* letter) {
  wxString lettered = message;
  if (lettered.StartsWith("An Error "))
    lettered = "An Error " + wxString(letter) + " " + lettered.Mid(9);
  return lettered;
}

bool ReadChromeBookmarkUrls(const std::string& path, std::vector<std::string>& urls) {
  urls.clear();
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error) || std::filesystem::file_size(path, error) > kBookmarksLimit)
    return false;
  std::ifstream in(path, std::ios::binary);
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (!in && !in.eof())
    return false;
  nlohmann::json bookmarks = nlohmann::json::parse(buffer.str(), nullptr, false);
  if (bookmarks.is_discarded() || !bookmarks.is_object() || !bookmarks.contains("roots"))
    return false;
  return CollectUrls(bookmarks["roots"], urls);
}

void CleanChromiumHistory(BrowserSink& sink, const std::string& profileFolder, unsigned parts) {
  const std::string history = profileFolder + "/History";
  const std::string bookmarksFile = profileFolder + "/Bookmarks";
  const std::string thumbnails = profileFolder + "/Thumbnails";
  const std::string favicons = profileFolder + "/Favicons";

  if ((parts & kVisitsPart) && !Exists(bookmarksFile)) {
    // Nothing to keep: the history databases go whole.
    sink.AddFile(history);
    sink.AddFile(thumbnails);
    sink.AddFile(favicons);
    CleanSideDatabases(sink, profileFolder, parts);
    return;
  }

  std::vector<std::string> keep;
  bool bookmarksRead = true;
  if (parts & kVisitsPart) {
    bookmarksRead = ReadChromeBookmarkUrls(bookmarksFile, keep);
    // Without the list of bookmarks no history row may go: a bookmarked page
    // would lose its title and icon.
    if (!bookmarksRead)
      sink.LogError(kChromeStatementFailed, LetteredMessage(sink.Message(), "A"));
  }

  bool historyCleaned = false;
  std::vector<std::string> keptIconIds;
  bool iconIdsRead = false;
  if (Exists(history)) {
    BrowserDatabase db(sink.Counter());
    if (OpenForItem(sink, db, history)) {
      if (!db.FillTemporaryTable("dkwt_keep", keep)) {
        sink.LogError(kChromeDatabaseOpenFailed);
      } else {
        RunStatements(sink, db, std::begin(kHistoryStatements), std::end(kHistoryStatements), parts, !bookmarksRead);
        if ((parts & kVisitsPart) && Exists(thumbnails)) {
          std::string error;
          if (!db.Column("SELECT favicon_id FROM urls WHERE url IN (SELECT value FROM temp.dkwt_keep)", keptIconIds,
                         &error))
            sink.LogError(kChromeDatabaseOpenFailed, LetteredMessage(sink.Message(), "K"));
          else
            iconIdsRead = true;
        }
        std::vector<std::string> remaining;
        // Counting deleted nothing; what a run leaves of urls is within `keep`.
        if ((parts & kVisitsPart) && (!db.Counting() || !bookmarksRead) &&
            db.Column("SELECT url FROM urls", remaining))
          keep.insert(keep.end(), remaining.begin(), remaining.end());
        historyCleaned = Finish(sink, db);
      }
    }
  } else {
    historyCleaned = true;
  }

  if (parts & kVisitsPart) {
    if (iconIdsRead && historyCleaned)
      CleanOldThumbnails(sink, thumbnails, keptIconIds);
    // The icons follow what History keeps; if History could not be cleaned,
    // they stay with it.
    if (historyCleaned && Exists(favicons))
      CleanFavicons(sink, favicons, keep);
  }
  CleanSideDatabases(sink, profileFolder, parts);
}

void CleanChromiumCookies(BrowserSink& sink, const std::string& profileFolder) {
  for (const char* name : {"/Cookies", "/Network/Cookies"}) {
    std::string path = profileFolder + name;
    if (!Exists(path))
      continue;
    BrowserDatabase db(sink.Counter());
    if (!OpenForItem(sink, db, path))
      continue;
    if (!db.Exec("DELETE FROM cookies"))
      sink.LogError(kChromeStatementFailed);
    Finish(sink, db);
  }
}

void CleanChromiumPasswords(BrowserSink& sink, const std::string& profileFolder) {
  sink.AddFile(profileFolder + "/Login Data");
  sink.AddFile(profileFolder + "/Login Data For Account");
  std::string webData = profileFolder + "/Web Data";
  if (!Exists(webData))
    return;
  BrowserDatabase db(sink.Counter());
  if (!OpenForItem(sink, db, webData))
    return;
  for (const char* table : kWebDataTables) {
    std::string error;
    if (!db.Exec(std::string("DELETE FROM ") + table, &error) && !IsMissingTableError(error))
      sink.LogError(kChromeStatementFailed);
  }
  Finish(sink, db);
}

CollectResult CollectChromiumSessions(BrowserSink& sink, const std::string& profileFolder, bool withOldHistoryFiles) {
  CollectOptions options;
  options.folders = false;
  std::string base = profileFolder;
  options.fileFilter = [base, withOldHistoryFiles](const std::string& path) {
    for (const char* folder : kSessionFolders)
      if (path.compare(0, base.size() + std::char_traits<char>::length(folder), base + folder) == 0)
        return true;
    if (!withOldHistoryFiles)
      return false;
    if (path.find("History Index ") != std::string::npos)
      return true;
    for (const char* name : kOldSessionNames)
      if (EndsWith(path, name))
        return true;
    return false;
  };
  return sink.CollectFolder(profileFolder, options);
}

void CollectChromiumCache(BrowserSink& sink, const std::string& cacheFolder, const std::string& profileFolder,
                          const std::string& userDataFolder) {
  // Caches only, nothing a user keeps: the disk and code caches, the GPU's
  // compiled shaders of the profile and of the whole browser.
  for (const char* name : {"/Cache", "/Code Cache"})
    sink.CollectFolder(cacheFolder + name, {});
  for (const char* name : {"/GPUCache", "/DawnGraphiteCache", "/DawnWebGPUCache"})
    sink.CollectFolder(profileFolder + name, {});
  for (const char* name : {"/GrShaderCache", "/ShaderCache"})
    sink.CollectFolder(userDataFolder + name, {});
}

bool ChromiumInUse(BrowserSink& sink, const std::string& userDataFolder) {
  std::string holder;
  if (!os::browsers::ProfileInUse(os::browsers::Family::Chromium, userDataFolder, holder))
    return false;
  sink.LogError(sink.InUseCode(), sink.Message() + " " + wxString::Format(kProfileInUse, wxString::FromUTF8(holder)));
  return true;
}

namespace {

// Every profile of every Chromium-family browser that no running browser
// holds (a held one is reported once per item and browser).
template <typename Body>
void ForEachChromiumProfile(BrowserSink& sink, Body body) {
  std::string lastUserData;
  bool held = false;
  for (const ChromiumProfile& profile : ChromiumProfiles()) {
    if (profile.userDataFolder != lastUserData) {
      lastUserData = profile.userDataFolder;
      held = ChromiumInUse(sink, lastUserData);
    }
    if (!held)
      body(profile);
  }
}

}  // namespace

void ChromeCache(BrowserSink& sink) {
  ForEachChromiumProfile(sink, [&](const ChromiumProfile& profile) {
    if (profile.cacheFolder.empty())
      sink.LogError(10582);
    else
      CollectChromiumCache(sink, profile.cacheFolder, profile.profileFolder, profile.userDataFolder);
  });
}

void ChromeHistory(BrowserSink& sink) {
  ForEachChromiumProfile(sink, [&](const ChromiumProfile& profile) {
    // The databases are edited only once their folder could be walked.
    if (CollectChromiumSessions(sink, profile.profileFolder, true) != CollectResult::Collected)
      return;
    CleanChromiumHistory(sink, profile.profileFolder, kAllHistoryParts);
    sink.AddFile(profile.profileFolder + "/Bookmarks.bak");
  });
}

void ChromeCookies(BrowserSink& sink) {
  ForEachChromiumProfile(sink, [&](const ChromiumProfile& profile) { CleanChromiumCookies(sink, profile.profileFolder); });
}

void ChromePasswords(BrowserSink& sink) {
  ForEachChromiumProfile(sink,
                         [&](const ChromiumProfile& profile) { CleanChromiumPasswords(sink, profile.profileFolder); });
}

}  // namespace cleanup
