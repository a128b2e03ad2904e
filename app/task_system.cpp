// What the system is, decided once at start-up.
#include "app/message_box.h"
#include "app/task.h"
#include "app/task_host.h"
#include "os/sysinfo.h"

#include <wx/msgdlg.h>

void Task::CheckSystem() {
  m_win9xFamily = m_ntFamily = m_otherFamily = m_unsupported = false;
  switch (os::sysinfo::OsFamily()) {
    case os::sysinfo::Family::Windows9x:
      m_osCode = kOsWin9x;
      m_win9xFamily = true;
      break;
    case os::sysinfo::Family::WindowsNT:
      m_osCode = kOsNt;
      m_ntFamily = true;
      m_vistaOrLater = os::sysinfo::ModernPowerApi();
      m_win7OrLater = os::sysinfo::ModernShell();
      break;
    case os::sysinfo::Family::Linux:
      m_osCode = kOsLinux;
      m_otherFamily = true;
      // The Linux backend carries out the modern behaviour of every step.
      m_vistaOrLater = os::sysinfo::ModernPowerApi();
      m_win7OrLater = os::sysinfo::ModernShell();
      break;
    case os::sysinfo::Family::Other:
      m_osCode = kOsUnsupported;
      m_unsupported = true;
      ShowMessage("Unsupported system detected", "Message", wxOK | wxICON_INFORMATION);
      break;
  }
}

int Task::InternetExplorerVersion() {
  std::string text;
  if (!os::sysinfo::InternetExplorerVersionText(text)) {
    m_ieVersion = 0;
    // Not installed is only worth a warning where it normally exists.
    return m_ntFamily ? 0 : -1;
  }
  int version = 4;
  const char first = text.empty() ? '\0' : text[0];
  if (m_win9xFamily) {
    version = (first >= '5' && first <= '8') ? first - '0' : 4;
  } else if (first == '9') {
    version = 9;
  } else if (first >= '5' && first <= '8') {
    version = first - '0';
  } else if (first == '1') {
    version = (m_host && m_host->IgnoreBrowserVersion()) ? 10 : 0;
  }
  m_ieVersion = version;
  return version;
}

wxString Task::DescribeSystem() { return wxString::FromUTF8(os::sysinfo::Description()); }
