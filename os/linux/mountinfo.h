#pragma once
// One line of /proc/self/mountinfo, apart from the trash code that uses it
// so that the parsing can be tested and fuzzed on its own.
#include <string>

namespace os::mountinfo {

struct Mount {
  std::string point;    // unescaped
  std::string options;  // per-mount options, e.g. "rw,nosuid"
  std::string type;     // after the "-" separator; empty when missing
};

// id parent major:minor root mountpoint options [optional...] - fstype source superoptions
// False when the line has fewer than the six leading fields.
bool ParseLine(const std::string& line, Mount& mount);

// The kernel writes blanks, tabs, line breaks and backslashes as \ooo.
std::string Unescape(const std::string& field);

}  // namespace os::mountinfo
