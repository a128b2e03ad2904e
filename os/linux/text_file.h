#pragma once
// Shared by the Linux text stores (profiles, the registry file): careful
// whole-file reads, atomic replacement, and a line model that keeps every
// line and its own line end so an edit changes only what it must.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace os::text_file {

// Bigger files are refused rather than read: our stores are a few kilobytes,
// and a runaway file must not exhaust memory.
constexpr std::size_t kMaxSize = 16u * 1024u * 1024u;

enum class ReadStatus { Ok, Missing, Failed };

// Missing only when the path does not exist. A directory, a device, a FIFO,
// an unreadable or an oversized file is Failed.
ReadStatus Read(const std::string& path, std::string& content, std::size_t limit = kMaxSize);

// Writes a temporary file in the same folder, syncs it and renames it over
// the path (through a symbolic link to its target), so readers see either
// the old or the new file. A new file gets the usual umask-based mode, an
// existing one keeps its mode. No temporary file is left behind on failure.
bool Replace(const std::string& path, const std::string& content);

// Renames a finished file over the path and syncs the folder, so the new
// file is there after a crash too.
bool RenameOver(const std::string& from, const std::string& to);

// Writes every byte, retrying interrupted writes.
bool WriteAll(int fd, const std::string& content);

struct Line {
  std::string text;  // without the line end
  std::string eol;   // "\n", "\r\n", or "" for a last line without one
};

struct Lines {
  std::string bom;  // a UTF-8 byte-order mark found at the start, kept on write
  std::vector<Line> lines;

  std::string Join() const;
  // The line end new lines get: the file's first one, LF for a new file.
  std::string LineEnd() const;
  // Inserts before index (lines.size() appends), terminating the line before
  // it when that was a last line without a line end.
  void Insert(std::size_t index, std::string text);
};

Lines Split(const std::string& content);

// ASCII case folding: names are compared as Windows compares the ASCII
// range; other bytes must match exactly.
bool EqualsNoCase(std::string_view a, std::string_view b);
// Drops every name equal (as above) to an earlier one; the rest keep their
// order. Linear, as the lists come from files of any size.
void KeepFirstNoCase(std::vector<std::string>& names);
std::string_view TrimBlanks(std::string_view text);
bool IsBlank(char c);

}  // namespace os::text_file
