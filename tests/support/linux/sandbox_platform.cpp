#include "tests/support/sandbox.h"

#include <sstream>

// Here HOME and XDG_* are all the user's folders and settings.
class SandboxPlatform {};

void Sandbox::PlatformDeleter::operator()(SandboxPlatform* platform) const { delete platform; }

SandboxPlatform* Sandbox::EnterPlatform(Sandbox& sandbox) {
  // The machine's real volumes (and their trash folders) stay out of reach.
  sandbox.SetEnv("DKWT_MOUNTINFO", "/dev/null");
  return nullptr;
}

void Sandbox::MoveDesktop(const std::filesystem::path& folder) {
  WriteFile(ConfigHome() / "user-dirs.dirs",
            "# comment\nXDG_DESKTOP_DIR=\"$HOME/" + folder.lexically_relative(Home()).string() + "\"\n");
}

std::string Sandbox::StartupCommand() const {
  std::istringstream entry(ReadFile(ConfigHome() / "autostart/Duskwatch.desktop"));
  for (std::string line; std::getline(entry, line);)
    if (line.rfind("Exec=", 0) == 0)
      return line.substr(5);
  return {};
}
