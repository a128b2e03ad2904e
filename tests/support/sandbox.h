#pragma once
// A temporary home: HOME, the XDG folders and TMP point into a fresh folder
// for the test's lifetime, so nothing touches the real user's files.
#include <filesystem>
#include <map>
#include <string>

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

  // Sets an environment variable for the sandbox's lifetime.
  void SetEnv(const std::string& name, const std::string& value);
  void UnsetEnv(const std::string& name);

  static std::string ReadFile(const std::filesystem::path& path);
  static void WriteFile(const std::filesystem::path& path, const std::string& content);

 private:
  std::filesystem::path m_root;
  std::map<std::string, std::pair<bool, std::string>> m_saved;
};
