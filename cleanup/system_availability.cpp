#include "cleanup/system_availability.h"

#include "os/cleanup_locations.h"
#include "os/internet_cache.h"
#include "os/recent_documents.h"
#include "os/registry.h"
#include "os/trash.h"

namespace cleanup {

namespace {

Availability Either(bool keptBySystem, ItemId id) {
  const CleanupItem& row = ItemRow(id);
  if (keptBySystem || !row.unavailableReason || os::cleanup_locations::HasRow(row.key, row.token))
    return {};
  return {false, row.unavailableReason};
}

}  // namespace

Availability RegistryHistoryAvailability() {
  if (os::registry::IsSystemRegistry())
    return {};
  return {false, kNoSuchHistory};
}

Availability IeRegistryAvailability() {
  if (os::registry::IsSystemRegistry())
    return {};
  return {false, kNoSuchBrowser};
}

Availability IeCacheAvailability() { return Either(os::internet_cache::Present(), ItemId::CacheInternetExplorer); }

Availability IeCookiesAvailability() {
  return Either(os::internet_cache::Present(), ItemId::CookiesInternetExplorer);
}

Availability IeHistoryAvailability() {
  return Either(os::internet_cache::Present(), ItemId::BrowserHistoryInternetExplorer);
}

Availability RecycleBinAvailability() { return Either(os::trash::HasSystemBins(), ItemId::FreeSpaceRecycleBin); }

Availability RecentDocumentsAvailability() {
  return Either(os::recent_documents::HasShellList(), ItemId::HistoryRecentDocumentsList);
}

}  // namespace cleanup
