#pragma once
// The trash folders of mounted file systems (the home trash is a row of the
// clean-up location table).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "os/safe_fs.h"

namespace os::trash {

// Mount points of the file systems the user can write.
std::vector<std::string> MountPoints();

// The user's trash folders on those file systems: $topdir/.Trash-$UID and
// $topdir/.Trash/$UID, each a folder of the user's that holds files/, info/
// and expunged/. Each is opened once, without following a link on the way
// from the mount point (.Trash must be a sticky folder, the last folder the
// user's, both checked on the opened folder itself); what is in it is then
// opened relative to it (safe_fs::OpenBelow), never by its path again.
std::vector<std::shared_ptr<const safe_fs::Base>> VolumeTrashFolders(const std::vector<std::string>& mountPoints);

enum class BinResult {
  NotHere,  // the recycle bins are folders that the clean-up walks
  Emptied,
  Failed,   // with the system's code
};
// Where the system keeps its recycle bins itself, empties those of every
// drive without asking, showing nothing and sounding nothing.
BinResult EmptySystemBins(int& code);
// Whether the system keeps its recycle bins itself.
bool HasSystemBins();

namespace testing {
// Called with each trash folder's path once it has been opened and checked,
// before anything in it is opened (null: none).
void SetCheckedHook(std::function<void(const std::string& path)> hook);
}  // namespace testing

}  // namespace os::trash
