#include "tests/support/sandbox.h"

#include <wx/utils.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

namespace {

// A fresh folder of our own under the temporary folder (what mkdtemp does,
// on every platform).
std::filesystem::path MakeUniqueFolder() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    snprintf(name, sizeof name, "dkwt-test-%012llx", static_cast<unsigned long long>(random() & 0xffffffffffffULL));
    std::error_code error;
    if (std::filesystem::create_directory(base / name, error))
      return base / name;
  }
  return base / "dkwt-test-unavailable";
}

bool GetEnv(const std::string& name, std::string& value) {
  wxString found;
  if (!wxGetEnv(wxString::FromUTF8(name), &found))
    return false;
  value = found.utf8_string();
  return true;
}

// Everything that can go goes; what cannot (a file that another handle
// still holds) stays. The library's remove_all retries such a file for ever
// with MinGW.
void RemoveTree(const std::filesystem::path& folder) {
  std::error_code error;
  std::vector<std::filesystem::path> entries;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    entries.push_back(it->path());
  for (const auto& entry : entries) {
    if (std::filesystem::is_directory(std::filesystem::symlink_status(entry, error)))
      RemoveTree(entry);
    else
      std::filesystem::remove(entry, error);
  }
  std::filesystem::remove(folder, error);
}

}  // namespace

Sandbox::Sandbox() {
  m_root = MakeUniqueFolder();
  std::filesystem::create_directories(Home());
  std::filesystem::create_directories(Tmp());
  std::filesystem::create_directories(Desktop());
  SetEnv("HOME", Home().string());
  SetEnv("XDG_DATA_HOME", DataHome().string());
  SetEnv("XDG_CONFIG_HOME", ConfigHome().string());
  SetEnv("XDG_CACHE_HOME", CacheHome().string());
  SetEnv("TMP", Tmp().string());
  SetEnv("TMPDIR", Tmp().string());
  m_platform.reset(EnterPlatform(*this));
}

Sandbox::~Sandbox() {
  m_platform.reset();
  for (auto& [name, saved] : m_saved) {
    if (saved.first)
      wxSetEnv(wxString::FromUTF8(name), wxString::FromUTF8(saved.second));
    else
      wxUnsetEnv(wxString::FromUTF8(name));
  }
  std::error_code ignored;
  std::filesystem::permissions(m_root, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
  RemoveTree(m_root);
}

void Sandbox::SetEnv(const std::string& name, const std::string& value) {
  if (!m_saved.count(name)) {
    std::string old;
    const bool had = GetEnv(name, old);
    m_saved[name] = {had, old};
  }
  wxSetEnv(wxString::FromUTF8(name), wxString::FromUTF8(value));
}

void Sandbox::UnsetEnv(const std::string& name) {
  if (!m_saved.count(name)) {
    std::string old;
    const bool had = GetEnv(name, old);
    m_saved[name] = {had, old};
  }
  wxUnsetEnv(wxString::FromUTF8(name));
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
