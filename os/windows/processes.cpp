// Processes through a Toolhelp snapshot; a process counts as the user's when
// its token's user is ours (others' processes cannot even be opened for that).
#include "os/processes.h"

#include <windows.h>

#include <tlhelp32.h>

#include <vector>

#include "os/dry_run.h"
#include "os/windows/wide.h"

namespace os::processes {

namespace {

class Handle {
 public:
  explicit Handle(HANDLE handle = nullptr) : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~Handle() {
    if (m_handle)
      CloseHandle(m_handle);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }

 private:
  HANDLE m_handle;
};

// The token user's SID of a process, as bytes; empty when it cannot be read.
std::vector<BYTE> TokenUser(HANDLE process) {
  HANDLE rawToken = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &rawToken))
    return {};
  Handle token(rawToken);
  DWORD size = 0;
  GetTokenInformation(token.Get(), ::TokenUser, nullptr, 0, &size);
  if (size == 0)
    return {};
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token.Get(), ::TokenUser, buffer.data(), size, &size))
    return {};
  const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
  if (!IsValidSid(sid))
    return {};
  const auto* bytes = static_cast<const BYTE*>(sid);
  return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
}

const std::vector<BYTE>& OwnUser() {
  static const std::vector<BYTE> user = TokenUser(GetCurrentProcess());
  return user;
}

bool OwnedByUser(std::uint32_t pid) {
  Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process)
    return false;
  const std::vector<BYTE> user = TokenUser(process.Get());
  return !user.empty() && user == OwnUser();
}

// "DKWT.exe" -> "DKWT": the program's names are the same on every platform.
std::string ProgramName(const wchar_t* file) {
  std::wstring name = file;
  const auto slash = name.find_last_of(L"\\/");
  if (slash != std::wstring::npos)
    name = name.substr(slash + 1);
  if (name.size() > 4 && CompareStringOrdinal(name.c_str() + name.size() - 4, 4, L".exe", 4, TRUE) == CSTR_EQUAL)
    name.resize(name.size() - 4);
  return name.empty() ? "<unknown>" : win::Narrow(name);
}

struct CloseRequest {
  DWORD pid;
  bool posted;
};

BOOL CALLBACK PostClose(HWND window, LPARAM data) {
  auto* request = reinterpret_cast<CloseRequest*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  // Its visible top-level windows, as a user would close them.
  if (owner == request->pid && GetWindow(window, GW_OWNER) == nullptr && IsWindowVisible(window) &&
      PostMessageW(window, WM_CLOSE, 0, 0))
    request->posted = true;
  return TRUE;
}

}  // namespace

bool List(std::vector<ProcessInfo>& out) {
  out.clear();
  Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot)
    return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  if (!Process32FirstW(snapshot.Get(), &entry))
    return GetLastError() == ERROR_NO_MORE_FILES;
  do {
    if (entry.th32ProcessID == 0 || !OwnedByUser(entry.th32ProcessID))
      continue;
    out.push_back({entry.th32ProcessID, ProgramName(entry.szExeFile)});
  } while (Process32NextW(snapshot.Get(), &entry));
  return true;
}

std::uint32_t CurrentId() { return GetCurrentProcessId(); }

std::string ExecutablePath() {
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    std::vector<wchar_t> buffer(size);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
    if (length == 0)
      return "";
    if (length < size)
      return win::Narrow(std::wstring(buffer.data(), length));
  }
  return "";
}

bool Terminate(std::uint32_t pid, bool polite) {
  if (pid == 0 || pid == CurrentId())
    return false;
  if (dry_run::Active()) {
    dry_run::Record("terminate", {{"pid", std::to_string(pid)}, {"polite", polite ? "1" : "0"}});
    return true;
  }
  // Only this user's processes, never anyone else's.
  if (!OwnedByUser(pid))
    return false;
  if (polite) {
    // Asking means closing its windows; a process without one cannot be asked.
    CloseRequest request{pid, false};
    EnumWindows(PostClose, reinterpret_cast<LPARAM>(&request));
    return request.posted;
  }
  Handle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
  return process && TerminateProcess(process.Get(), 1);
}

bool RunsExecutable(const ProcessInfo& process, const char* executable) {
  // Listed names carry no ".exe"; executables may.
  const std::wstring name = win::Wide(process.name);
  std::wstring wanted = win::Wide(executable);
  if (wanted.size() > 4 &&
      CompareStringOrdinal(wanted.c_str() + wanted.size() - 4, 4, L".exe", 4, TRUE) == CSTR_EQUAL)
    wanted.resize(wanted.size() - 4);
  return CompareStringOrdinal(name.c_str(), static_cast<int>(name.size()), wanted.c_str(),
                              static_cast<int>(wanted.size()), TRUE) == CSTR_EQUAL;
}

bool Running(std::uint32_t pid) {
  if (pid == 0)
    return false;
  Handle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process)
    return GetLastError() == ERROR_ACCESS_DENIED;  // there, but not ours to look at
  return WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

}  // namespace os::processes
