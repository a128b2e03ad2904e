#pragma once
// The error log on the user's desktop: one line per failure, a footer with
// system information at program end.
#include <cstdint>
#include <optional>

#include <wx/string.h>

class ErrorLog {
 public:
  void LogError(int code, const wxString& message, bool showBox);
  // Appends the footer when this run logged anything.
  void WriteFooter(const wxString& systemText, std::optional<int> savedTaskCount, std::uint64_t uptimeSeconds);

  // Formatting, exposed for the footer and tests.
  static wxString FormatEntry(int code, const wxString& message);
  static wxString FormatFooter(const wxString& systemText, std::optional<int> savedTaskCount,
                               std::uint64_t uptimeSeconds, const wxString& now);
  // Local time in the C runtime's ctime form, without line end.
  static wxString CtimeText();

  wxString m_errorLogPath;
  bool m_errorLogFirst = true;
  bool m_errorLogged = false;
  bool m_disableErrorLogging = false;
};

// Where users send the log.
extern const char* const kSupportAddress;
