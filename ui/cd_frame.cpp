#include "ui/cd_frame.h"

#include <wx/app.h>

#include "os/folders.h"
#include "os/sysinfo.h"

CDFrame::CDFrame(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& position, const wxSize& size,
                 long style, const wxString& name)
    : wxFrame(parent, id, title, position, size, style, name), m_task(this) {}

CDFrame::~CDFrame() {
  m_errorLog.WriteFooter(m_task.DescribeSystem(), m_savedTaskCount, os::sysinfo::UptimeSeconds());
}

void CDFrame::LogError(int code, const wxString& message, bool showBox) {
  m_errorLog.LogError(code, message, showBox);
}

wxString CDFrame::SaveTaskFile(const wxString& name) {
  const wxString folder = wxString::FromUTF8(os::folders::TasksFolder(wxTheApp->GetAppName().utf8_string()));
  return ::SaveTaskFile(name, folder, m_task, m_cleanupSelection, Extras());
}
