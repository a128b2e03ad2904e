#include "app/error_log.h"

#include <wx/datetime.h>
#include <wx/msgdlg.h>

#include "app/clock.h"
#include "app/message_box.h"
#include "os/files.h"
#include "os/folders.h"

const char* const kSupportAddress = "support@duskwatch.example";

namespace {

wxString LogFileName() { return wxString::Format("DKWT_Error_%lld_.log", static_cast<long long>(EpochSeconds())); }

bool Write(const wxString& path, const wxString& text, bool truncate) {
  int error = 0;
  return os::files::WriteLocked(path.utf8_string(), text.utf8_string(), truncate, error);
}

}  // namespace

wxString ErrorLog::FormatEntry(int code, const wxString& message) {
  // The message is written as it stands: a "%" in a path is text, not a format.
  return message + " Error Code\t:\t" + wxString::Format("%d", code) + "\n";
}

void ErrorLog::LogError(int code, const wxString& message, bool showBox) {
  if (m_disableErrorLogging)
    return;
  wxString path = m_errorLogPath;
  if (m_errorLogFirst) {
    std::string desktop;
    path = LogFileName();
    if (os::folders::GetSpecialFolder(os::folders::Special::Desktop, desktop) && !desktop.empty())
      path = wxString::FromUTF8(desktop) + wxString(os::folders::PathSeparator()) + path;
  }
  if (!Write(path, FormatEntry(code, message), m_errorLogFirst))
    return;
  m_errorLogPath = path;
  m_errorLogFirst = false;
  m_errorLogged = true;
  if (showBox)
    ShowMessage("Unexpected Error occured. Please check \"DKWT_Error_.log\" file ! ", "Message",
                wxOK | wxICON_INFORMATION);
}

wxString ErrorLog::CtimeText() {
  static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  wxDateTime now(static_cast<time_t>(std::chrono::system_clock::to_time_t(CurrentClock().Now())));
  // English names whatever the locale, as the C runtime writes them.
  return wxString::Format("%s %s %02d %02d:%02d:%02d %d", days[now.GetWeekDay() % 7], months[now.GetMonth() % 12],
                          now.GetDay(), now.GetHour(), now.GetMinute(), now.GetSecond(), now.GetYear());
}

wxString ErrorLog::FormatFooter(const wxString& systemText, std::optional<int> savedTaskCount,
                                std::uint64_t uptimeSeconds, const wxString& now) {
  wxString saved = savedTaskCount ? wxString::Format("Total saved tasks:\t%d", *savedTaskCount) : wxString();
  wxString footer;
  footer << "\n\nEnd of log on " << systemText << ".\n"
         << saved << "\nProgram version:\t2.1\nLog created on :\t" << now << "\n"
         << wxString::Format("System Uptime:\t\t(%llu)Days, (%llu)Hours, (%llu)Min",
                             static_cast<unsigned long long>(uptimeSeconds / 86400),
                             static_cast<unsigned long long>((uptimeSeconds / 3600) % 24),
                             static_cast<unsigned long long>((uptimeSeconds / 60) % 60))
         << "\n\n\nPlease send this file to " << kSupportAddress;
  return footer;
}

void ErrorLog::WriteFooter(const wxString& systemText, std::optional<int> savedTaskCount,
                           std::uint64_t uptimeSeconds) {
  if (!m_errorLogged || !os::folders::FileExists(m_errorLogPath.utf8_string()))
    return;
  Write(m_errorLogPath, FormatFooter(systemText, savedTaskCount, uptimeSeconds, CtimeText()), false);
}
