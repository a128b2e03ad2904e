#include "cleanup/deleted_files_log.h"

#include <charconv>

#include "app/error_log.h"
#include "os/folders.h"
#include "os/safe_fs.h"

namespace cleanup {

namespace {

// "%.03f" without the locale's decimal comma.
std::string Fixed3(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
  return std::string(buffer, result.ptr);
}

constexpr double kMegabyte = 1048576.0;

}  // namespace

std::string DeletedFilesLogPath(std::int64_t seconds) {
  const std::string name = "DKWT_" + std::to_string(seconds) + "_.log";
  std::string desktop;
  if (!os::folders::GetSpecialFolder(os::folders::Special::Desktop, desktop) || desktop.empty())
    return name;
  return desktop + os::folders::PathSeparator() + name;
}

std::string FormatLogHeader(const std::string& time) {
  return "Duskwatch v. 2.1 log file created on " + time + " :\n\n";
}

std::string FormatFileLine(const std::string& time, const std::string& path, double bytes) {
  return time + "   FILE:   " + path + " *********************************** Size: " + Fixed3(bytes / kMegabyte) +
         " MB\n";
}

std::string FormatFolderLine(const std::string& time, const std::string& path) {
  return time + "   FOLDER: " + path + "\n";
}

std::string FormatTotal(double bytes, std::size_t files, std::size_t folders) {
  double amount = bytes / kMegabyte;
  const char* unit = "MB";
  if (amount >= 1024) {
    amount /= 1024;
    unit = "GB";
  }
  return "\n\n\n********* Total Space freed: " + Fixed3(amount) + " " + unit + ". Files: " + std::to_string(files) +
         " and Folders: " + std::to_string(folders) + " .\n";
}

DeletedFilesLog::~DeletedFilesLog() { Close(); }

void DeletedFilesLog::Write(const std::string& entry) {
  if (m_path.empty() || m_refused)
    return;
  if (!m_file) {
    int error = 0;
    bool refused = false;
    m_file = os::safe_fs::OpenOwnFileForAppend(m_path, m_needsHeader, error, refused);
    if (refused)
      m_refused = error;
    if (!m_file)
      return;
    if (m_needsHeader) {
      const std::string header = FormatLogHeader(ErrorLog::CtimeText().ToStdString(wxConvUTF8));
      std::fwrite(header.data(), 1, header.size(), m_file);
      m_needsHeader = false;
    }
  }
  if (std::fwrite(entry.data(), 1, entry.size(), m_file) != entry.size()) {
    Close();
  }
}

void DeletedFilesLog::Close() {
  if (m_file)
    std::fclose(m_file);
  m_file = nullptr;
}

}  // namespace cleanup
