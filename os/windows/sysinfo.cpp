// The version comes from RtlGetVersion: GetVersionExW answers what the
// executable's manifest claims, not what runs.
#include "os/sysinfo.h"

#include <windows.h>

#include <iterator>

#include "os/registry.h"
#include "os/windows/wide.h"

namespace os::sysinfo {

namespace {

const char kProcessorKey[] = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

RTL_OSVERSIONINFOEXW Version() {
  RTL_OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  using RtlGetVersionCall = LONG(WINAPI*)(PRTL_OSVERSIONINFOW);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto call = ntdll ? reinterpret_cast<RtlGetVersionCall>(
                          reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                    : nullptr;
  if (!call || call(reinterpret_cast<PRTL_OSVERSIONINFOW>(&info)) != 0)
    info = RTL_OSVERSIONINFOEXW{};
  return info;
}

bool Workstation(const RTL_OSVERSIONINFOEXW& info) { return info.wProductType == VER_NT_WORKSTATION; }

std::string ReleaseName(const RTL_OSVERSIONINFOEXW& info) {
  const DWORD major = info.dwMajorVersion, minor = info.dwMinorVersion;
  const bool workstation = Workstation(info);
  if (major >= 10)
    return workstation ? (info.dwBuildNumber >= 22000 ? "11" : "10") : "Server";
  if (major == 6) {
    static const char* const kWorkstation[] = {"Vista", "7", "8", "8.1"};
    static const char* const kServer[] = {"Server 2008", "Server 2008 R2", "Server 2012", "Server 2012 R2"};
    if (minor < std::size(kWorkstation))
      return workstation ? kWorkstation[minor] : kServer[minor];
    return "6." + std::to_string(minor);
  }
  if (major == 5)
    return minor == 2 ? "Server 2003" : minor == 1 ? "XP" : "2000";
  return "NT";
}

struct ProductRow {
  DWORD type;
  const char* text;
};

// GetProductInfo's product types that name an edition worth showing.
const ProductRow kProducts[] = {
    {1, " Ultimate Edition"},        {2, " Home Basic Edition"},
    {3, " Home Premium Edition"},    {4, " Enterprise Edition"},
    {6, " Business Edition"},        {7, " Standard Edition"},
    {8, " Datacenter Edition"},      {9, " Small Business Server"},
    {10, " Enterprise Edition"},     {11, " Starter Edition"},
    {12, " Datacenter Edition (core installation)"},
    {13, " Standard Edition (core installation)"},
    {14, " Enterprise Edition (core installation)"},
    {15, " Enterprise Edition for Itanium-based Systems"},
    {17, " Web Server Edition"},     {18, " Cluster Server Edition"},
    {25, " Small Business Server Premium Edition"},
    {48, " Professional"},           {101, " Home"},
    {121, " Education"},
};

std::string ProductText(const RTL_OSVERSIONINFOEXW& info) {
  DWORD type = 0;
  if (info.dwMajorVersion < 6 ||
      !GetProductInfo(info.dwMajorVersion, info.dwMinorVersion, info.wServicePackMajor, info.wServicePackMinor, &type))
    return (Workstation(info) && info.dwMajorVersion == 5)
               ? ((info.wSuiteMask & VER_SUITE_PERSONAL) ? " Home Edition" : " Professional")
               : "";
  for (const ProductRow& row : kProducts)
    if (row.type == type)
      return row.text;
  return "";
}

std::string ReadMachineString(const char* key, const char* name) {
  std::string value;
  if (registry::ReadString(registry::Hive::LocalMachine, key, name, value) != registry::Result::Ok)
    return "";
  const auto first = value.find_first_not_of(' ');
  const auto last = value.find_last_not_of(' ');
  return first == std::string::npos ? "" : value.substr(first, last - first + 1);
}

}  // namespace

Family OsFamily() { return Family::WindowsNT; }

bool ModernPowerApi() { return Version().dwMajorVersion > 5; }

bool ModernShell() {
  const RTL_OSVERSIONINFOEXW info = Version();
  return info.dwMajorVersion > 6 || (info.dwMajorVersion == 6 && info.dwMinorVersion >= 1);
}

std::string EditionText() {
  const RTL_OSVERSIONINFOEXW info = Version();
  return (ReleaseName(info) + ProductText(info)).substr(0, 255);
}

std::string KernelVersion() {
  const RTL_OSVERSIONINFOEXW info = Version();
  return std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
         std::to_string(info.dwBuildNumber);
}

std::string ProcessorName() { return ReadMachineString(kProcessorKey, "ProcessorNameString"); }
std::string ProcessorIdentifier() { return ReadMachineString(kProcessorKey, "Identifier"); }

std::string Description() {
  const RTL_OSVERSIONINFOEXW info = Version();
  return "Windows " + EditionText() + " " + KernelVersion() + " " + win::Narrow(info.szCSDVersion) + " on " +
         ProcessorName() + "( " + ProcessorIdentifier() + " )";
}

std::uint64_t UptimeSeconds() { return GetTickCount64() / 1000; }

bool IsAdministrator() {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                0, &administrators))
    return false;
  BOOL member = FALSE;
  if (!CheckTokenMembership(nullptr, administrators, &member))
    member = FALSE;
  FreeSid(administrators);
  return member != FALSE;
}

bool InternetExplorerVersionText(std::string& text) {
  text.clear();
  return registry::ReadString(registry::Hive::LocalMachine, "Software\\Microsoft\\Internet Explorer", "Version",
                              text) == registry::Result::Ok;
}

}  // namespace os::sysinfo
