// Reading a Chromium "Local State" is the same on every platform.
#include <algorithm>

#include <nlohmann/json.hpp>

#include "os/browsers.h"

namespace os::browsers {

std::vector<std::string> ProfileNamesOfLocalState(const std::string& text) {
  std::vector<std::string> names;
  nlohmann::json state = nlohmann::json::parse(text, nullptr, false);
  if (state.is_discarded() || !state.is_object())
    return names;
  auto profile = state.find("profile");
  if (profile == state.end() || !profile->is_object())
    return names;
  auto cache = profile->find("info_cache");
  if (cache == profile->end() || !cache->is_object())
    return names;
  for (auto entry = cache->begin(); entry != cache->end(); ++entry) {
    const std::string& name = entry.key();
    // A profile is a plain folder name inside the user-data folder, on
    // either kind of path.
    if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\:") != std::string::npos)
      continue;
    names.push_back(name);
  }
  auto def = std::find(names.begin(), names.end(), "Default");
  if (def != names.end())
    std::rotate(names.begin(), def, def + 1);
  return names;
}

}  // namespace os::browsers
