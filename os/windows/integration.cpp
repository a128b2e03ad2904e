// Start with Windows: a value of the per-user Run key. Explorer commands:
// keys under the user's own classes (HKCU\Software\Classes), which Explorer
// merges into HKEY_CLASSES_ROOT; so no administrator rights are needed.
#include "os/integration.h"

#include <windows.h>

#include "os/sysinfo.h"
#include "os/windows/wide.h"

namespace os::integration {

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValue[] = L"Duskwatch";

// The desktop and the inside of folders; before Vista, folders only.
std::wstring ShellRoot() {
  return sysinfo::ModernPowerApi() ? L"Software\\Classes\\Directory\\Background\\shell"
                                   : L"Software\\Classes\\Folder\\shell";
}

// A path with a blank is quoted: unquoted, the system would first try to
// run "C:\Program" and so on.
std::wstring Quoted(const std::string& text) {
  const std::wstring wide = win::Wide(text);
  return wide.find_first_of(L" \t") == std::wstring::npos ? wide : L"\"" + wide + L"\"";
}

bool SetString(HKEY key, const wchar_t* name, const std::wstring& value, int& errorCode) {
  const LSTATUS status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                        static_cast<DWORD>(value.size() * sizeof(wchar_t)));
  errorCode = static_cast<int>(status);
  return status == ERROR_SUCCESS;
}

bool ValidLabel(const std::string& label) {
  return !label.empty() && label.find_first_of("\\\"\r\n") == std::string::npos;
}

// Deletes the command's key; one that is gone already counts as deleted.
bool RemoveCommand(const std::wstring& root, const std::string& label, int& errorCode) {
  const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, (root + L"\\" + win::Wide(label)).c_str());
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) {
    RegDeleteKeyW(HKEY_CURRENT_USER, (root + L"\\" + win::Wide(label)).c_str());
    return true;
  }
  errorCode = static_cast<int>(status);
  return false;
}

bool WriteCommand(const std::wstring& root, const Command& command, int& errorCode) {
  std::wstring line = Quoted(command.executable);
  for (const std::string& argument : command.arguments)
    line += L" " + Quoted(argument);
  HKEY key = nullptr;
  const std::wstring path = root + L"\\" + win::Wide(command.label) + L"\\command";
  const LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_SET_VALUE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) {
    errorCode = static_cast<int>(status);
    return false;
  }
  const bool ok = SetString(key, nullptr, line, errorCode);
  RegCloseKey(key);
  return ok;
}

}  // namespace

bool AddToStartup(const std::string& executable, int& errorCode) {
  errorCode = 0;
  if (executable.empty()) {
    errorCode = ERROR_INVALID_PARAMETER;
    return false;
  }
  HKEY key = nullptr;
  const LSTATUS status =
      RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) {
    errorCode = static_cast<int>(status);
    return false;
  }
  const bool ok = SetString(key, kRunValue, Quoted(executable), errorCode);
  RegCloseKey(key);
  return ok;
}

bool RemoveFromStartup(int& errorCode) {
  errorCode = 0;
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE | KEY_QUERY_VALUE, &key);
  if (status == ERROR_FILE_NOT_FOUND)
    return true;
  if (status == ERROR_SUCCESS) {
    status = RegDeleteValueW(key, kRunValue);
    RegCloseKey(key);
  }
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND)
    return true;
  errorCode = static_cast<int>(status);
  return false;
}

bool InstallContextCommands(const std::vector<Command>& commands, int& errorCode) {
  errorCode = 0;
  for (const Command& command : commands)
    if (!ValidLabel(command.label) || command.executable.empty()) {
      errorCode = ERROR_INVALID_NAME;
      return false;
    }
  const std::wstring root = ShellRoot();
  for (std::size_t written = 0; written < commands.size(); ++written) {
    if (WriteCommand(root, commands[written], errorCode))
      continue;
    int ignored = 0;
    for (std::size_t undo = 0; undo <= written; ++undo)
      RemoveCommand(root, commands[undo].label, ignored);
    return false;
  }
  return true;
}

bool RemoveContextCommands(const std::vector<std::string>& labels, int& errorCode) {
  errorCode = 0;
  const std::wstring root = ShellRoot();
  for (const std::string& label : labels) {
    if (!ValidLabel(label))
      continue;  // could never have been installed
    if (!RemoveCommand(root, label, errorCode))
      return false;
  }
  return true;
}

}  // namespace os::integration
