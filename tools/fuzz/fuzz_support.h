#pragma once
// What the fuzz targets share: a private scratch folder per process, whole
// files written from the input, and inputs that stand for several files.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// A fresh folder, made once per process and removed when it ends. In memory
// where possible: the writers sync every file, which is slow on a disk.
inline const std::string& Scratch() {
  static const std::string folder = [] {
    std::error_code error;
    std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                     ? std::filesystem::path("/dev/shm")
                                     : std::filesystem::temp_directory_path();
    std::string pattern = (base / "dkwt-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
      std::abort();
    return pattern;
  }();
  static const struct Remover {
    ~Remover() {
      std::error_code ignored;
      std::filesystem::remove_all(folder, ignored);
    }
  } remover;
  return folder;
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One input, several files: the parts between lines "#--next-file--".
inline std::vector<std::string_view> Parts(const std::uint8_t* data, std::size_t size, std::size_t count) {
  static constexpr std::string_view kSeparator = "\n#--next-file--\n";
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  while (parts.size() + 1 < count) {
    std::size_t at = rest.find(kSeparator);
    if (at == std::string_view::npos)
      break;
    parts.push_back(rest.substr(0, at + 1));
    rest.remove_prefix(at + kSeparator.size());
  }
  parts.push_back(rest);
  parts.resize(count);
  return parts;
}

// A property the target checks failed: stop as a crash would, so the run
// keeps the input.
#define FUZZ_CHECK(condition)                                                     \
  do {                                                                            \
    if (!(condition)) {                                                           \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                               \
    }                                                                             \
  } while (0)

}  // namespace fuzz
