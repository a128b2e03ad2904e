// Internet Explorer's URL cache and history object through a stand-in for
// the system's stores: which entries each item takes, and that failures
// reach the error log with the item's message.
#include <wx/app.h>

#include "cleanup/internet_explorer.h"
#include "os/internet_cache.h"
#include "tests/cleanup/cleanup_harness.h"

namespace {

using os::internet_cache::Status;

struct Entry {
  const char* url;
  std::uint32_t type;
};

class FakeStore final : public os::internet_cache::Store {
 public:
  explicit FakeStore(std::vector<Entry> entries) : entries(std::move(entries)) {
    os::internet_cache::testing::ReplaceStore(this);
  }
  ~FakeStore() override { os::internet_cache::testing::ReplaceStore(nullptr); }

  Status Purge(const std::function<bool(std::uint32_t)>& remove, int& code) override {
    std::lock_guard<std::mutex> lock(mutex);
    std::erase_if(entries, [&](const Entry& entry) { return remove(entry.type); });
    code = purgeFailure;
    return purgeFailure ? Status::Failed : Status::Done;
  }
  Status ClearHistory(int& code) override {
    std::lock_guard<std::mutex> lock(mutex);
    ++historyCleared;
    code = historyFailure;
    return historyFailure ? Status::Failed : Status::Done;
  }
  std::vector<std::string> Left() {
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<std::string> urls;
    for (const Entry& entry : entries)
      urls.push_back(entry.url);
    return urls;
  }

  std::mutex mutex;
  std::vector<Entry> entries;
  int purgeFailure = 0;
  int historyFailure = 0;
  int historyCleared = 0;
};

// One of each kind the cache holds, with the flags real entries carry.
std::vector<Entry> Seeded() {
  return {{"http://a/page", 0x1},
          {"http://a/sticky", 0x1 | 0x4},
          {"Cookie:u@a/", 0x100000},
          {"Cookie:u@b/", 0x100000 | 0x4},
          {"Visited: u@http://a/", 0x200000},
          {"Visited: u@http://b/", 0x200000 | 0x1},
          {"odd", 0x40}};
}

}  // namespace

TEST(InternetExplorerUrlCache, EachItemTakesItsOwnEntries) {
  struct Case {
    ItemId item;
    std::vector<std::string> left;
  };
  const Case cases[] = {
      {ItemId::CacheInternetExplorer,
       {"Cookie:u@a/", "Cookie:u@b/", "Visited: u@http://a/", "Visited: u@http://b/", "odd"}},
      {ItemId::CookiesInternetExplorer,
       {"http://a/page", "http://a/sticky", "Visited: u@http://a/", "Visited: u@http://b/"}},
  };
  for (const Case& c : cases) {
    FakeStore store(Seeded());
    CleanupSelection selection;
    selection.Set(c.item, true);
    cleanup::PurgeIeUrlCache(selection, [](int, ItemId) { ADD_FAILURE() << "nothing fails"; });
    EXPECT_EQ(store.Left(), c.left) << ItemRow(c.item).label;
  }
}

TEST(InternetExplorerUrlCache, HistoryStageClearsTheHistoryObjectFromVersionSeven) {
  for (int version : {0, 6, 7, 11}) {
    FakeStore store(Seeded());
    cleanup::RunIeHistoryStage(version, [](int, ItemId) { ADD_FAILURE() << "nothing fails"; });
    EXPECT_EQ(store.historyCleared, version >= 7 ? 1 : 0) << version;
    EXPECT_EQ(store.Left(), (std::vector<std::string>{"http://a/page", "http://a/sticky", "Cookie:u@a/",
                                                       "Cookie:u@b/", "odd"}))
        << "every version loses its history entries";
  }
}

TEST(InternetExplorerUrlCache, FailuresAreReportedWithTheItemsCodeAndMessage) {
  FakeStore store(Seeded());
  store.purgeFailure = 1167;
  store.historyFailure = static_cast<int>(0x80004001);
  std::vector<std::pair<int, ItemId>> reports;
  const cleanup::IeReport record = [&](int code, ItemId item) { reports.emplace_back(code, item); };
  CleanupSelection selection;
  selection.Set(ItemId::CookiesInternetExplorer, true);
  cleanup::PurgeIeUrlCache(selection, record);
  cleanup::RunIeHistoryStage(11, record);
  const std::vector<std::pair<int, ItemId>> expected = {{1167, ItemId::CookiesInternetExplorer},
                                                        {static_cast<int>(0x80004001), ItemId::BrowserHistoryInternetExplorer},
                                                        {1167, ItemId::BrowserHistoryInternetExplorer}};
  EXPECT_EQ(reports, expected) << "the history entries are purged even when the history object fails";
}

TEST(InternetExplorerUrlCache, CancelledWorkerStillPurgesAndReportsThroughTheWindow) {
  FakeStore store(Seeded());
  store.purgeFailure = 12;
  CleanupRun run;
  WindowLikeTarget window;
  run.Select(ItemId::CacheInternetExplorer);
  run.state.SetCancelled(true);
  run.RunWorker(&window);
  wxTheApp->ProcessPendingEvents();
  EXPECT_EQ(store.Left(), (std::vector<std::string>{"Cookie:u@a/", "Cookie:u@b/", "Visited: u@http://a/",
                                                     "Visited: u@http://b/", "odd"}));
  ASSERT_EQ(window.errors.size(), 1u);
  EXPECT_EQ(window.errors[0], (std::pair<int, std::string>{12, "An Error occured while emptying IE's Cache."}));
}

TEST(InternetExplorerUrlCache, NoStoreHereMeansNothingToReport) {
  CleanupSelection selection;
  selection.Set(ItemId::CacheInternetExplorer, true);
  selection.Set(ItemId::CookiesInternetExplorer, true);
  int reports = 0;
  cleanup::PurgeIeUrlCache(selection, [&](int, ItemId) { ++reports; });
  cleanup::RunIeHistoryStage(11, [&](int, ItemId) { ++reports; });
  int code = -1;
  EXPECT_EQ(os::internet_cache::RetireLockedIndex("/nonexistent/index.dat", code), Status::NotHere);
  EXPECT_EQ(reports, 0);
}
