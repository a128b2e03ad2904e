// The real registry. Strings are written without their terminating NUL (the
// data length is the text's), and read whether or not one is stored.
#include "os/registry.h"

#include <cstring>
#include <iterator>
#include <vector>

#include "os/windows/wide.h"

#include <shlwapi.h>

namespace os::registry {

namespace {

HKEY RootOf(Hive hive) {
  switch (hive) {
    case Hive::CurrentUser: return HKEY_CURRENT_USER;
    case Hive::LocalMachine: return HKEY_LOCAL_MACHINE;
    case Hive::ClassesRoot: return HKEY_CLASSES_ROOT;
  }
  return HKEY_CURRENT_USER;
}

std::wstring KeyPath(const std::string& key) {
  std::wstring path = win::Wide(key);
  while (!path.empty() && path.back() == L'\\')
    path.pop_back();
  return path;
}

Result FromStatus(LSTATUS status) {
  if (status == ERROR_SUCCESS)
    return Result::Ok;
  return (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) ? Result::NotFound : Result::Failed;
}

// Closes the key it holds.
class Key {
 public:
  ~Key() {
    if (m_key)
      RegCloseKey(m_key);
  }
  Result Open(Hive hive, const std::string& key, REGSAM access) {
    return FromStatus(RegOpenKeyExW(RootOf(hive), KeyPath(key).c_str(), 0, access, &m_key));
  }
  Result Create(Hive hive, const std::string& key, REGSAM access) {
    return FromStatus(RegCreateKeyExW(RootOf(hive), KeyPath(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                      nullptr, &m_key, nullptr));
  }
  HKEY Get() const { return m_key; }

 private:
  HKEY m_key = nullptr;
};

Result Read(Hive hive, const std::string& key, const std::string& name, DWORD wantedType, std::vector<BYTE>& data) {
  Key opened;
  if (Result result = opened.Open(hive, key, KEY_QUERY_VALUE); result != Result::Ok)
    return result;
  const std::wstring valueName = win::Wide(name);
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(data.size());
    LSTATUS status = RegQueryValueExW(opened.Get(), valueName.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &size);
    if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && data.size() < size)) {
      data.resize(size);
      continue;  // the value may grow between the calls
    }
    if (status != ERROR_SUCCESS)
      return FromStatus(status);
    if (type != wantedType && !(wantedType == REG_SZ && type == REG_EXPAND_SZ))
      return Result::Failed;
    data.resize(size);
    return Result::Ok;
  }
  return Result::Failed;
}

Result Write(Hive hive, const std::string& key, const std::string& name, DWORD type, const BYTE* data, DWORD size) {
  Key opened;
  if (Result result = opened.Create(hive, key, KEY_SET_VALUE); result != Result::Ok)
    return result == Result::NotFound ? Result::Failed : result;
  const LSTATUS status = RegSetValueExW(opened.Get(), win::Wide(name).c_str(), 0, type, data, size);
  return status == ERROR_SUCCESS ? Result::Ok : Result::Failed;
}

template <typename Enumerate>
Result Names(Hive hive, const std::string& key, std::vector<std::string>& names, Enumerate enumerate) {
  names.clear();
  Key opened;
  if (Result result = opened.Open(hive, key, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS); result != Result::Ok)
    return result;
  for (DWORD index = 0;; ++index) {
    wchar_t name[16384];  // the longest key or value name the registry allows
    DWORD length = static_cast<DWORD>(std::size(name));
    const LSTATUS status = enumerate(opened.Get(), index, name, &length);
    if (status == ERROR_NO_MORE_ITEMS)
      return Result::Ok;
    if (status != ERROR_SUCCESS)
      return Result::Failed;
    names.push_back(win::Narrow(std::wstring(name, length)));
  }
}

}  // namespace

Result ReadString(Hive hive, const std::string& key, const std::string& name, std::string& value) {
  value.clear();
  std::vector<BYTE> data(1024);
  Result result = Read(hive, key, name, REG_SZ, data);
  if (result != Result::Ok)
    return result;
  std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
  // Stored with or without its NUL: the text ends at the first one.
  text = text.substr(0, text.find(L'\0'));
  value = win::Narrow(text);
  return Result::Ok;
}

Result ReadDword(Hive hive, const std::string& key, const std::string& name, std::uint32_t& value) {
  std::vector<BYTE> data(sizeof(DWORD));
  Result result = Read(hive, key, name, REG_DWORD, data);
  if (result != Result::Ok)
    return result;
  if (data.size() != sizeof(DWORD))
    return Result::Failed;
  DWORD number = 0;
  std::memcpy(&number, data.data(), sizeof number);
  value = number;
  return Result::Ok;
}

Result WriteString(Hive hive, const std::string& key, const std::string& name, const std::string& value) {
  const std::wstring text = win::Wide(value);
  return Write(hive, key, name, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
               static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

Result WriteDword(Hive hive, const std::string& key, const std::string& name, std::uint32_t value) {
  const DWORD number = value;
  return Write(hive, key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

Result CreateKey(Hive hive, const std::string& key) {
  if (KeyPath(key).empty())
    return Result::Failed;
  Key opened;
  Result result = opened.Create(hive, key, KEY_QUERY_VALUE);
  return result == Result::NotFound ? Result::Failed : result;
}

bool KeyExists(Hive hive, const std::string& key) {
  Key opened;
  return opened.Open(hive, key, KEY_QUERY_VALUE) == Result::Ok;
}

Result DeleteValue(Hive hive, const std::string& key, const std::string& name) {
  Key opened;
  if (Result result = opened.Open(hive, key, KEY_SET_VALUE); result != Result::Ok)
    return result;
  return FromStatus(RegDeleteValueW(opened.Get(), win::Wide(name).c_str()));
}

Result DeleteTree(Hive hive, const std::string& key) {
  const std::wstring path = KeyPath(key);
  if (path.empty())
    return Result::Failed;  // the hive itself cannot go
  const LSTATUS status = static_cast<LSTATUS>(SHDeleteKeyW(RootOf(hive), path.c_str()));
  if (status != ERROR_SUCCESS)
    return FromStatus(status);
  // Some registry implementations only empty the named key.
  const LSTATUS removed = RegDeleteKeyW(RootOf(hive), path.c_str());
  return (removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND) ? Result::Ok : Result::Failed;
}

Result SubKeys(Hive hive, const std::string& key, std::vector<std::string>& names) {
  return Names(hive, key, names, [](HKEY opened, DWORD index, wchar_t* name, DWORD* length) {
    return RegEnumKeyExW(opened, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

Result ValueNames(Hive hive, const std::string& key, std::vector<std::string>& names) {
  return Names(hive, key, names, [](HKEY opened, DWORD index, wchar_t* name, DWORD* length) {
    return RegEnumValueW(opened, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

bool IsSystemRegistry() { return true; }

std::string StorePath() { return "HKEY_CURRENT_USER"; }

}  // namespace os::registry
