#pragma once
// Internet Explorer's stores that are no files: the URL cache entries of the
// cache, cookie and history items, and the URL history object.
#include <cstdint>
#include <functional>

#include "app/cleanup_selection.h"

namespace cleanup {

enum class UrlCacheGroup { Cache, Cookies, History };

// Which item an entry of the URL cache belongs to, by the bits of its type:
// history, then cookies, then content; an entry of none of these goes with
// the cookies.
UrlCacheGroup GroupOf(std::uint32_t type);

// A failure for the error log: the code and the item whose message it gets.
using IeReport = std::function<void(int code, ItemId item)>;

// Worker, after the file loops: the cache and cookie entries of the selected
// items.
void PurgeIeUrlCache(const CleanupSelection& selection, const IeReport& report);

// GUI thread, when the worker asks for it: the URL history object (Internet
// Explorer 7 and later), then the history entries of the URL cache.
void RunIeHistoryStage(int ieVersion, const IeReport& report);

}  // namespace cleanup
