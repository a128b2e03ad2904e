#include "cleanup/catalogue.h"

#include <array>

#include "cleanup/browser_items.h"
#include "cleanup/system_availability.h"
#include "cleanup/system_items.h"
#include "os/cleanup_locations.h"

namespace cleanup {

namespace {

// The system entries, in processing order. An item whose row gives a reason
// is available only where the platform's location table has a row for it.
const std::vector<CatalogueEntry>& SystemCatalogue() {
  static const std::vector<CatalogueEntry> entries = {
      {ItemId::FreeSpaceTemp, CollectTemp},
      {ItemId::HistoryRecentDocumentsList, CollectRecentDocuments, RecentDocumentsAvailability},
      {ItemId::FreeSpaceCryptoApiCache, CollectLocations},
      {ItemId::FreeSpaceWindowsErrorReports, CollectLocations},
      {ItemId::FreeSpaceTempBurnFiles, CollectLocations},
      {ItemId::FreeSpaceMsnSqmFiles, CollectLocations},
      {ItemId::FreeSpaceFlashPlayer, CollectLocations},
      {ItemId::FreeSpaceJava, CollectJava},
      {ItemId::HistorySavedWindowInformation, CleanSavedWindowInformation, RegistryHistoryAvailability},
      {ItemId::HistoryRegistryEditor, CleanRegistryEditor, RegistryHistoryAvailability},
      {ItemId::HistoryMsPaint, CleanMsPaint, RegistryHistoryAvailability},
      {ItemId::HistoryWordPad, CleanWordPad, RegistryHistoryAvailability},
      {ItemId::HistoryWindowsMediaPlayer, CleanWindowsMediaPlayer, RegistryHistoryAvailability},
      {ItemId::HistoryOpenCloseDialogs, CleanOpenCloseDialogs, RegistryHistoryAvailability},
      {ItemId::HistoryComputerSearch, CleanComputerSearch, RegistryHistoryAvailability},
      {ItemId::HistoryInternetSearchAssistant, CleanInternetSearchAssistant, RegistryHistoryAvailability},
      {ItemId::HistoryFileSearch, CleanFileSearch, RegistryHistoryAvailability},
      {ItemId::HistorySearchHistory, CollectLocations},
      {ItemId::HistoryRunHistory, CleanRunHistory, RegistryHistoryAvailability},
      {ItemId::HistoryAccessedPrograms, CleanAccessedPrograms, RegistryHistoryAvailability},
      {ItemId::HistoryMsn, CleanMsn, RegistryHistoryAvailability},
      {ItemId::HistoryClipboard, EmptyClipboard},
      // Collected here like every other folder, not emptied apart on the
      // worker, so that progress, Cancel and the deleted-files log cover them.
      {ItemId::FreeSpaceThumbnails, CollectLocations},
      {ItemId::FreeSpaceRecycleBin, CollectTrash, RecycleBinAvailability},
      {ItemId::CacheInternetExplorer, CollectLocations, IeCacheAvailability},
      {ItemId::CookiesInternetExplorer, CollectLocations, IeCookiesAvailability},
      {ItemId::BrowserHistoryInternetExplorer, CollectLocations, IeHistoryAvailability},
      {ItemId::TypedUrlsInternetExplorer, CleanIeTypedUrls, IeRegistryAvailability},
      {ItemId::AutoCompleteInternetExplorer, CleanIeAutoComplete, IeRegistryAvailability},
      {ItemId::PasswordsInternetExplorer, CleanIePasswords, IeRegistryAvailability},
      {ItemId::InternetExplorerUserData, CollectLocations},
      {ItemId::InternetExplorerRssCache, CollectLocations},
      {ItemId::InternetExplorerCompatibility, CleanIeCompatibility, IeRegistryAvailability},
      {ItemId::InternetExplorerPopups, CleanIePopups, IeRegistryAvailability},
  };
  return entries;
}

}  // namespace

const std::vector<CatalogueEntry>& Catalogue() {
  static const std::vector<CatalogueEntry> entries = [] {
    std::vector<CatalogueEntry> all = SystemCatalogue();
    const auto& browsers = BrowserCatalogue();
    all.insert(all.end(), browsers.begin(), browsers.end());
    return all;
  }();
  return entries;
}

const CatalogueEntry* EntryOf(ItemId id) {
  static const std::array<const CatalogueEntry*, kCleanupItemCount> byId = [] {
    std::array<const CatalogueEntry*, kCleanupItemCount> entries{};
    for (const CatalogueEntry& entry : Catalogue())
      entries[static_cast<std::size_t>(entry.id)] = &entry;
    return entries;
  }();
  return byId[static_cast<std::size_t>(id)];
}

Availability ItemAvailability(ItemId id) {
  const CatalogueEntry* entry = EntryOf(id);
  if (!entry)
    return {false, kNoSuchData};
  if (entry->probe)
    return entry->probe();
  const CleanupItem& row = ItemRow(id);
  if (!row.unavailableReason || os::cleanup_locations::HasRow(row.key, row.token))
    return {};
  return {false, row.unavailableReason};
}

}  // namespace cleanup
