// Where the file items act on Windows (Vista and later, as every supported
// Windows is). Home is the profile folder, DataHome and ConfigHome the
// roaming application data, CacheHome the local one.
#include "os/cleanup_locations.h"

#include "os/folders.h"
#include "os/windows/wide.h"

namespace os::cleanup_locations {

const std::vector<Location>& Table() {
  static const std::vector<Location> rows = {
      {"Free_Space", "Temp", Root::Temp, "", What::FilesAndFolders},
      {"Free_Space", "CryptoApiCache", Root::Home, "AppData/LocalLow/Microsoft/CryptnetUrlCache", What::FilesOnly},
      {"Free_Space", "WindowsErrorReports", Root::CacheHome, "Microsoft/Windows/WER", What::FilesAndFolders},
      // Every user's reports: only an administrator may delete them.
      {"Free_Space", "WindowsErrorReports", Root::SharedData, "Microsoft/Windows/WER", What::FilesAndFolders, "", "",
       false, true},
      // The icon caches beside them are not thumbnails.
      {"Free_Space", "Thumbnails", Root::CacheHome, "Microsoft/Windows/Explorer", What::FilesOnly, "",
       "thumbcache_*.db"},
      {"Free_Space", "TempBurnFiles", Root::BurnArea, "", What::FilesAndFolders},
      {"Free_Space", "MsnSqmFiles", Root::DataHome, "Microsoft/MSN Messenger", What::FilesOnly, ".sqm"},
      {"Free_Space", "FlashPlayer", Root::DataHome, "Adobe/Flash Player/AssetCache", What::FilesAndFolders},
      {"Free_Space", "FlashPlayer", Root::DataHome, "Macromedia/Flash Player", What::FilesAndFolders},
      {"Free_Space", "Java", Root::Home, "AppData/LocalLow/Sun/Java/Deployment/", What::FilesAndFolders},
      {"History", "SearchHistory", Root::Home, "Searches", What::FilesOnly, "", "!desktop.ini"},
      {"History", "RecentDocumentsList", Root::DataHome, "Microsoft/Windows/Recent/AutomaticDestinations",
       What::FilesOnly, "", "", true},
      {"History", "RecentDocumentsList", Root::DataHome, "Microsoft/Windows/Recent/CustomDestinations",
       What::FilesOnly, "", "", true},
      {"Cache", "InternetExplorer", Root::InternetCache, "", What::FilesAndFolders},
      {"Cookies", "InternetExplorer", Root::InternetCookies, "", What::FilesAndFolders},
      {"Browser_History", "InternetExplorer", Root::InternetHistory, "", What::FilesAndFolders},
      {"Browser_History", "InternetExplorer", Root::DataHome, "Microsoft/Windows/IEDownloadHistory",
       What::FilesAndFolders, "", "", true},
      {"Browser_History", "InternetExplorer", Root::CacheHome, "Microsoft/Internet Explorer/Recovery",
       What::FilesAndFolders, "", "", true},
      // Web pages' local storage.
      {"Browser_History", "InternetExplorer", Root::Home, "AppData/LocalLow/Microsoft/Internet Explorer/DOMStore",
       What::FilesAndFolders, "", "", true},
      {"Internet_Explorer_Specific", "Userdata", Root::DataHome, "Microsoft/Internet Explorer/UserData",
       What::FilesAndFolders},
      {"Internet_Explorer_Specific", "RssCache", Root::CacheHome, "Microsoft/Feeds Cache", What::FilesAndFolders},
  };
  return rows;
}

// Each user has a temporary folder of their own here: nothing of the session's to keep.
const std::vector<const char*>& SessionFiles() {
  static const std::vector<const char*> none;
  return none;
}

namespace {

// The variable Windows sets for every process, else the known folder.
bool FromEnvironment(const wchar_t* variable, folders::Special which, std::string& path) {
  path = win::Narrow(win::EnvironmentValue(variable));
  return !path.empty() || folders::GetSpecialFolder(which, path);
}

}  // namespace

bool ResolveRoot(Root root, std::string& path) {
  using folders::Special;
  path.clear();
  switch (root) {
    case Root::Home: return FromEnvironment(L"USERPROFILE", Special::Profile, path);
    case Root::DataHome:
    case Root::ConfigHome: return folders::GetSpecialFolder(Special::AppData, path);
    case Root::CacheHome: return folders::GetSpecialFolder(Special::LocalAppData, path);
    case Root::Temp: path = folders::TempFolder(); return !path.empty();
    case Root::InternetCache: return folders::GetSpecialFolder(Special::InternetCache, path);
    case Root::InternetCookies: return folders::GetSpecialFolder(Special::InternetCookies, path);
    case Root::InternetHistory: return folders::GetSpecialFolder(Special::InternetHistory, path);
    case Root::BurnArea: return folders::GetSpecialFolder(Special::CdBurning, path);
    case Root::SharedData: return FromEnvironment(L"ProgramData", Special::CommonAppData, path);
  }
  return false;
}

}  // namespace os::cleanup_locations
