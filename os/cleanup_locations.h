#pragma once
// Where each clean-up item acts on this platform: one table of rows (data),
// read by the item procedures, which are the same on every platform. An item
// without a row keeps no such data here.
#include <string>
#include <string_view>
#include <vector>

namespace os::cleanup_locations {

enum class Root {
  Home,        // the user's home folder
  DataHome,    // $XDG_DATA_HOME (~/.local/share)
  ConfigHome,  // $XDG_CONFIG_HOME (~/.config)
  CacheHome,   // $XDG_CACHE_HOME (~/.cache)
  Temp,        // TMP, else TMPDIR, else the system's temporary folder (relative values count as unset)
  // Folders some systems keep apart; where a system has none, no row names them.
  InternetCache,    // the web cache of the system's own browser
  InternetCookies,  // its cookies
  InternetHistory,  // its history
  BurnArea,         // files staged for writing to a disc
  SharedData,       // application data shared by every user
};

enum class What {
  FilesAndFolders,  // every file and sub-folder; the folder itself stays
  FilesOnly,        // files anywhere below; folders stay
  File,             // one file
  RecentStore,      // a recently-used list, reset to an empty list by the worker
};

struct Location {
  const char* key;    // task-file key of the item
  const char* token;  // task-file token of the item
  Root root;
  const char* subPath;  // below the root, '/'-separated; "" = the root itself
  What what;
  const char* suffix = "";  // FilesOnly/FilesAndFolders: only files whose name ends so ("" = all)
  // FilesOnly/FilesAndFolders: only files whose name matches ('*' any run of
  // characters, letters in any case); "!" first: all files but those ("" = all).
  const char* name = "";
  bool silent = false;  // a folder that cannot be opened or read is passed over without a report
  bool administrators = false;  // every user's data: only an administrator's run collects it
};

const std::vector<Location>& Table();
// The running session's files in a shared temporary folder (Temp): name
// patterns ('*' any run of characters) of entries directly in it that stay,
// with everything in them, although no process holds them open.
const std::vector<const char*>& SessionFiles();
bool HasRow(std::string_view key, std::string_view token);
// The rows of one item, in table order.
std::vector<Location> RowsOf(std::string_view key, std::string_view token);
// The folder of a root; false (and empty) when it cannot be determined.
bool ResolveRoot(Root root, std::string& path);

}  // namespace os::cleanup_locations
