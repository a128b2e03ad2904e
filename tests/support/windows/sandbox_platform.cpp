// The known folders come from HKCU's User Shell Folders, not from HOME, and
// the settings live in HKCU, which every test of a Wine prefix shares. So the
// process gets a private HKCU for the sandbox's lifetime: an empty key of its
// own that stands in for the hive (RegOverridePredefKey), whose User Shell
// Folders point into the sandbox. Tests running in parallel never meet.
#include <windows.h>

#include <stdexcept>
#include <string>

#include "tests/support/sandbox.h"

namespace {

const wchar_t kSandboxes[] = L"Software\\Duskwatch test sandboxes";
const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

void SetFolder(const wchar_t* name, const std::filesystem::path& folder) {
  const std::wstring value = std::filesystem::path(folder).make_preferred().wstring();
  RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, name, REG_EXPAND_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

struct KnownFolder {
  const wchar_t* value;  // the User Shell Folders value
  const char* path;      // under the sandbox's home
};

const KnownFolder kKnownFolders[] = {
    {L"Desktop", "Desktop"},
    {L"AppData", "AppData/Roaming"},
    {L"Local AppData", "AppData/Local"},
    {L"Personal", "Documents"},
    {L"Cache", "AppData/Local/Microsoft/Windows/INetCache"},
    {L"Cookies", "AppData/Local/Microsoft/Windows/INetCookies"},
    {L"History", "AppData/Local/Microsoft/Windows/History"},
    {L"CD Burning", "AppData/Local/Microsoft/Windows/Burn/Burn"},
    {L"Recent", "AppData/Roaming/Microsoft/Windows/Recent"},
    {L"Templates", "AppData/Roaming/Microsoft/Windows/Templates"},
};

}  // namespace

class SandboxPlatform {
 public:
  explicit SandboxPlatform(Sandbox& sandbox)
      : m_keyPath(std::wstring(kSandboxes) + L"\\" + sandbox.Root().filename().wstring()) {
    if (RegCreateKeyExW(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &m_key, nullptr) != ERROR_SUCCESS)
      throw std::runtime_error("no key for the sandbox's HKEY_CURRENT_USER");
    if (RegOverridePredefKey(HKEY_CURRENT_USER, m_key) != ERROR_SUCCESS) {
      Forget();
      throw std::runtime_error("HKEY_CURRENT_USER cannot be redirected into the sandbox");
    }
    for (const KnownFolder& known : kKnownFolders) {
      std::filesystem::create_directories(sandbox.Home() / known.path);
      SetFolder(known.value, sandbox.Home() / known.path);
    }
    sandbox.SetEnv("USERPROFILE", sandbox.Home().make_preferred().string());
    sandbox.SetEnv("APPDATA", (sandbox.Home() / "AppData/Roaming").make_preferred().string());
    sandbox.SetEnv("LOCALAPPDATA", (sandbox.Home() / "AppData/Local").make_preferred().string());
    // Every user's application data too: a clean-up may empty folders there.
    std::filesystem::create_directories(sandbox.Root() / "ProgramData");
    sandbox.SetEnv("ProgramData", (sandbox.Root() / "ProgramData").make_preferred().string());
  }

  ~SandboxPlatform() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    Forget();
  }

  SandboxPlatform(const SandboxPlatform&) = delete;
  SandboxPlatform& operator=(const SandboxPlatform&) = delete;

 private:
  void Forget() {
    RegCloseKey(m_key);
    RegDeleteTreeW(HKEY_CURRENT_USER, m_keyPath.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, kSandboxes);  // fails while another test holds one
  }

  std::wstring m_keyPath;
  HKEY m_key = nullptr;
};

void Sandbox::PlatformDeleter::operator()(SandboxPlatform* platform) const { delete platform; }

SandboxPlatform* Sandbox::EnterPlatform(Sandbox& sandbox) { return new SandboxPlatform(sandbox); }

void Sandbox::MoveDesktop(const std::filesystem::path& folder) { SetFolder(L"Desktop", folder); }

std::string Sandbox::StartupCommand() const {
  wchar_t value[1024] = L"";
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Duskwatch",
                   RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return {};
  return std::filesystem::path(value).string();
}
