// Windows has one clipboard and no primary selection: emptying the
// clipboard empties both.
#include "os/clipboard.h"

#include <windows.h>

namespace os::clipboard {

bool EmptyBoth() {
  // Another program may hold it open for a moment.
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (OpenClipboard(nullptr)) {
      const bool emptied = EmptyClipboard() != FALSE;
      CloseClipboard();
      return emptied;
    }
    Sleep(50);
  }
  return false;
}

}  // namespace os::clipboard
