#pragma once
// Initialisation files ("private profiles"): [section] key=value text files.
// Sections and keys compare case-insensitively; a write replaces the key in
// place and keeps every other line; files are rewritten atomically.
#include <string>
#include <utility>
#include <vector>

namespace os::profile {

// Returns the key's value (surrounding blanks trimmed, one pair of enclosing
// quotes removed), or defaultValue when the file, section or key is missing.
// The result is cut to bufferSize - 1 characters, like a fixed caller buffer.
std::string GetString(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& defaultValue, std::size_t bufferSize = 1024);

// Creates the file (and section) when needed. False when the file cannot be
// read or written; an unreadable existing file is never overwritten.
bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value);

// Writes several keys of one section in one replacement of the file: a
// reader (or a crash) sees all of them or none.
bool WriteStrings(const std::string& file, const std::string& section,
                  const std::vector<std::pair<std::string, std::string>>& entries);

// Removes one key or a whole section; true also when there was nothing to remove.
bool DeleteKey(const std::string& file, const std::string& section, const std::string& key);
bool DeleteSection(const std::string& file, const std::string& section);

// Section names, and the key names of one section, in file order.
std::vector<std::string> SectionNames(const std::string& file);
std::vector<std::string> KeyNames(const std::string& file, const std::string& section);

}  // namespace os::profile
