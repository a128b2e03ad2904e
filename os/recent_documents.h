#pragma once
// The desktop's list of recently used documents (an XBEL file).
#include <string>

namespace os::recent_documents {

// Replaces the store at `path` in one step by an empty, valid list; a store
// that does not exist stays absent. False when it cannot be replaced.
bool ResetStore(const std::string& path);

// The empty list as written.
const char* EmptyStore();

// Clears the list that the shell keeps itself, where it keeps one (false
// where there is none).
bool ClearShellList();
bool HasShellList();

// Tells the shell that the lists of recently used programs changed, so that
// its start menu does not show them from memory.
void NotifyProgramListsChanged();

}  // namespace os::recent_documents
