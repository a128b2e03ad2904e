// Windows keeps its recycle bins itself; emptying them comes with the
// Windows clean-up. No volume trash folders are reported until then.
#include "os/trash.h"

namespace os::trash {

std::vector<std::string> MountPoints() { return {}; }

std::vector<std::shared_ptr<const safe_fs::Base>> VolumeTrashFolders(const std::vector<std::string>&) { return {}; }

namespace testing {
void SetCheckedHook(std::function<void(const std::string& path)>) {}
}  // namespace testing

}  // namespace os::trash
