#include "os/dry_run.h"

#include "os/windows/wide.h"

namespace os::dry_run {

namespace {

std::wstring TargetFile() { return win::EnvironmentValue(L"DKWT_DRY_RUN"); }

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

bool Active() { return !TargetFile().empty(); }

void Record(const std::string& verb, const std::vector<std::pair<std::string, std::string>>& args) {
  const std::wstring file = TargetFile();
  if (file.empty())
    return;
  std::string line = verb;
  for (const auto& [key, value] : args)
    line += " " + key + "=" + Quote(value);
  line += "\n";
  // Append-only access makes each write land at the end, so lines stay whole
  // when several processes record.
  HANDLE handle = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return;
  DWORD written = 0;
  WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(handle);
}

}  // namespace os::dry_run
