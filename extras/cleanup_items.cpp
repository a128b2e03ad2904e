#include "extras/cleanup_items.h"

#include <cstring>

#include "app/cleanup_selection.h"

namespace {

constexpr CleanupBoxInfo kInternetExplorer[] = {
    {"Empty the Cache", 10099, "Delete Internet Explorer Cache files. This will wipe out index.dat files too.", "Cache",
     "InternetExplorer"},
    {"Delete History", 10100,
     "Clear Internet Explorer's History. This will wipe out index.dat files too.\nPlease note: if windows search is "
     "enabled, this operation may take 5-30 secondes to finish, this is similar when you clear the History under "
     "Internet Options. ",
     "Browser_History", "InternetExplorer"},
    {"Delete Typed-Urls", 10101, "Delete Typed Urls Entries from Internet Explorer's adress bar.", "Typed_Urls",
     "InternetExplorer"},
    {"Delete Auto-Complete form data", 10102,
     "Delete stored Internet Explorer's Auto-Complete information.\nAuto-Complete keeps track of information that "
     "you've recently typed, such as Web site addresses, information in forms, and search queries.",
     "Auto_Complete", "InternetExplorer"},
    {"Delete Cookies", 10103, "Delete Internet Explorer's Cookies. This will wipe out index.dat files too.", "Cookies",
     "InternetExplorer"},
    {"Delete saved user names and passwords", 10104, "Delete Internet Explorer's saved User names and passwords.",
     "Saved_Usernames_Passwords", "InternetExplorer"},
    {"Delete files in UserData folder", 10105,
     "This is a hidden folder in the User's profile that stores persistent XML-based data across Internet Explorer "
     "browser session.\nThis will wipe out index.dat files too.",
     "Internet_Explorer_Specific", "Userdata"},
    {"Empty feeds cache", 10106, "This is a hidden folder in the User's profile.\nThis will wipe out index.dat files too.",
     "Internet_Explorer_Specific", "RssCache"},
    {"Delete Compatibility View List history", 10107,
     "This is a list of sites that will be displayed in Compatibility View. Every site is displayed in "
     "Compatibility View is stored in the Registry.",
     "Internet_Explorer_Specific", "Compatibility"},
    {"Delete Pop-up Blocker allowed sites", 10108,
     "If you allow a Pop-Up from a site, the site's URL will be stored in the Registry.", "Internet_Explorer_Specific",
     "Popups"},
};

constexpr CleanupBoxInfo kFirefox[] = {
    {"Empty the Cache", 10109, "Delete FireFox's Cache files.", "Cache", "Firefox"},
    {"Delete History", 10110, "Clear FireFox's Browsing History. This will clear Typed-URLs history too.",
     "Browser_History", "Firefox"},
    {"Delete Download History", 10111, "Delete FireFox's Download History.", "Download", "Firefox"},
    {"Delete Session-Restore information", 10112, "Delete FireFox's Session Restore Information.", "Session",
     "Firefox"},
    {"Delete Auto-Complete form data", 10113, "Delete FireFox's saved Auto-Complete Information.", "Auto_Complete",
     "Firefox"},
    {"Delete Cookies", 10114, "Delete FireFox's Cookies.", "Cookies", "Firefox"},
    {"Delete saved user names and passwords", 10115, "Delete FireFox's saved User Names and Passwords.",
     "Saved_Usernames_Passwords", "Firefox"},
};

constexpr CleanupBoxInfo kOpera[] = {
    {"Empty the Cache", 10116, "Delete Opera's Cache files.", "Cache", "Opera"},
    {"Delete History", 10117, "Clear Opera's Browsing History.", "Browser_History", "Opera"},
    {"Delete Download History", 10118, "Delete Opera's Download History.", "Download", "Opera"},
    {"Delete Session-Restore information", 10119, "Delete Opera's Session Restore Information.", "Session", "Opera"},
    {"Delete Typed-Urls", 10120, "Delete Opera's Typed-URLs history.", "Typed_Urls", "Opera"},
    {"Delete Cookies", 10121, "Delete Opera's Cookies.", "Cookies", "Opera"},
    {"Delete saved user names and passwords", 10122, "Delete Opera's saved User Names and Passwords.",
     "Saved_Usernames_Passwords", "Opera"},
};

constexpr CleanupBoxInfo kChrome[] = {
    {"Empty the Cache", 10123, "Delete Chrome's Cache files.", "Cache", "Chrome"},
    {"Delete History", 10124,
     "Clear Chrome's Browsing History. This will delete Session Resotre Information file and Download History too.",
     "Browser_History", "Chrome"},
    {"Delete Cookies", 10125, "Delete Chrome's Cookies.", "Cookies", "Chrome"},
    {"Delete saved user names and passwords", 10126, "Delete Chrome's saved Passwords and Autofill data.",
     "Saved_Usernames_Passwords", "Chrome"},
};

constexpr CleanupBoxInfo kSafari[] = {
    {"Empty the Cache", 10127, "Delete Safari's Cache files.", "Cache", "Safari"},
    {"Delete History", 10128, "Delete Safari's Browsing History.", "Browser_History", "Safari"},
    {"Delete Cookies", 10129, "Delete Safari's Cookies.", "Cookies", "Safari"},
    {"Delete saved user names and passwords", 10130, "Delete Safari's saved Passwords and Autofill data",
     "Saved_Usernames_Passwords", "Safari"},
    {"Delete Webpage Previews", 10131,
     "Delete Safari's Webpage Previews files. This folder contains preview pictures from Safari's Top-Sites and the "
     "Sites you have visited.",
     "Safari_Specific", "Previews"},
};

constexpr CleanupBoxInfo kFreeSpace[] = {
    {"Delete Temporary Files", 10132, "Delete temporary files. This will delete files in the User's Temp folder.",
     "Free_Space", "Temp"},
    {"Empty Recycle Bin", 10133, "Empty Recycle Bin.", "Free_Space", "RecycleBin"},
    {"Empty CryptoAPI disk cache", 10134,
     "Delete CryptoAPI disk cache files. Those files will be regenerated when needed.", "Free_Space",
     "CryptoApiCache"},
    {"Delete Windows Error Reporting files( Vista or higher )", 10135,
     "Delete Windows Error Reporting files. For complete clean up, run this Program with Administrator rights.",
     "Free_Space", "WindowsErrorReports"},
    {"Empty Thumbnail Cache( Vista or higher )", 10136, "Delete Windows Thumbnail Cache files.", "Free_Space",
     "Thumbnails"},
    {"Empty Temporary Burn Folder", 10137, "Delete files in the User's Temporary Burn Folder.", "Free_Space",
     "TempBurnFiles"},
    {"Remove MSN Messenger Software Quality Metrics(sqm) files", 10138,
     "Delete MSN Messenger's Software Quality Metrics(sqm) files.", "Free_Space", "MsnSqmFiles"},
    {"Remove Flash Player stored common components and shared object files", 10139,
     "Delete Adobe Flash Player SO and common object files.", "Free_Space", "FlashPlayer"},
    {"Delete Java temporary internet files", 10140, "Delete Sun's Java temporary internet files.", "Free_Space",
     "Java"},
};

constexpr CleanupBoxInfo kHistory[] = {
    {"Saved size and location information for closed windows", 10141,
     "Delete saved size and location information for closed windows.", "History", "SavedWindowInformation"},
    {"Registry Editor last accessed key", 10142, "Delete Regedit's last accessed key.", "History", "RegistryEditor"},
    {"MS Paint recent file list", 10143, "Clear MSPaint History.", "History", "MsPaint"},
    {"Word Pad recent file list", 10144, "Clear Wordpad History.", "History", "WordPad"},
    {"WM Player recent file list", 10145, "Clear Windows Media Player History.", "History", "WindowsMediaPlayer"},
    {"Common Dialog, 'Save As' 'Open', history", 10146, "Clear Common Dialog Save-As, Open History.", "History",
     "OpenCloseDialogs"},
    {"Internet Search Assistent history", 10147, "Clear Internet Search Assistent History.", "History",
     "InternetSearchAssistent"},
    {"Find computers and people history", 10148, "Clear Computers and People Search History.", "History",
     "ComputerSearch"},
    {"Find files history", 10149, "Clear Find Files History.", "History", "FileSearch"},
    {"Saved Searches", 10150, "Delete User's saved searches.", "History", "SearchHistory"},
    {"Run Command history", 10151, "Clear Run-MRU History.", "History", "RunHistory"},
    {"Recently accessed programs", 10152, "Clear MFU Programs List.", "History", "AccessedPrograms"},
    {"Recent Documents List/Jump Lists History", 10153,
     "Clear Recent Documents List and Jump Lists History(for Windows7).", "History", "RecentDocumentsList"},
    {"Remove MSN Messenger unread Mail Count", 10154, "Delete MSN Messenger unread Mail Count.", "History", "MSN"},
    {"Clear Clipboard data", 10155, "Empty Clipboard data.", "History", "Clipboard"},
};

}  // namespace

const std::array<CleanupLeafInfo, kCleanupLeafCount>& CleanupLeaves() {
  static const std::array<CleanupLeafInfo, kCleanupLeafCount> leaves = {{
      {"Internet Explorer", TreeIcon::InternetExplorer, 8004, "bmp_PanelIE", 9061, kInternetExplorer},
      {"Firefox", TreeIcon::Firefox, 8005, "bmp_PanelFF", 9062, kFirefox},
      {"Opera", TreeIcon::Opera, 8006, "bmp_PanelOP", 9063, kOpera},
      {"Chrome", TreeIcon::Chrome, 8007, "bmp_PanelCR", 9064, kChrome},
      {"Safari", TreeIcon::Safari, 8008, "bmp_PanelSF", 9065, kSafari},
      {"Free space", TreeIcon::Trash, 8009, "bmp_PanelFS", 9066, kFreeSpace},
      {"History", TreeIcon::History, 8010, "bmp_PanelHistory", 9067, kHistory},
  }};
  return leaves;
}

std::size_t CleanupItemOf(const CleanupBoxInfo& box) {
  const auto& keys = CleanupKeys();
  for (std::size_t k = 0; k < keys.size(); ++k) {
    if (std::strcmp(keys[k].key, box.key) != 0)
      continue;
    for (std::size_t t = 0; t < keys[k].tokens.size(); ++t)
      if (std::strcmp(keys[k].tokens[t], box.token) == 0)
        return CleanupFirstItem(k) + t;
  }
  return kCleanupItemCount;
}
