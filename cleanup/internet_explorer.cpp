#include "cleanup/internet_explorer.h"

#include "os/internet_cache.h"

namespace cleanup {

namespace {

using os::internet_cache::Status;

void Purge(UrlCacheGroup group, ItemId item, const IeReport& report) {
  int code = 0;
  if (os::internet_cache::Current().Purge([group](std::uint32_t type) { return GroupOf(type) == group; }, code) ==
      Status::Failed)
    report(code, item);
}

}  // namespace

UrlCacheGroup GroupOf(std::uint32_t type) {
  // Types are bit sets: a sticky content entry is still content, and a
  // history entry with more bits is still history.
  if (type & os::internet_cache::kHistoryEntry)
    return UrlCacheGroup::History;
  if (type & os::internet_cache::kCookieEntry)
    return UrlCacheGroup::Cookies;
  if (type & os::internet_cache::kNormalEntry)
    return UrlCacheGroup::Cache;
  return UrlCacheGroup::Cookies;
}

void PurgeIeUrlCache(const CleanupSelection& selection, const IeReport& report) {
  if (selection.Get(ItemId::CacheInternetExplorer))
    Purge(UrlCacheGroup::Cache, ItemId::CacheInternetExplorer, report);
  if (selection.Get(ItemId::CookiesInternetExplorer))
    Purge(UrlCacheGroup::Cookies, ItemId::CookiesInternetExplorer, report);
}

void RunIeHistoryStage(int ieVersion, const IeReport& report) {
  if (ieVersion >= 7) {
    int code = 0;
    if (os::internet_cache::Current().ClearHistory(code) == Status::Failed)
      report(code, ItemId::BrowserHistoryInternetExplorer);
  }
  Purge(UrlCacheGroup::History, ItemId::BrowserHistoryInternetExplorer, report);
}

}  // namespace cleanup
