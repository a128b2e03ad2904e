#include "app/manual.h"

#include <filesystem>
#include <system_error>

#include "os/processes.h"

namespace {

// Relative to the program's folder, best first: an installed program sits in
// <prefix>/bin, a built one at the top of the build tree, which mirrors the
// installed share/ folder.
const char* const kCandidates[] = {
    "../share/duskwatch/DKWT.1.html",
    "share/duskwatch/DKWT.1.html",
    "../share/doc/duskwatch/README.md",
};

}  // namespace

std::string ProgramFolder() {
  return std::filesystem::path(os::processes::ExecutablePath()).parent_path().string();
}

std::string FindManual(const std::string& programFolder) {
  if (programFolder.empty())
    return {};
  for (const char* candidate : kCandidates) {
    std::error_code error;
    const auto path = (std::filesystem::path(programFolder) / candidate).lexically_normal();
    if (std::filesystem::is_regular_file(path, error))
      return path.string();
  }
  return {};
}
