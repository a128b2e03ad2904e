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

// The error-log entry of a log that was not written because something unsafe
// (a link, a file that is not a regular file of the user's) was in its place;
// its code is the system's error code.
constexpr char kLogRefusedMessage[] = "An Error occured while writing the deleted files log.";

// Writes the entries of one run; the file is kept open between entries and
// created (with its header, mode 0600) by the first one. It is never written
// through a link, nor into anything but a regular file of the user's: then
// the whole log is skipped and Refused() tells why.
class DeletedFilesLog {
 public:
  DeletedFilesLog(const std::string& path, bool& needsHeader) : m_path(path), m_needsHeader(needsHeader) {}
  ~DeletedFilesLog();
  DeletedFilesLog(const DeletedFilesLog&) = delete;
  DeletedFilesLog& operator=(const DeletedFilesLog&) = delete;

  // An entry that cannot be written is lost; the next one tries again.
  void Write(const std::string& entry);
  void Close();
  // The system's error code when the log was skipped as unsafe, else 0.
  int Refused() const { return m_refused; }

 private:
  std::string m_path;
  bool& m_needsHeader;
  std::FILE* m_file = nullptr;
  int m_refused = 0;
};

}  // namespace cleanup
