#include "cleanup/cleanup_state.h"

#include <algorithm>

#include "os/folders.h"
#include "os/safe_fs.h"

namespace cleanup {

std::string PendingEntry::Path() const {
  const std::string& folder = base ? base->Path() : std::string();
  std::string path = folder.empty() ? relative : folder.back() == '/' ? folder + relative : folder + "/" + relative;
  // Walks name what they found with '/'; the log shows the system's own paths.
  const char separator = os::folders::PathSeparator();
  if (separator != '/')
    std::replace(path.begin(), path.end(), '/', separator);
  return path;
}

void CleanupState::ClearLists() {
  PendingFiles.clear();
  PendingFolders.clear();
  FreedSizes.clear();
}

}  // namespace cleanup
