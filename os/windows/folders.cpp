#include "os/folders.h"

#include <windows.h>

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "os/windows/wide.h"

namespace os::folders {

namespace {

struct SpecialRow {
  Special which;
  const KNOWNFOLDERID* known;
  int csidl;  // for systems without the known-folder call
};

const SpecialRow kSpecialFolders[] = {
    {Special::Desktop, &FOLDERID_Desktop, CSIDL_DESKTOPDIRECTORY},
    {Special::AppData, &FOLDERID_RoamingAppData, CSIDL_APPDATA},
    {Special::LocalAppData, &FOLDERID_LocalAppData, CSIDL_LOCAL_APPDATA},
    {Special::Profile, &FOLDERID_Profile, CSIDL_PROFILE},
    {Special::InternetCache, &FOLDERID_InternetCache, CSIDL_INTERNET_CACHE},
    {Special::InternetCookies, &FOLDERID_Cookies, CSIDL_COOKIES},
    {Special::InternetHistory, &FOLDERID_History, CSIDL_HISTORY},
    {Special::CdBurning, &FOLDERID_CDBurning, CSIDL_CDBURN_AREA},
    {Special::CommonAppData, &FOLDERID_ProgramData, CSIDL_COMMON_APPDATA},
    {Special::Recent, &FOLDERID_Recent, CSIDL_RECENT},
    {Special::Templates, &FOLDERID_Templates, CSIDL_TEMPLATES},
};

std::wstring KnownFolder(const SpecialRow& row) {
  PWSTR found = nullptr;
  std::wstring path;
  if (SUCCEEDED(SHGetKnownFolderPath(*row.known, 0, nullptr, &found)) && found)
    path = found;
  CoTaskMemFree(found);
  if (path.empty()) {
    wchar_t buffer[MAX_PATH] = L"";
    if (SUCCEEDED(SHGetFolderPathW(nullptr, row.csidl, nullptr, SHGFP_TYPE_CURRENT, buffer)))
      path = buffer;
  }
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/'))
    path.pop_back();
  return path;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

DWORD Attributes(const std::string& path) {
  return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(win::Wide(path).c_str());
}

}  // namespace

bool GetSpecialFolder(Special which, std::string& path) {
  path.clear();
  for (const SpecialRow& row : kSpecialFolders)
    if (row.which == which)
      path = win::Narrow(KnownFolder(row));
  return !path.empty();
}

std::string TasksFolder(const std::string& programName) {
  std::string appData;
  if (!GetSpecialFolder(Special::AppData, appData))
    appData = win::Narrow(win::EnvironmentValue(L"APPDATA"));
  if (appData.empty())
    appData.push_back('.');  // not `= "."`: GCC 12 warns falsely (-Wrestrict) at -O2
  return appData + "\\" + programName + "-Tasks";
}

bool CreateFolder(const std::string& path, int& errorCode) {
  errorCode = 0;
  if (CreateDirectoryW(win::Wide(path).c_str(), nullptr))
    return true;
  errorCode = static_cast<int>(GetLastError());
  return false;
}

bool CreateFolderPath(const std::string& path, int& errorCode) {
  errorCode = 0;
  if (path.empty()) {
    errorCode = ERROR_PATH_NOT_FOUND;
    return false;
  }
  const std::wstring wide = win::Wide(path);
  // Every prefix that ends before a separator, then the whole path; drive
  // roots and \\server\share prefixes already exist or cannot be made.
  for (std::size_t end = 1; end <= wide.size(); ++end) {
    if (end < wide.size() && !IsSeparator(wide[end]))
      continue;
    const std::wstring prefix = wide.substr(0, end);
    if (prefix.back() == L':' || IsSeparator(prefix.back()))
      continue;
    const DWORD attributes = GetFileAttributesW(prefix.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        continue;
      errorCode = ERROR_DIRECTORY;
      return false;
    }
    if (!CreateDirectoryW(prefix.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      const DWORD error = GetLastError();
      // The server or share part of a UNC path is no folder to create.
      if (prefix.rfind(L"\\\\", 0) == 0 && (error == ERROR_BAD_NETPATH || error == ERROR_INVALID_NAME ||
                                            error == ERROR_BAD_PATHNAME || error == ERROR_ACCESS_DENIED) &&
          end < wide.size())
        continue;
      errorCode = static_cast<int>(error);
      return false;
    }
  }
  if (FolderExists(path))
    return true;
  errorCode = ERROR_PATH_NOT_FOUND;
  return false;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

char PathSeparator() { return '\\'; }

std::string TempFolder() {
  for (const wchar_t* name : {L"TMP", L"TMPDIR"}) {
    std::wstring value = win::EnvironmentValue(name);
    if (!value.empty())
      return win::Narrow(value);
  }
  wchar_t buffer[MAX_PATH + 1] = L"";
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  std::wstring path = (length > 0 && length <= MAX_PATH) ? std::wstring(buffer, length) : L"C:\\Windows\\Temp";
  while (path.size() > 3 && IsSeparator(path.back()))
    path.pop_back();
  return win::Narrow(path);
}

std::string CurrentFolder() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0)
    return ".";
  std::vector<wchar_t> buffer(size);
  const DWORD length = GetCurrentDirectoryW(size, buffer.data());
  return (length == 0 || length >= size) ? "." : win::Narrow(std::wstring(buffer.data(), length));
}

}  // namespace os::folders
