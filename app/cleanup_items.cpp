#include "app/cleanup_items.h"

#include <algorithm>
#include <iterator>

const char kNoSuchData[] = "This system keeps no such data.";
const char kNoSuchBrowser[] = "This browser does not exist on this system.";
const char kNoSuchHistory[] = "No program on this system keeps this history.";

namespace {

// Firefox: the application-data lookup, then a browser folder that cannot be
// named, opened or walked. Opera: only the browser folder.
constexpr ItemCodes kFirefoxCodes{10559, 10560, 10501, 10501, 10501};
constexpr ItemCodes kOperaCodes{10501, 10501, 10501, 10501, 10501};

// In the extras window's order: leaf by leaf, box by box (control ids count up).
constexpr CleanupItem kItems[] = {
    {ItemId::CacheInternetExplorer, "Cache", "InternetExplorer", CleanupLeaf::InternetExplorer, 10099,
     "Empty the Cache", "Delete Internet Explorer Cache files. This will wipe out index.dat files too.",
     "An Error occured while emptying IE's Cache.", {10538, 10539, 10543, 10540, 10541}, kNoSuchBrowser,
     BrowserFamily::InternetExplorer},
    {ItemId::BrowserHistoryInternetExplorer, "Browser_History", "InternetExplorer", CleanupLeaf::InternetExplorer,
     10100, "Delete History",
     "Clear Internet Explorer's History. This will wipe out index.dat files too.\nPlease note: if windows search is "
     "enabled, this operation may take 5-30 secondes to finish, this is similar when you clear the History under "
     "Internet Options. ", "An Error occured while cleaning IE's History.", {10550, 10551, 10555, 10552, 10553},
     kNoSuchBrowser, BrowserFamily::InternetExplorer},
    {ItemId::TypedUrlsInternetExplorer, "Typed_Urls", "InternetExplorer", CleanupLeaf::InternetExplorer, 10101,
     "Delete Typed-Urls", "Delete Typed Urls Entries from Internet Explorer's adress bar.", "", {}, kNoSuchBrowser,
     BrowserFamily::InternetExplorer},
    {ItemId::AutoCompleteInternetExplorer, "Auto_Complete", "InternetExplorer", CleanupLeaf::InternetExplorer, 10102,
     "Delete Auto-Complete form data",
     "Delete stored Internet Explorer's Auto-Complete information.\nAuto-Complete keeps track of information that "
     "you've recently typed, such as Web site addresses, information in forms, and search queries.", "", {},
     kNoSuchBrowser, BrowserFamily::InternetExplorer},
    {ItemId::CookiesInternetExplorer, "Cookies", "InternetExplorer", CleanupLeaf::InternetExplorer, 10103,
     "Delete Cookies", "Delete Internet Explorer's Cookies. This will wipe out index.dat files too.",
     "An Error occured while removing IE's cookies.", {10544, 10545, 10549, 10546, 10547}, kNoSuchBrowser,
     BrowserFamily::InternetExplorer},
    {ItemId::PasswordsInternetExplorer, "Saved_Usernames_Passwords", "InternetExplorer", CleanupLeaf::InternetExplorer,
     10104, "Delete saved user names and passwords", "Delete Internet Explorer's saved User names and passwords.", "",
     {}, kNoSuchBrowser, BrowserFamily::InternetExplorer},
    {ItemId::InternetExplorerUserData, "Internet_Explorer_Specific", "Userdata", CleanupLeaf::InternetExplorer, 10105,
     "Delete files in UserData folder",
     "This is a hidden folder in the User's profile that stores persistent XML-based data across Internet Explorer "
     "browser session.\nThis will wipe out index.dat files too.", "An Error occured while clearing UserData folder.",
     {0, 0, 0, 10556, 0}, kNoSuchBrowser, BrowserFamily::None},
    {ItemId::InternetExplorerRssCache, "Internet_Explorer_Specific", "RssCache", CleanupLeaf::InternetExplorer, 10106,
     "Empty feeds cache", "This is a hidden folder in the User's profile.\nThis will wipe out index.dat files too.",
     "An Error occured while clearing Feeds Cache folder.", {0, 0, 0, 10558, 0}, kNoSuchBrowser, BrowserFamily::None},
    {ItemId::InternetExplorerCompatibility, "Internet_Explorer_Specific", "Compatibility",
     CleanupLeaf::InternetExplorer, 10107, "Delete Compatibility View List history",
     "This is a list of sites that will be displayed in Compatibility View. Every site is displayed in "
     "Compatibility View is stored in the Registry.", "", {}, kNoSuchBrowser, BrowserFamily::None},
    {ItemId::InternetExplorerPopups, "Internet_Explorer_Specific", "Popups", CleanupLeaf::InternetExplorer, 10108,
     "Delete Pop-up Blocker allowed sites",
     "If you allow a Pop-Up from a site, the site's URL will be stored in the Registry.", "", {}, kNoSuchBrowser,
     BrowserFamily::None},
    {ItemId::CacheFirefox, "Cache", "Firefox", CleanupLeaf::Firefox, 10109, "Empty the Cache",
     "Delete FireFox's Cache files.", "An Error occured while emptying FireFox's Cache.", kFirefoxCodes, nullptr,
     BrowserFamily::Firefox},
    {ItemId::BrowserHistoryFirefox, "Browser_History", "Firefox", CleanupLeaf::Firefox, 10110, "Delete History",
     "Clear FireFox's Browsing History. This will clear Typed-URLs history too.",
     "An Error occured while clearing FireFox's History.", kFirefoxCodes, nullptr, BrowserFamily::Firefox},
    {ItemId::DownloadFirefox, "Download", "Firefox", CleanupLeaf::Firefox, 10111, "Delete Download History",
     "Delete FireFox's Download History.", "An Error occured while clearing FireFox's Download History.", kFirefoxCodes,
     nullptr, BrowserFamily::Firefox},
    {ItemId::SessionFirefox, "Session", "Firefox", CleanupLeaf::Firefox, 10112, "Delete Session-Restore information",
     "Delete FireFox's Session Restore Information.",
     "An Error occured while clearing FireFox's Session Restore Information.", kFirefoxCodes, nullptr,
     BrowserFamily::Firefox},
    {ItemId::AutoCompleteFirefox, "Auto_Complete", "Firefox", CleanupLeaf::Firefox, 10113,
     "Delete Auto-Complete form data", "Delete FireFox's saved Auto-Complete Information.",
     "An Error occured while clearing FireFox's Auto Complete Forms Information.", kFirefoxCodes, nullptr,
     BrowserFamily::Firefox},
    {ItemId::CookiesFirefox, "Cookies", "Firefox", CleanupLeaf::Firefox, 10114, "Delete Cookies",
     "Delete FireFox's Cookies.", "An Error occured while deleting FireFox's Cookies.", kFirefoxCodes, nullptr,
     BrowserFamily::Firefox},
    {ItemId::PasswordsFirefox, "Saved_Usernames_Passwords", "Firefox", CleanupLeaf::Firefox, 10115,
     "Delete saved user names and passwords", "Delete FireFox's saved User Names and Passwords.",
     "An Error occured while deleting FireFox's User Names and Passwords.", kFirefoxCodes, nullptr,
     BrowserFamily::Firefox},
    {ItemId::CacheOpera, "Cache", "Opera", CleanupLeaf::Opera, 10116, "Empty the Cache", "Delete Opera's Cache files.",
     "An Error occured while emptying Opera's cache.", kOperaCodes, nullptr, BrowserFamily::Opera},
    {ItemId::BrowserHistoryOpera, "Browser_History", "Opera", CleanupLeaf::Opera, 10117, "Delete History",
     "Clear Opera's Browsing History.", "An Error occured while deleting Opera's History.", kOperaCodes, nullptr,
     BrowserFamily::Opera},
    {ItemId::DownloadOpera, "Download", "Opera", CleanupLeaf::Opera, 10118, "Delete Download History",
     "Delete Opera's Download History.", "An Error occured while deleting Opera's Download History.", kOperaCodes,
     nullptr, BrowserFamily::Opera},
    {ItemId::SessionOpera, "Session", "Opera", CleanupLeaf::Opera, 10119, "Delete Session-Restore information",
     "Delete Opera's Session Restore Information.", "An Error occured while deleting Opera's Session Restore.",
     kOperaCodes, nullptr, BrowserFamily::Opera},
    {ItemId::TypedUrlsOpera, "Typed_Urls", "Opera", CleanupLeaf::Opera, 10120, "Delete Typed-Urls",
     "Delete Opera's Typed-URLs history.", "An Error occured while deleting Opera's TypedUrls.", kOperaCodes, nullptr,
     BrowserFamily::Opera},
    {ItemId::CookiesOpera, "Cookies", "Opera", CleanupLeaf::Opera, 10121, "Delete Cookies", "Delete Opera's Cookies.",
     "An Error occured while deleting Opera's Cookies.", kOperaCodes, nullptr, BrowserFamily::Opera},
    {ItemId::PasswordsOpera, "Saved_Usernames_Passwords", "Opera", CleanupLeaf::Opera, 10122,
     "Delete saved user names and passwords", "Delete Opera's saved User Names and Passwords.",
     "An Error occured while deleting Opera's User Names and Passwords.", kOperaCodes, nullptr, BrowserFamily::Opera},
    {ItemId::CacheChrome, "Cache", "Chrome", CleanupLeaf::Chrome, 10123, "Empty the Cache",
     "Delete Chrome's Cache files.", "An Error occured while emptying Chrome's Cache.",
     {10578, 10579, 10582, 10580, 10581}, nullptr, BrowserFamily::Chrome},
    {ItemId::BrowserHistoryChrome, "Browser_History", "Chrome", CleanupLeaf::Chrome, 10124, "Delete History",
     "Clear Chrome's Browsing History. This will delete Session Resotre Information file and Download History too.",
     "An Error occured while deleting Chrome's History.", {10585, 10586, 10587, 10580, 10581}, nullptr,
     BrowserFamily::Chrome},
    {ItemId::CookiesChrome, "Cookies", "Chrome", CleanupLeaf::Chrome, 10125, "Delete Cookies",
     "Delete Chrome's Cookies.", "An Error occured while deleting Chrome's Cookies.", {10585, 10586, 10587, 0, 0},
     nullptr, BrowserFamily::Chrome},
    {ItemId::PasswordsChrome, "Saved_Usernames_Passwords", "Chrome", CleanupLeaf::Chrome, 10126,
     "Delete saved user names and passwords", "Delete Chrome's saved Passwords and Autofill data.",
     "An Error occured while deleting Chrome's saved passwords and autofill data.", {10585, 10586, 10587, 0, 0},
     nullptr, BrowserFamily::Chrome},
    {ItemId::CacheSafari, "Cache", "Safari", CleanupLeaf::Safari, 10127, "Empty the Cache",
     "Delete Safari's Cache files.", "An Error occured while deleting Safari's cache file.",
     {10585, 10586, 10587, 0, 0}, kNoSuchBrowser, BrowserFamily::Safari},
    {ItemId::BrowserHistorySafari, "Browser_History", "Safari", CleanupLeaf::Safari, 10128, "Delete History",
     "Delete Safari's Browsing History.", "An Error occured while deleting Safari's History.",
     {10585, 10586, 10587, 0, 0}, kNoSuchBrowser, BrowserFamily::Safari},
    {ItemId::CookiesSafari, "Cookies", "Safari", CleanupLeaf::Safari, 10129, "Delete Cookies",
     "Delete Safari's Cookies.", "An Error occured while deleting Safari's Cookies.", {10585, 10586, 10587, 0, 0},
     kNoSuchBrowser, BrowserFamily::Safari},
    {ItemId::PasswordsSafari, "Saved_Usernames_Passwords", "Safari", CleanupLeaf::Safari, 10130,
     "Delete saved user names and passwords", "Delete Safari's saved Passwords and Autofill data",
     "An Error occured while deleting Safari's saved passwords and autofill data.", {10585, 10586, 10587, 0, 0},
     kNoSuchBrowser, BrowserFamily::Safari},
    {ItemId::SafariPreviews, "Safari_Specific", "Previews", CleanupLeaf::Safari, 10131, "Delete Webpage Previews",
     "Delete Safari's Webpage Previews files. This folder contains preview pictures from Safari's Top-Sites and the "
     "Sites you have visited.", "An Error occured while deleting Safari's Webpage Previews.", {0, 0, 10587, 0, 0},
     kNoSuchBrowser, BrowserFamily::None},
    {ItemId::FreeSpaceTemp, "Free_Space", "Temp", CleanupLeaf::FreeSpace, 10132, "Delete Temporary Files",
     "Delete temporary files. This will delete files in the User's Temp folder.",
     "An Error occured while removing Temp files.", {0, 0, 10504, 10503, 0}, kNoSuchData, BrowserFamily::None},
    {ItemId::FreeSpaceRecycleBin, "Free_Space", "RecycleBin", CleanupLeaf::FreeSpace, 10133, "Empty Recycle Bin",
     "Empty Recycle Bin.", "", {}, kNoSuchData, BrowserFamily::None},
    {ItemId::FreeSpaceCryptoApiCache, "Free_Space", "CryptoApiCache", CleanupLeaf::FreeSpace, 10134,
     "Empty CryptoAPI disk cache", "Delete CryptoAPI disk cache files. Those files will be regenerated when needed.",
     "An Error occured while deleting CryptoAPI disk cache files.", {10513, 10514, 10512, 10511, 10510}, kNoSuchData,
     BrowserFamily::None},
    {ItemId::FreeSpaceWindowsErrorReports, "Free_Space", "WindowsErrorReports", CleanupLeaf::FreeSpace, 10135,
     "Delete Windows Error Reporting files( Vista or higher )",
     "Delete Windows Error Reporting files. For complete clean up, run this Program with Administrator rights.",
     "An Error occured while deleting Windows Error Reporting files.", {10518, 10519, 10517, 10516, 10515}, kNoSuchData,
     BrowserFamily::None},
    {ItemId::FreeSpaceThumbnails, "Free_Space", "Thumbnails", CleanupLeaf::FreeSpace, 10136,
     "Empty Thumbnail Cache( Vista or higher )", "Delete Windows Thumbnail Cache files.", "", {}, kNoSuchData,
     BrowserFamily::None},
    {ItemId::FreeSpaceTempBurnFiles, "Free_Space", "TempBurnFiles", CleanupLeaf::FreeSpace, 10137,
     "Empty Temporary Burn Folder", "Delete files in the User's Temporary Burn Folder.",
     "An Error occured while emptying Temporary Burn Folder.", {10530, 10529, 10527, 10526, 10525}, kNoSuchData,
     BrowserFamily::None},
    {ItemId::FreeSpaceMsnSqmFiles, "Free_Space", "MsnSqmFiles", CleanupLeaf::FreeSpace, 10138,
     "Remove MSN Messenger Software Quality Metrics(sqm) files",
     "Delete MSN Messenger's Software Quality Metrics(sqm) files.",
     "An Error occured while removing MSN Messenger SQM files.", {10536, 10537, 10535, 10534, 10533}, kNoSuchData,
     BrowserFamily::None},
    {ItemId::FreeSpaceFlashPlayer, "Free_Space", "FlashPlayer", CleanupLeaf::FreeSpace, 10139,
     "Remove Flash Player stored common components and shared object files",
     "Delete Adobe Flash Player SO and common object files.",
     "An Error occured while removing Flash Player shared object files.", {10536, 10537, 10535, 0, 0}, kNoSuchData,
     BrowserFamily::None},
    {ItemId::FreeSpaceJava, "Free_Space", "Java", CleanupLeaf::FreeSpace, 10140, "Delete Java temporary internet files",
     "Delete Sun's Java temporary internet files.", "An Error occured while removing Java temporary internet files.",
     {10536, 10537, 10535, 0, 0}, kNoSuchData, BrowserFamily::None},
    {ItemId::HistorySavedWindowInformation, "History", "SavedWindowInformation", CleanupLeaf::History, 10141,
     "Saved size and location information for closed windows",
     "Delete saved size and location information for closed windows.", "", {}, kNoSuchHistory, BrowserFamily::None},
    {ItemId::HistoryRegistryEditor, "History", "RegistryEditor", CleanupLeaf::History, 10142,
     "Registry Editor last accessed key", "Delete Regedit's last accessed key.", "", {}, kNoSuchHistory,
     BrowserFamily::None},
    {ItemId::HistoryMsPaint, "History", "MsPaint", CleanupLeaf::History, 10143, "MS Paint recent file list",
     "Clear MSPaint History.", "", {}, kNoSuchHistory, BrowserFamily::None},
    {ItemId::HistoryWordPad, "History", "WordPad", CleanupLeaf::History, 10144, "Word Pad recent file list",
     "Clear Wordpad History.", "", {}, kNoSuchHistory, BrowserFamily::None},
    {ItemId::HistoryWindowsMediaPlayer, "History", "WindowsMediaPlayer", CleanupLeaf::History, 10145,
     "WM Player recent file list", "Clear Windows Media Player History.", "", {}, kNoSuchHistory, BrowserFamily::None},
    {ItemId::HistoryOpenCloseDialogs, "History", "OpenCloseDialogs", CleanupLeaf::History, 10146,
     "Common Dialog, 'Save As' 'Open', history", "Clear Common Dialog Save-As, Open History.", "", {}, kNoSuchHistory,
     BrowserFamily::None},
    {ItemId::HistoryInternetSearchAssistant, "History", "InternetSearchAssistent", CleanupLeaf::History, 10147,
     "Internet Search Assistent history", "Clear Internet Search Assistent History.", "", {}, kNoSuchHistory,
     BrowserFamily::None},
    {ItemId::HistoryComputerSearch, "History", "ComputerSearch", CleanupLeaf::History, 10148,
     "Find computers and people history", "Clear Computers and People Search History.", "", {}, kNoSuchHistory,
     BrowserFamily::None},
    {ItemId::HistoryFileSearch, "History", "FileSearch", CleanupLeaf::History, 10149, "Find files history",
     "Clear Find Files History.", "", {}, kNoSuchHistory, BrowserFamily::None},
    {ItemId::HistorySearchHistory, "History", "SearchHistory", CleanupLeaf::History, 10150, "Saved Searches",
     "Delete User's saved searches.", "An Error occured while deleting Saved Searches.",
     {10508, 10509, 10507, 10506, 10505}, kNoSuchData, BrowserFamily::None},
    {ItemId::HistoryRunHistory, "History", "RunHistory", CleanupLeaf::History, 10151, "Run Command history",
     "Clear Run-MRU History.", "", {}, kNoSuchHistory, BrowserFamily::None},
    {ItemId::HistoryAccessedPrograms, "History", "AccessedPrograms", CleanupLeaf::History, 10152,
     "Recently accessed programs", "Clear MFU Programs List.", "", {}, kNoSuchHistory, BrowserFamily::None},
    {ItemId::HistoryRecentDocumentsList, "History", "RecentDocumentsList", CleanupLeaf::History, 10153,
     "Recent Documents List/Jump Lists History", "Clear Recent Documents List and Jump Lists History(for Windows7).",
     "", {}, kNoSuchData, BrowserFamily::None},
    {ItemId::HistoryMsn, "History", "MSN", CleanupLeaf::History, 10154, "Remove MSN Messenger unread Mail Count",
     "Delete MSN Messenger unread Mail Count.", "", {}, kNoSuchHistory, BrowserFamily::None},
    {ItemId::HistoryClipboard, "History", "Clipboard", CleanupLeaf::History, 10155, "Clear Clipboard data",
     "Empty Clipboard data.", "", {}, nullptr, BrowserFamily::None},
};
static_assert(std::size(kItems) == kCleanupItemCount);

}  // namespace

std::span<const CleanupItem> CleanupItems() { return kItems; }

std::span<const CleanupItem> LeafItems(CleanupLeaf leaf) {
  const auto first =
      std::find_if(std::begin(kItems), std::end(kItems), [leaf](const CleanupItem& item) { return item.leaf == leaf; });
  const auto last =
      std::find_if(first, std::end(kItems), [leaf](const CleanupItem& item) { return item.leaf != leaf; });
  return {first, last};
}

const CleanupItem& ItemRow(ItemId id) {
  static const std::array<const CleanupItem*, kCleanupItemCount> byId = [] {
    std::array<const CleanupItem*, kCleanupItemCount> rows{};
    for (const CleanupItem& item : kItems)
      rows[static_cast<std::size_t>(item.id)] = &item;
    return rows;
  }();
  return *byId[static_cast<std::size_t>(id)];
}

std::optional<ItemId> FindItem(std::string_view key, std::string_view token) {
  for (const CleanupItem& item : kItems)
    if (key == item.key && token == item.token)
      return item.id;
  return std::nullopt;
}

const std::array<CleanupKey, kCleanupKeyCount>& CleanupKeys() {
  // The ids run in file order: a key's items are one run of them.
  static const std::array<CleanupKey, kCleanupKeyCount> keys = [] {
    std::array<CleanupKey, kCleanupKeyCount> all{};
    std::size_t count = 0;
    for (std::size_t i = 0; i < kCleanupItemCount; ++i) {
      const CleanupItem& item = ItemRow(static_cast<ItemId>(i));
      if (count == 0 || std::string_view(all[count - 1].key) != item.key) {
        if (count == kCleanupKeyCount)
          break;
        all[count++].key = item.key;
      }
      all[count - 1].items.push_back(item.id);
    }
    return all;
  }();
  return keys;
}
