#pragma once
// Java's per-user deployment.properties: where its cache lives.
#include <string>

namespace cleanup {

// The cache folder the file names (deployment.user.cachedir=..., the last
// one wins, escapes of '\' and ':' undone), or empty. Commented-out lines
// ('#' or '!') do not count.
std::string JavaCacheDirectory(const std::string& properties);

}  // namespace cleanup
