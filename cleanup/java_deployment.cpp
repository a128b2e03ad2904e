#include "cleanup/java_deployment.h"

#include <filesystem>
#include <fstream>

namespace cleanup {

std::string JavaCacheDirectory(const std::string& properties) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(properties, error))
    return {};
  std::ifstream in(properties);
  std::string line;
  const std::string key = "deployment.user.cachedir=";
  std::string found;
  while (std::getline(in, line)) {
    const std::size_t at = line.find_first_not_of(" \t\f");
    if (at == std::string::npos || line.compare(at, key.size(), key) != 0)
      continue;
    std::string value = line.substr(at + key.size());
    if (!value.empty() && value.back() == '\r')
      value.pop_back();
    std::string plain;
    for (std::size_t i = 0; i < value.size(); ++i) {
      if (value[i] == '\\' && i + 1 < value.size() && (value[i + 1] == '\\' || value[i + 1] == ':')) {
        plain += value[++i];
        continue;
      }
      plain += value[i];
    }
    found = plain;
  }
  return found;
}

}  // namespace cleanup
