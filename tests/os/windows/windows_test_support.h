#pragma once
// Small helpers of the Windows platform tests: a temporary folder, a
// scoped environment variable, and the dry-run file's lines.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace wintest {

inline std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

class TempFolder {
 public:
  TempFolder() {
    static int counter = 0;
    m_path = std::filesystem::temp_directory_path() /
             ("dkwt-os-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(m_path);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  const std::filesystem::path& Path() const { return m_path; }
  std::string File(const std::string& name) const { return Utf8(m_path / std::filesystem::u8path(name)); }

 private:
  std::filesystem::path m_path;
};

class ScopedEnv {
 public:
  ScopedEnv(const wchar_t* name, const std::wstring& value) : m_name(name) {
    wchar_t buffer[32768];
    const DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
    m_had = length > 0 && length < 32768;
    if (m_had)
      m_old.assign(buffer, length);
    SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedEnv() { SetEnvironmentVariableW(m_name.c_str(), m_had ? m_old.c_str() : nullptr); }

 private:
  std::wstring m_name, m_old;
  bool m_had = false;
};

// DKWT_DRY_RUN pointed at a file of a temporary folder.
class DryRun {
 public:
  DryRun() : m_file(m_folder.Path() / "dry-run.txt"), m_env(L"DKWT_DRY_RUN", m_file.wstring()) {}
  std::vector<std::string> Lines() const {
    std::ifstream in(m_file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
      lines.push_back(line);
    return lines;
  }
  const TempFolder& Folder() const { return m_folder; }

 private:
  TempFolder m_folder;
  std::filesystem::path m_file;
  ScopedEnv m_env;
};

}  // namespace wintest
