#pragma once
// Processes of the current user.
#include <cstdint>
#include <string>
#include <vector>

namespace os::processes {

struct ProcessInfo {
  std::uint32_t pid = 0;
  std::string name;  // executable base name without ".exe"; "<unknown>" when it cannot be read
};

// False when the process list cannot be read at all.
bool List(std::vector<ProcessInfo>& out);

std::uint32_t CurrentId();

// Full path of the running executable.
std::string ExecutablePath();

// Ends a process of this user: polite asks it to close, otherwise it is killed.
// Recorded instead of done under the dry-run switch.
bool Terminate(std::uint32_t pid, bool polite);

// Whether a listed process runs the executable of this name (as
// os/browsers.h names them), compared without regard to case.
bool RunsExecutable(const ProcessInfo& process, const char* executable);

// Whether the process still runs (a process that ended but was not yet
// reaped by its parent counts as ended).
bool Running(std::uint32_t pid);

}  // namespace os::processes
