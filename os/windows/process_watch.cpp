#include "os/process_watch.h"

#include <windows.h>

namespace os::process_watch {

Watch::~Watch() { Close(); }

int Watch::Open(std::uint32_t pid) {
  Close();
  if (pid == 0)
    return ERROR_INVALID_PARAMETER;
  HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process)
    return static_cast<int>(::GetLastError());
  m_handle = reinterpret_cast<std::intptr_t>(process);
  m_pid = pid;
  return 0;
}

void Watch::Close() {
  if (m_handle != kNone)
    ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
  m_handle = kNone;
  m_pid = 0;
}

bool Watch::Ended(std::chrono::milliseconds timeout) {
  if (m_handle == kNone)
    return true;
  return ::WaitForSingleObject(reinterpret_cast<HANDLE>(m_handle), static_cast<DWORD>(timeout.count())) ==
         WAIT_OBJECT_0;
}

}  // namespace os::process_watch
