#pragma once
// What the machine is: family, capability flags, description, uptime.
#include <cstdint>
#include <string>

namespace os::sysinfo {

enum class Family { Windows9x, WindowsNT, Linux, Other };

Family OsFamily();

// Capability flags the program logic branches on. The backend of this
// platform implements the modern ("Vista or later", "7 or later") behaviour.
bool ModernPowerApi();
bool ModernShell();

// One line: distribution, kernel, processor.
std::string Description();
// Short edition text for the error log footer (e.g. "Debian GNU/Linux 12 (bookworm)").
std::string EditionText();
std::string KernelVersion();
// Processor name and identifier ("family/model/stepping"), empty when unknown.
std::string ProcessorName();
std::string ProcessorIdentifier();

// Whole seconds since boot, 0 when unknown.
std::uint64_t UptimeSeconds();

// Whether the user may change system-wide settings (effective uid 0 here).
bool IsAdministrator();

// The installed Internet Explorer's "Version" text; false when there is none.
bool InternetExplorerVersionText(std::string& text);

}  // namespace os::sysinfo
