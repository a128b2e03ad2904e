#include "tests/support/sandbox.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

Sandbox::Sandbox() {
  std::string pattern = (std::filesystem::temp_directory_path() / "dkwt-test-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  m_root = made ? made : pattern;
  std::filesystem::create_directories(Home());
  std::filesystem::create_directories(Tmp());
  std::filesystem::create_directories(Desktop());
  SetEnv("HOME", Home().string());
  SetEnv("XDG_DATA_HOME", DataHome().string());
  SetEnv("XDG_CONFIG_HOME", ConfigHome().string());
  SetEnv("XDG_CACHE_HOME", CacheHome().string());
  SetEnv("TMP", Tmp().string());
  SetEnv("TMPDIR", Tmp().string());
  // The machine's real volumes (and their trash folders) stay out of reach.
  SetEnv("DKWT_MOUNTINFO", "/dev/null");
}

Sandbox::~Sandbox() {
  for (auto& [name, saved] : m_saved) {
    if (saved.first)
      setenv(name.c_str(), saved.second.c_str(), 1);
    else
      unsetenv(name.c_str());
  }
  std::error_code ignored;
  std::filesystem::permissions(m_root, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(m_root, ignored);
}

void Sandbox::SetEnv(const std::string& name, const std::string& value) {
  if (!m_saved.count(name)) {
    const char* old = getenv(name.c_str());
    m_saved[name] = {old != nullptr, old ? old : ""};
  }
  setenv(name.c_str(), value.c_str(), 1);
}

void Sandbox::UnsetEnv(const std::string& name) {
  if (!m_saved.count(name)) {
    const char* old = getenv(name.c_str());
    m_saved[name] = {old != nullptr, old ? old : ""};
  }
  unsetenv(name.c_str());
}

std::string Sandbox::ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

void Sandbox::WriteFile(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << content;
}
