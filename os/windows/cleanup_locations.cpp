// The Windows rows of the clean-up table come with the Windows clean-up; until
// then the table is empty and every item is "not available here".
#include "os/cleanup_locations.h"

#include "os/folders.h"

namespace os::cleanup_locations {

const std::vector<Location>& Table() {
  static const std::vector<Location> rows;
  return rows;
}

// Each user has a temporary folder of their own here: nothing of the session's to keep.
const std::vector<const char*>& SessionFiles() {
  static const std::vector<const char*> none;
  return none;
}

bool HasRow(std::string_view, std::string_view) { return false; }

std::vector<Location> RowsOf(std::string_view, std::string_view) { return {}; }

bool ResolveRoot(Root root, std::string& path) {
  path.clear();
  switch (root) {
    case Root::Home: return folders::GetSpecialFolder(folders::Special::Profile, path);
    case Root::DataHome:
    case Root::ConfigHome: return folders::GetSpecialFolder(folders::Special::AppData, path);
    case Root::CacheHome: return folders::GetSpecialFolder(folders::Special::LocalAppData, path);
    case Root::Temp: path = folders::TempFolder(); return !path.empty();
  }
  return false;
}

}  // namespace os::cleanup_locations
