#pragma once
// The clean-up items: one row per item with everything the task file, the
// extras window and the clean-up's reports know about it. What an item does
// belongs to the clean-up (cleanup/catalogue.h), which finds its row by id.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

// In task-file order, key by key and token by token: the CLEANUP section is
// written in this order.
enum class ItemId : std::uint8_t {
  CacheInternetExplorer, CacheFirefox, CacheOpera, CacheChrome, CacheSafari,
  BrowserHistoryInternetExplorer, BrowserHistoryFirefox, BrowserHistoryOpera, BrowserHistoryChrome,
  BrowserHistorySafari,
  CookiesInternetExplorer, CookiesFirefox, CookiesOpera, CookiesChrome, CookiesSafari,
  PasswordsInternetExplorer, PasswordsFirefox, PasswordsOpera, PasswordsChrome, PasswordsSafari,
  TypedUrlsInternetExplorer, TypedUrlsOpera,
  AutoCompleteInternetExplorer, AutoCompleteFirefox,
  DownloadFirefox, DownloadOpera,
  SessionFirefox, SessionOpera,
  InternetExplorerUserData, InternetExplorerRssCache, InternetExplorerCompatibility, InternetExplorerPopups,
  SafariPreviews,
  FreeSpaceTemp, FreeSpaceRecycleBin, FreeSpaceCryptoApiCache, FreeSpaceWindowsErrorReports, FreeSpaceThumbnails,
  FreeSpaceTempBurnFiles, FreeSpaceMsnSqmFiles, FreeSpaceFlashPlayer, FreeSpaceJava,
  HistorySavedWindowInformation, HistoryRegistryEditor, HistoryMsPaint, HistoryWordPad, HistoryWindowsMediaPlayer,
  HistoryOpenCloseDialogs, HistoryInternetSearchAssistant, HistoryComputerSearch, HistoryFileSearch,
  HistorySearchHistory, HistoryRunHistory, HistoryAccessedPrograms, HistoryRecentDocumentsList, HistoryMsn,
  HistoryClipboard,
};
constexpr std::size_t kCleanupItemCount = 57;
static_assert(static_cast<std::size_t>(ItemId::HistoryClipboard) + 1 == kCleanupItemCount);
constexpr std::size_t kCleanupKeyCount = 12;

// The browser whose processes the clean-up closes before the item runs.
enum class BrowserFamily : std::uint8_t { None, InternetExplorer, Firefox, Opera, Chrome, Safari };

// The leaves of the extras window's Cleanup tree, in tree order: the browsers
// (under "Browsers"), then Free space and History (under "Common").
enum class CleanupLeaf : std::uint8_t { InternetExplorer, Firefox, Opera, Chrome, Safari, FreeSpace, History };
constexpr std::size_t kCleanupLeafCount = 7;

// The five codes of an item that collects a folder; 0 = not reported.
struct ItemCodes {
  int lookupFailed = 0;     // the base folder's lookup failed
  int invalidArgument = 0;  // the base folder's lookup was given a bad argument
  int emptyBase = 0;        // the base folder resolved to an empty name
  int notOpened = 0;        // the folder exists but cannot be opened (or is refused)
  int traversal = 0;        // the walk failed part-way
};

// Standard reasons an item is not available.
extern const char kNoSuchData[];     // "This system keeps no such data."
extern const char kNoSuchBrowser[];  // "This browser does not exist on this system."
extern const char kNoSuchHistory[];  // "No program on this system keeps this history."

struct CleanupItem {
  ItemId id;
  const char* key;    // task-file key, e.g. "Free_Space"
  const char* token;  // task-file token, e.g. "Temp"
  CleanupLeaf leaf;
  int controlId;            // of its check box
  const char* label;        // of its check box
  const char* description;  // shown while the pointer is over the box
  const char* message;      // reported with every code of the item ("" when it reports nothing)
  ItemCodes codes;
  // Null: available. Otherwise the reason the item is not available here,
  // unless the platform's location table has a row for it.
  const char* unavailableReason;
  BrowserFamily browser;
};

constexpr int kFirstCleanupBoxId = 10099;
constexpr int kLastCleanupBoxId = 10155;

// Every item, in the order the extras window shows them (leaf by leaf).
std::span<const CleanupItem> CleanupItems();
// The rows of one leaf, in the window's order.
std::span<const CleanupItem> LeafItems(CleanupLeaf leaf);
const CleanupItem& ItemRow(ItemId id);
// Where a task file is read: the item of a (key, token) pair, if any.
std::optional<ItemId> FindItem(std::string_view key, std::string_view token);

// A key of the task file's CLEANUP section with its items, in file order.
struct CleanupKey {
  const char* key;
  std::vector<ItemId> items;
};
const std::array<CleanupKey, kCleanupKeyCount>& CleanupKeys();
