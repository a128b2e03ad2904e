#pragma once
// A cache tree like a browser's: 16 x 16 folders named by hex digits, files
// of about 1 KB spread over them.
#include <cstdio>
#include <filesystem>
#include <string>

inline void MakeCacheTree(const std::filesystem::path& root, int files) {
  static const char kHex[] = "0123456789abcdef";
  const std::string content(1024, 'c');
  for (int i = 0; i < files; ++i) {
    const int bucket = i % 256;
    const auto folder = root / std::string{kHex[bucket / 16], kHex[bucket % 16]} /
                        std::string{kHex[(bucket * 7) % 16], kHex[(bucket * 3) % 16]};
    if (i < 256)
      std::filesystem::create_directories(folder);
    char name[32];
    std::snprintf(name, sizeof name, "f_%06x", i);
    if (std::FILE* out = std::fopen((folder / name).c_str(), "wb")) {
      std::fwrite(content.data(), 1, content.size(), out);
      std::fclose(out);
    }
  }
}
