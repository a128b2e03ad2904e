#include "os/session.h"

#include <windows.h>

#include "os/dry_run.h"

namespace os::session {

bool Lock(int& errorCode) {
  errorCode = 0;
  if (dry_run::Active()) {
    dry_run::Record("lock");
    return true;
  }
  if (LockWorkStation())
    return true;
  errorCode = static_cast<int>(GetLastError());
  if (errorCode == 0)
    errorCode = ERROR_GEN_FAILURE;
  return false;
}

}  // namespace os::session
