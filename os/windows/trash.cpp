// Windows keeps its recycle bins itself: the shell empties them, nothing
// walks them, and no volume trash folders are reported.
#include "os/trash.h"

#include <windows.h>

#include <shellapi.h>

#include "os/windows/wide.h"

namespace os::trash {

std::vector<std::string> MountPoints() { return {}; }

std::vector<std::shared_ptr<const safe_fs::Base>> VolumeTrashFolders(const std::vector<std::string>&) { return {}; }

BinResult EmptySystemBins(int& code) {
  code = 0;
  // Called by the clean-up's worker thread: the shell needs COM there.
  win::ComScope com;
  // Emptying bins that are empty already fails (E_UNEXPECTED): ask first.
  SHQUERYRBINFO info{};
  info.cbSize = sizeof info;
  if (SUCCEEDED(SHQueryRecycleBinW(nullptr, &info)) && info.i64NumItems == 0)
    return BinResult::Emptied;
  const HRESULT result = SHEmptyRecycleBinW(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
  if (FAILED(result)) {
    code = static_cast<int>(result);
    return BinResult::Failed;
  }
  return BinResult::Emptied;
}

bool HasSystemBins() { return true; }

namespace testing {
void SetCheckedHook(std::function<void(const std::string& path)>) {}
}  // namespace testing

}  // namespace os::trash
