#include "cleanup/cleanup_state.h"

#include "os/safe_fs.h"

namespace cleanup {

std::string PendingEntry::Path() const {
  const std::string& folder = base ? base->Path() : std::string();
  if (folder.empty())
    return relative;
  return folder.back() == '/' ? folder + relative : folder + "/" + relative;
}

void CleanupState::ClearLists() {
  PendingFiles.clear();
  PendingFolders.clear();
  FreedSizes.clear();
}

}  // namespace cleanup
