// Windows keeps no XBEL list; the shell clears its own recent documents. An
// existing store is not touched and that is reported.
#include "os/recent_documents.h"

#include <windows.h>

#include <shlobj.h>

#include "os/folders.h"
#include "os/windows/wide.h"

namespace os::recent_documents {

const char* EmptyStore() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<xbel version=\"1.0\"\n"
         "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
         "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n"
         ">\n"
         "</xbel>\n";
}

bool ResetStore(const std::string& path) {
  // Absent stays absent; a present one is not replaced here.
  return !folders::FileExists(path) && !folders::FolderExists(path);
}

bool ClearShellList() {
  win::ComScope com;  // the worker thread calls it
  SHAddToRecentDocs(0, nullptr);
  return true;
}

bool HasShellList() { return true; }

void NotifyProgramListsChanged() {
  PIDLIST_ABSOLUTE startMenu = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_COMMON_STARTMENU, &startMenu)) || !startMenu)
    return;
  SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, startMenu, nullptr);
  CoTaskMemFree(startMenu);
}

}  // namespace os::recent_documents
