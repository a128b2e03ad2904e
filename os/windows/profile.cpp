// The system's own private-profile functions. They look a bare file name up
// in the Windows folder, so every path is made absolute first.
#include "os/profile.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "os/windows/wide.h"

namespace os::profile {

namespace {

std::wstring FullPath(const std::string& file) {
  const std::wstring wide = win::Wide(file);
  DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0)
    return wide;
  std::vector<wchar_t> buffer(size);
  DWORD length = GetFullPathNameW(wide.c_str(), size, buffer.data(), nullptr);
  return (length == 0 || length >= size) ? wide : std::wstring(buffer.data(), length);
}

// A new file starts with the UTF-16 byte-order mark: the profile functions
// then write it in UTF-16, so paths outside the ANSI code page survive.
// Existing files keep their encoding.
void StartUnicodeFile(const std::wstring& path) {
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return;  // there already (or not creatable: the write reports that)
  const unsigned char mark[] = {0xFF, 0xFE};
  DWORD written = 0;
  WriteFile(handle, mark, sizeof mark, &written, nullptr);
  CloseHandle(handle);
}

// A double-NUL-terminated list; the calls return size - 2 when it was cut.
template <typename Read>
std::vector<std::string> ReadList(Read read) {
  for (DWORD size = 4096; size <= (1u << 24); size *= 4) {
    std::vector<wchar_t> buffer(size, L'\0');
    const DWORD length = read(buffer.data(), size);
    if (length + 2 >= size)
      continue;
    std::vector<std::string> names;
    for (const wchar_t* name = buffer.data(); *name; name += wcslen(name) + 1)
      names.push_back(win::Narrow(name));
    return names;
  }
  return {};
}

}  // namespace

std::string GetString(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& defaultValue, std::size_t bufferSize) {
  if (bufferSize == 0 || file.empty())
    return bufferSize == 0 ? std::string() : defaultValue.substr(0, bufferSize - 1);
  const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bufferSize, 1u << 24));
  std::vector<wchar_t> buffer(size, L'\0');
  const DWORD length = GetPrivateProfileStringW(win::Wide(section).c_str(), win::Wide(key).c_str(),
                                                win::Wide(defaultValue).c_str(), buffer.data(), size,
                                                FullPath(file).c_str());
  return win::Narrow(std::wstring(buffer.data(), std::min<DWORD>(length, size - 1)));
}

bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value) {
  if (file.empty() || section.empty() || key.empty())
    return false;
  const std::wstring path = FullPath(file);
  StartUnicodeFile(path);
  return WritePrivateProfileStringW(win::Wide(section).c_str(), win::Wide(key).c_str(), win::Wide(value).c_str(),
                                    path.c_str()) != FALSE;
}

// The system's profile functions write one key per call; there is no way to
// replace several at once through them, so the keys go one after the other.
bool WriteStrings(const std::string& file, const std::string& section,
                  const std::vector<std::pair<std::string, std::string>>& entries) {
  bool ok = true;
  for (const auto& [key, value] : entries)
    ok = WriteString(file, section, key, value) && ok;
  return ok;
}

bool DeleteKey(const std::string& file, const std::string& section, const std::string& key) {
  if (file.empty() || section.empty() || key.empty())
    return false;
  if (GetFileAttributesW(FullPath(file).c_str()) == INVALID_FILE_ATTRIBUTES)
    return true;  // nothing to remove; the call would create the file
  return WritePrivateProfileStringW(win::Wide(section).c_str(), win::Wide(key).c_str(), nullptr,
                                    FullPath(file).c_str()) != FALSE;
}

bool DeleteSection(const std::string& file, const std::string& section) {
  if (file.empty() || section.empty())
    return false;
  if (GetFileAttributesW(FullPath(file).c_str()) == INVALID_FILE_ATTRIBUTES)
    return true;
  return WritePrivateProfileStringW(win::Wide(section).c_str(), nullptr, nullptr, FullPath(file).c_str()) != FALSE;
}

std::vector<std::string> SectionNames(const std::string& file) {
  const std::wstring path = FullPath(file);
  return ReadList([&](wchar_t* buffer, DWORD size) { return GetPrivateProfileSectionNamesW(buffer, size, path.c_str()); });
}

std::vector<std::string> KeyNames(const std::string& file, const std::string& section) {
  const std::wstring path = FullPath(file);
  const std::wstring name = win::Wide(section);
  return ReadList(
      [&](wchar_t* buffer, DWORD size) { return GetPrivateProfileStringW(name.c_str(), nullptr, L"", buffer, size, path.c_str()); });
}

}  // namespace os::profile
