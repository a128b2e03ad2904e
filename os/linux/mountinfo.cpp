#include "os/linux/mountinfo.h"

#include <sstream>

namespace os::mountinfo {

namespace {

bool Octal(char c) { return c >= '0' && c <= '7'; }

}  // namespace

std::string Unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    // Exactly three octal digits, as the kernel writes them; anything else
    // stays as it is.
    if (field[i] == '\\' && i + 3 < field.size() && Octal(field[i + 1]) && Octal(field[i + 2]) &&
        Octal(field[i + 3]) && field[i + 1] <= '3') {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
      continue;
    }
    out += field[i];
  }
  return out;
}

bool ParseLine(const std::string& line, Mount& mount) {
  mount = Mount{};
  std::istringstream fields(line);
  std::string id, parent, device, root, point;
  if (!(fields >> id >> parent >> device >> root >> point >> mount.options))
    return false;
  std::string word;
  while (fields >> word && word != "-") {
  }
  fields >> mount.type;
  mount.point = Unescape(point);
  return true;
}

}  // namespace os::mountinfo
