#pragma once
// Desktop integration: starting with the session and the file manager's
// context-menu commands.
#include <string>
#include <vector>

namespace os::integration {

// Start with the desktop session: an autostart entry running `executable`
// (a full path) without arguments. On failure `errorCode` holds the system's
// code.
bool AddToStartup(const std::string& executable, int& errorCode);
// True also when the entry was already gone.
bool RemoveFromStartup(int& errorCode);

struct Command {
  std::string label;                   // menu text, e.g. "Lock PC"
  std::string executable;              // full path, may contain blanks
  std::vector<std::string> arguments;  // e.g. {"-lock", "confirm"}
};

// Installs the commands where the user right-clicks (desktop, file manager).
// Stops at the first failure and then takes back what it had written, so a
// failed installation leaves nothing half done.
bool InstallContextCommands(const std::vector<Command>& commands, int& errorCode);
// Removes them; entries already deleted by hand count as removed.
bool RemoveContextCommands(const std::vector<std::string>& labels, int& errorCode);

}  // namespace os::integration
