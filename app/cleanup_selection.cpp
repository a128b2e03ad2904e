#include "app/cleanup_selection.h"

#include <algorithm>

const std::array<CleanupKey, kCleanupKeyCount>& CleanupKeys() {
  static const std::array<CleanupKey, kCleanupKeyCount> keys = {{
      {"Cache", {"InternetExplorer", "Firefox", "Opera", "Chrome", "Safari"}},
      {"Browser_History", {"InternetExplorer", "Firefox", "Opera", "Chrome", "Safari"}},
      {"Cookies", {"InternetExplorer", "Firefox", "Opera", "Chrome", "Safari"}},
      {"Saved_Usernames_Passwords", {"InternetExplorer", "Firefox", "Opera", "Chrome", "Safari"}},
      {"Typed_Urls", {"InternetExplorer", "Opera"}},
      {"Auto_Complete", {"InternetExplorer", "Firefox"}},
      {"Download", {"Firefox", "Opera"}},
      {"Session", {"Firefox", "Opera"}},
      {"Internet_Explorer_Specific", {"Userdata", "RssCache", "Compatibility", "Popups"}},
      {"Safari_Specific", {"Previews"}},
      {"Free_Space",
       {"Temp", "RecycleBin", "CryptoApiCache", "WindowsErrorReports", "Thumbnails", "TempBurnFiles", "MsnSqmFiles",
        "FlashPlayer", "Java"}},
      {"History",
       {"SavedWindowInformation", "RegistryEditor", "MsPaint", "WordPad", "WindowsMediaPlayer", "OpenCloseDialogs",
        "InternetSearchAssistent", "ComputerSearch", "FileSearch", "SearchHistory", "RunHistory", "AccessedPrograms",
        "RecentDocumentsList", "MSN", "Clipboard"}},
  }};
  return keys;
}

std::size_t CleanupFirstItem(std::size_t keyIndex) {
  std::size_t first = 0;
  for (std::size_t i = 0; i < keyIndex && i < kCleanupKeyCount; ++i)
    first += CleanupKeys()[i].tokens.size();
  return first;
}

void CleanupSelection::SelectAll(bool on) {
  items.fill(on);
  anySelected = on;
}

std::size_t CleanupSelection::CountSelected() const {
  return static_cast<std::size_t>(std::count(items.begin(), items.end(), true));
}
