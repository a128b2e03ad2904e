#pragma once
// A temporary home: HOME, the XDG folders and TMP point into a fresh folder
// for the test's lifetime, so nothing touches the real user's files. The
// platform's part (tests/support/<platform>/sandbox_platform.cpp) moves what
// else holds the user's folders and settings there too.
#include <filesystem>
#include <map>
#include <memory>
#include <string>

class SandboxPlatform;

class Sandbox {
 public:
  Sandbox();
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  const std::filesystem::path& Root() const { return m_root; }
  std::filesystem::path Home() const { return m_root / "home"; }
  std::filesystem::path DataHome() const { return Home() / ".local/share"; }
  std::filesystem::path ConfigHome() const { return Home() / ".config"; }
  std::filesystem::path CacheHome() const { return Home() / ".cache"; }
  std::filesystem::path Desktop() const { return Home() / "Desktop"; }
  std::filesystem::path Tmp() const { return m_root / "tmp"; }

  // Points the user's desktop elsewhere, the way the user's own settings do
  // (a folder under Home()).
  void MoveDesktop(const std::filesystem::path& folder);
  // What the desktop session runs at its start for Duskwatch; empty when nothing.
  std::string StartupCommand() const;

  // Sets an environment variable for the sandbox's lifetime.
  void SetEnv(const std::string& name, const std::string& value);
  void UnsetEnv(const std::string& name);

  static std::string ReadFile(const std::filesystem::path& path);
  static void WriteFile(const std::filesystem::path& path, const std::string& content);

 private:
  struct PlatformDeleter {
    void operator()(SandboxPlatform* platform) const;
  };
  // Called last in the constructor; may be null.
  static SandboxPlatform* EnterPlatform(Sandbox& sandbox);

  std::filesystem::path m_root;
  std::map<std::string, std::pair<bool, std::string>> m_saved;
  std::unique_ptr<SandboxPlatform, PlatformDeleter> m_platform;
};
