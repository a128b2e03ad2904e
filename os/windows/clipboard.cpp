// Windows has one clipboard and no primary selection: emptying the
// clipboard empties both.
#include "os/clipboard.h"

#include <windows.h>

namespace os::clipboard {

bool EmptyBoth(int& errorCode) {
  errorCode = 0;
  // Another program may hold it open for a moment.
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (OpenClipboard(nullptr)) {
      const bool emptied = EmptyClipboard() != FALSE;
      if (!emptied)
        errorCode = static_cast<int>(GetLastError());
      CloseClipboard();
      return emptied;
    }
    errorCode = static_cast<int>(GetLastError());
    Sleep(50);
  }
  if (errorCode == 0)
    errorCode = ERROR_ACCESS_DENIED;
  return false;
}

}  // namespace os::clipboard
