#pragma once
// The deleted-files log: "DKWT_<seconds>_.log" on the desktop, one line per
// collected file and folder and a total. Numbers are written the same way
// whatever the user's locale.
#include <cstdint>
#include <cstdio>
#include <string>

namespace cleanup {

// Desktop + "/" + "DKWT_<seconds>_.log"; the bare name (current folder) when
// the desktop cannot be found.
std::string DeletedFilesLogPath(std::int64_t seconds);

std::string FormatLogHeader(const std::string& time);
std::string FormatFileLine(const std::string& time, const std::string& path, double bytes);
std::string FormatFolderLine(const std::string& time, const std::string& path);
std::string FormatTotal(double bytes, std::size_t files, std::size_t folders);

// Writes the entries of one run; the file is kept open between entries and
// created (with its header) by the first one.
class DeletedFilesLog {
 public:
  DeletedFilesLog(const std::string& path, bool& needsHeader) : m_path(path), m_needsHeader(needsHeader) {}
  ~DeletedFilesLog();
  DeletedFilesLog(const DeletedFilesLog&) = delete;
  DeletedFilesLog& operator=(const DeletedFilesLog&) = delete;

  // An entry that cannot be written is lost; the next one tries again.
  void Write(const std::string& entry);
  void Close();

 private:
  std::string m_path;
  bool& m_needsHeader;
  std::FILE* m_file = nullptr;
};

}  // namespace cleanup
