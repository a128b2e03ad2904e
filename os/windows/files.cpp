#include "os/files.h"

#include <algorithm>

#include "os/windows/wide.h"

namespace os::files {

namespace {

bool WriteAll(HANDLE handle, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(handle, text.data() + done, chunk, &written, nullptr) || written == 0)
      return false;
    done += written;
  }
  return true;
}

int LastError() {
  const DWORD error = GetLastError();
  return error != 0 ? static_cast<int>(error) : ERROR_WRITE_FAULT;
}

}  // namespace

bool WriteLocked(const std::string& path, const std::string& text, bool truncate, int& errorCode) {
  errorCode = 0;
  HANDLE handle = CreateFileW(win::Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              truncate ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    errorCode = LastError();
    return false;
  }
  // The whole range, so another writer of ours waits for us.
  OVERLAPPED whole{};
  if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
    errorCode = LastError();
    CloseHandle(handle);
    return false;
  }
  LARGE_INTEGER zero{};
  bool ok = SetFilePointerEx(handle, zero, nullptr, FILE_END) && WriteAll(handle, text);
  if (!ok)
    errorCode = LastError();
  UnlockFileEx(handle, 0, MAXDWORD, MAXDWORD, &whole);
  CloseHandle(handle);
  return ok;
}

bool WriteAtomically(const std::string& path, const std::string& content, int& errorCode) {
  errorCode = 0;
  const std::wstring target = win::Wide(path);
  const std::wstring temp = target + L".dkwt-tmp";
  HANDLE handle = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    errorCode = LastError();
    return false;
  }
  bool ok = WriteAll(handle, content) && FlushFileBuffers(handle);
  if (!ok)
    errorCode = LastError();
  CloseHandle(handle);
  if (ok && !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    errorCode = LastError();
    ok = false;
  }
  if (!ok)
    DeleteFileW(temp.c_str());
  return ok;
}

bool ReplaceWithFile(const std::string& finished, const std::string& path, int& errorCode) {
  errorCode = 0;
  if (MoveFileExW(win::Wide(finished).c_str(), win::Wide(path).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  errorCode = LastError();
  return false;
}

}  // namespace os::files
