#pragma once
// Small file operations the program needs beyond the standard library.
#include <string>

namespace os::files {

// Writes text to the file while holding an exclusive lock that keeps other
// writers of this program out; truncate starts the file anew, otherwise the
// text is appended. False with the system's error code when it cannot.
bool WriteLocked(const std::string& path, const std::string& text, bool truncate, int& errorCode);

// Replaces the file's content in one step (temporary file, flush, rename),
// so readers see the old or the new content, never half of it.
bool WriteAtomically(const std::string& path, const std::string& content, int& errorCode);

// Puts a finished file in place of another in one step (rename, then the
// folder synced): readers see the old file or the new one.
bool ReplaceWithFile(const std::string& finished, const std::string& path, int& errorCode);

}  // namespace os::files
