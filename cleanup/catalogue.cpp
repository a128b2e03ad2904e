#include "cleanup/catalogue.h"

#include "app/cleanup_selection.h"
#include "cleanup/browser_items.h"
#include "cleanup/system_items.h"
#include "os/cleanup_locations.h"

namespace cleanup {

const char kNoSuchData[] = "This system keeps no such data.";
const char kNoSuchBrowser[] = "This browser does not exist on this system.";
const char kNoSuchHistory[] = "No program on this system keeps this history.";

namespace {

// The system rows, in processing order. A row with a reason is available
// only where the platform's location table has a row for its token.
const std::vector<CatalogueRow>& SystemCatalogue() {
  static const std::vector<CatalogueRow> rows = {
      {"Free_Space", "Temp", CollectTemp, "An Error occured while removing Temp files.", {0, 0, 10504, 10503, 0},
       kNoSuchData},
      {"History", "RecentDocumentsList", CollectRecentDocuments, "", {}, kNoSuchData},
      {"Free_Space", "CryptoApiCache", CollectLocations, "An Error occured while deleting CryptoAPI disk cache files.",
       {10513, 10514, 10512, 10511, 10510}, kNoSuchData},
      {"Free_Space", "WindowsErrorReports", CollectLocations,
       "An Error occured while deleting Windows Error Reporting files.", {10518, 10519, 10517, 10516, 10515},
       kNoSuchData},
      {"Free_Space", "TempBurnFiles", CollectLocations, "An Error occured while emptying Temporary Burn Folder.",
       {10530, 10529, 10527, 10526, 10525}, kNoSuchData},
      {"Free_Space", "MsnSqmFiles", CollectLocations, "An Error occured while removing MSN Messenger SQM files.",
       {10536, 10537, 10535, 10534, 10533}, kNoSuchData},
      {"Free_Space", "FlashPlayer", CollectLocations,
       "An Error occured while removing Flash Player shared object files.", {10536, 10537, 10535, 0, 0}, kNoSuchData},
      {"Free_Space", "Java", CollectJava, "An Error occured while removing Java temporary internet files.",
       {10536, 10537, 10535, 0, 0}, kNoSuchData},
      {"History", "SavedWindowInformation", CleanSavedWindowInformation, "", {}, kNoSuchHistory},
      {"History", "RegistryEditor", CleanRegistryEditor, "", {}, kNoSuchHistory},
      {"History", "MsPaint", CleanMsPaint, "", {}, kNoSuchHistory},
      {"History", "WordPad", CleanWordPad, "", {}, kNoSuchHistory},
      {"History", "WindowsMediaPlayer", CleanWindowsMediaPlayer, "", {}, kNoSuchHistory},
      {"History", "OpenCloseDialogs", CleanOpenCloseDialogs, "", {}, kNoSuchHistory},
      {"History", "ComputerSearch", CleanComputerSearch, "", {}, kNoSuchHistory},
      {"History", "InternetSearchAssistent", CleanInternetSearchAssistant, "", {}, kNoSuchHistory},
      {"History", "FileSearch", CleanFileSearch, "", {}, kNoSuchHistory},
      {"History", "SearchHistory", CollectLocations, "An Error occured while deleting Saved Searches.",
       {10508, 10509, 10507, 10506, 10505}, kNoSuchData},
      {"History", "RunHistory", CleanRunHistory, "", {}, kNoSuchHistory},
      {"History", "AccessedPrograms", CleanAccessedPrograms, "", {}, kNoSuchHistory},
      {"History", "MSN", CleanMsn, "", {}, kNoSuchHistory},
      {"History", "Clipboard", EmptyClipboard, "", {}, nullptr},
      // Collected here like every other folder, not emptied apart on the
      // worker, so that progress, Cancel and the deleted-files log cover them.
      {"Free_Space", "Thumbnails", CollectLocations, "", {}, kNoSuchData},
      {"Free_Space", "RecycleBin", CollectTrash, "", {}, kNoSuchData},
      {"Cache", "InternetExplorer", CollectLocations, "An Error occured while emptying IE's Cache.",
       {10538, 10539, 10543, 10540, 10541}, kNoSuchBrowser},
      {"Cookies", "InternetExplorer", CollectLocations, "An Error occured while removing IE's cookies.",
       {10544, 10545, 10549, 10546, 10547}, kNoSuchBrowser},
      {"Browser_History", "InternetExplorer", CollectLocations, "An Error occured while cleaning IE's History.",
       {10550, 10551, 10555, 10552, 10553}, kNoSuchBrowser},
      {"Typed_Urls", "InternetExplorer", CleanIeTypedUrls, "", {}, kNoSuchBrowser},
      {"Auto_Complete", "InternetExplorer", CleanIeAutoComplete, "", {}, kNoSuchBrowser},
      {"Saved_Usernames_Passwords", "InternetExplorer", CleanIePasswords, "", {}, kNoSuchBrowser},
      {"Internet_Explorer_Specific", "Userdata", CollectLocations, "An Error occured while clearing UserData folder.",
       {0, 0, 0, 10556, 0}, kNoSuchBrowser},
      {"Internet_Explorer_Specific", "RssCache", CollectLocations,
       "An Error occured while clearing Feeds Cache folder.", {0, 0, 0, 10558, 0}, kNoSuchBrowser},
      {"Internet_Explorer_Specific", "Compatibility", CleanIeCompatibility, "", {}, kNoSuchBrowser},
      {"Internet_Explorer_Specific", "Popups", CleanIePopups, "", {}, kNoSuchBrowser},
  };
  return rows;
}

}  // namespace

const std::vector<CatalogueRow>& Catalogue() {
  static const std::vector<CatalogueRow> rows = [] {
    std::vector<CatalogueRow> all = SystemCatalogue();
    const auto& browsers = BrowserCatalogue();
    all.insert(all.end(), browsers.begin(), browsers.end());
    return all;
  }();
  return rows;
}

std::size_t ItemIndex(std::string_view key, std::string_view token) {
  const auto& keys = CleanupKeys();
  for (std::size_t k = 0; k < keys.size(); ++k) {
    if (key != keys[k].key)
      continue;
    for (std::size_t t = 0; t < keys[k].tokens.size(); ++t)
      if (token == keys[k].tokens[t])
        return CleanupFirstItem(k) + t;
  }
  return kCleanupItemCount;
}

const CatalogueRow* RowOfItem(std::size_t item) {
  for (const CatalogueRow& row : Catalogue())
    if (ItemIndex(row.key, row.token) == item)
      return &row;
  return nullptr;
}

Availability ItemAvailability(std::size_t item) {
  const CatalogueRow* row = RowOfItem(item);
  if (!row)
    return {false, kNoSuchData};
  if (row->probe)
    return row->probe();
  if (!row->unavailableReason || os::cleanup_locations::HasRow(row->key, row->token))
    return {};
  return {false, row->unavailableReason};
}

}  // namespace cleanup
