#include "os/startup.h"

#include <windows.h>

#include <cstdio>

namespace os::startup {

// The toolkit needs nothing set up here.
void PrepareToolkit() {}

namespace {

bool HasHandle(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

// A windowed program started from a console window gets no output handles:
// attach to that console, as the command prompt does not wait for us.
void UseStartingConsole() {
  const bool out = HasHandle(STD_OUTPUT_HANDLE);
  const bool err = HasHandle(STD_ERROR_HANDLE);
  if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS))
    return;
  if (!out && std::freopen("CONOUT$", "w", stdout) == nullptr)
    return;
  if (!err)
    std::freopen("CONOUT$", "w", stderr);
}

}  // namespace os::startup
