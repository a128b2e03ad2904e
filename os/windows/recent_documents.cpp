// Windows keeps no XBEL list; clearing its recent documents comes with the
// Windows clean-up. An existing store is not touched and that is reported.
#include "os/recent_documents.h"

#include "os/folders.h"

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

}  // namespace os::recent_documents
