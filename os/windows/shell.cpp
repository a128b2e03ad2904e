// Opening files through ShellExecuteExW. An executable is started with the
// "runas" verb when user-account control is on, so the system asks for
// elevation instead of failing the launch.
#include "os/shell.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cwctype>

#include "os/dry_run.h"
#include "os/registry.h"
#include "os/sysinfo.h"
#include "os/windows/wide.h"

namespace os::shell {

namespace {

enum class Kind { Missing, File, Folder };

Kind KindOf(const std::string& path, int& errorCode) {
  const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(win::Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    errorCode = path.empty() ? ERROR_FILE_NOT_FOUND : static_cast<int>(GetLastError());
    return Kind::Missing;
  }
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::Folder : Kind::File;
}

bool UserAccountControlOn() {
  std::uint32_t enabled = 0;
  return registry::ReadDword(registry::Hive::LocalMachine,
                             "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "EnableLUA",
                             enabled) == registry::Result::Ok &&
         enabled == 1;
}

std::wstring Lower(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return text;
}

std::wstring Extension(const std::string& path) {
  const std::wstring wide = win::Wide(path);
  const auto dot = wide.find_last_of(L'.');
  const auto slash = wide.find_last_of(L"\\/");
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
    return L"";
  return wide.substr(dot);
}

// Whether the system would run the file rather than open it (PATHEXT).
bool IsProgram(const std::string& path) {
  const std::wstring extension = Lower(Extension(path));
  if (extension.empty())
    return false;
  std::wstring list = Lower(win::EnvironmentValue(L"PATHEXT"));
  if (list.empty())
    list = L".com;.exe;.bat;.cmd";
  list = L";" + list + L";" + L".lnk;.pif;.scr;";
  return list.find(L";" + extension + L";") != std::wstring::npos;
}

bool Execute(const std::string& path, const wchar_t* verb, int& errorCode, std::string& errorText) {
  win::ComScope com;  // some handlers are reached through COM
  const std::wstring file = win::Wide(path);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // No zone check; and wait for the launch to be handed over, since the
  // calling thread may end right after (the after-wake-up thread does).
  info.fMask = SEE_MASK_NOZONECHECKS | SEE_MASK_NOASYNC;
  info.lpVerb = verb;
  info.lpFile = file.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&info))
    return true;
  const DWORD error = GetLastError();
  errorCode = error != 0 ? static_cast<int>(error) : ERROR_GEN_FAILURE;
  errorText = win::SystemText(static_cast<DWORD>(errorCode));
  return false;
}

}  // namespace

bool LaunchDefault(const std::string& path, int& errorCode, std::string& errorText) {
  errorCode = 0;
  errorText.clear();
  if (KindOf(path, errorCode) == Kind::Missing) {
    errorText = win::SystemText(static_cast<DWORD>(errorCode));
    return false;
  }
  if (dry_run::Active()) {
    dry_run::Record("launch", {{"path", path}});
    return true;
  }
  // "*.exe" exactly as written: other programs keep their default verb.
  const bool elevate = path.size() > 4 && path.compare(path.size() - 4, 4, ".exe") == 0 &&
                       sysinfo::ModernPowerApi() && UserAccountControlOn();
  return Execute(path, elevate ? L"runas" : nullptr, errorCode, errorText);
}

bool OpenFolder(const std::string& path, int& errorCode) {
  errorCode = 0;
  std::string errorText;
  const Kind kind = KindOf(path, errorCode);
  if (kind == Kind::Missing)
    return false;
  if (kind != Kind::Folder) {
    errorCode = ERROR_DIRECTORY;
    return false;
  }
  if (dry_run::Active()) {
    dry_run::Record("open", {{"path", path}});
    return true;
  }
  return Execute(path, L"open", errorCode, errorText);
}

bool OpenDocument(const std::string& path, int& errorCode) {
  errorCode = 0;
  std::string errorText;
  const Kind kind = KindOf(path, errorCode);
  if (kind == Kind::Missing)
    return false;
  if (kind != Kind::File) {
    errorCode = ERROR_ACCESS_DENIED;  // what opening a folder as a file gives
    return false;
  }
  // A document is opened, never run.
  if (IsProgram(path)) {
    errorCode = ERROR_BAD_FORMAT;
    return false;
  }
  if (dry_run::Active()) {
    dry_run::Record("open", {{"path", path}});
    return true;
  }
  return Execute(path, L"open", errorCode, errorText);
}

bool IsKnownExtension(const std::string& extension) {
  std::string bare = (!extension.empty() && extension[0] == '.') ? extension.substr(1) : extension;
  if (bare.empty() || bare.find_first_of("\\/") != std::string::npos)
    return false;
  return registry::KeyExists(registry::Hive::ClassesRoot, "." + bare);
}

bool KnowsHowToLaunch(const std::string& path) {
  int errorCode = 0;
  if (KindOf(path, errorCode) != Kind::File)
    return false;
  if (IsProgram(path))
    return true;
  const std::string extension = win::Narrow(Extension(path));
  return !extension.empty() && IsKnownExtension(extension);
}

}  // namespace os::shell
