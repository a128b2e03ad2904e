#pragma once
// The main window: owns the current task and everything around it.
#include <optional>

#include <wx/frame.h>

#include "app/cleanup_selection.h"
#include "app/error_log.h"
#include "app/extras_pages.h"
#include "app/main_window.h"
#include "app/task.h"
#include "app/task_file.h"
#include "app/task_host.h"

class CDFrame : public wxFrame, public MainWindow, public TaskHost {
 public:
  static constexpr long kStyle = wxCAPTION | wxRAISED_BORDER | wxCLIP_CHILDREN | wxWANTS_CHARS | wxCLOSE_BOX |
                                 wxSYSTEM_MENU | wxMINIMIZE_BOX;

  CDFrame(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& position, const wxSize& size,
          long style = kStyle, const wxString& name = "nCDFrame");
  ~CDFrame() override;

  // MainWindow
  wxFrame* Frame() override { return this; }
  Task& CurrentTask() override { return m_task; }
  CleanupSelection& Selection() override { return m_cleanupSelection; }
  TaskFileState& FileState() override { return m_fileState; }
  void SetFromTaskFile(bool fromTaskFile) override { m_fromTaskFile = fromTaskFile; }
  void SetIe7OrLater(bool installed) override { m_ie7OrLater = installed; }
  void DiscoverBrowsers() override {}
  void BuildControls() override {}
  void StartLoadedTask() override {}
  void StartInteractive() override {}

  // TaskHost
  void LogError(int code, const wxString& message, bool showBox) override;
  bool IsTaskFileRun() const override { return m_fromTaskFile; }
  bool FileAlarmExtra() const override { return m_fileState.m_fileAlarmExtra; }
  bool AlarmPageOn() const override { return Extras().AlarmPageOn(); }
  bool IgnoreBrowserVersion() const override { return m_ignoreBrowserVersion; }
  void CloseMainWindow() override { Close(); }

  // Writes the current task into the tasks folder (see SaveTaskFile).
  wxString SaveTaskFile(const wxString& name);
  const ExtrasPages& Extras() const { return m_extras ? *m_extras : m_noExtras; }

  Task m_task;
  CleanupSelection m_cleanupSelection;
  TaskFileState m_fileState;
  ErrorLog m_errorLog;
  bool m_fromTaskFile = false;
  bool m_ie7OrLater = false;
  bool m_ignoreBrowserVersion = false;
  // Saved tasks counted by the saved-tasks view; none until it counted.
  std::optional<int> m_savedTaskCount;

 private:
  const ExtrasPages* m_extras = nullptr;
  ExtrasPages m_noExtras;
};
