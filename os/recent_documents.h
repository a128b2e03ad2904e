#pragma once
// The desktop's list of recently used documents (an XBEL file).
#include <string>

namespace os::recent_documents {

// Replaces the store at `path` in one step by an empty, valid list; a store
// that does not exist stays absent. False when it cannot be replaced.
bool ResetStore(const std::string& path);

// The empty list as written.
const char* EmptyStore();

}  // namespace os::recent_documents
