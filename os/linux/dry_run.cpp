#include "os/dry_run.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

namespace os::dry_run {

namespace {

const char* TargetFile() {
  const char* file = std::getenv("DKWT_DRY_RUN");
  return (file && *file) ? file : nullptr;
}

std::string Quote(const std::string& value) {
  if (!value.empty() && value.find_first_of(" \t\"\n") == std::string::npos)
    return value;
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '"' || c == '\\')
      quoted += '\\';
    if (c == '\n') {
      quoted += "\\n";
      continue;
    }
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

bool Active() { return TargetFile() != nullptr; }

void Record(const std::string& verb, const std::vector<std::pair<std::string, std::string>>& args) {
  const char* file = TargetFile();
  if (!file)
    return;
  std::string line = verb;
  for (const auto& [key, value] : args)
    line += " " + key + "=" + Quote(value);
  line += "\n";
  // One write with O_APPEND keeps lines whole when several processes record.
  int fd = ::open(file, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0)
    return;
  ssize_t ignored = ::write(fd, line.data(), line.size());
  (void)ignored;
  ::close(fd);
}

}  // namespace os::dry_run
