#pragma once
// The trash folders of mounted file systems (the home trash is a row of the
// clean-up location table).
#include <string>
#include <vector>

namespace os::trash {

// Mount points of the file systems the user can write.
std::vector<std::string> MountPoints();

// The user's trash folders on those file systems: $topdir/.Trash-$UID and
// $topdir/.Trash/$UID (only where .Trash is a sticky folder, not a link),
// each a folder of the user's that holds files/, info/ and expunged/.
std::vector<std::string> VolumeTrashFolders(const std::vector<std::string>& mountPoints);

}  // namespace os::trash
