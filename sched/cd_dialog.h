#pragma once
// "Saved scheduled tasks": lists the saved repeated tasks with their
// schedule and switches them on and off, deletes them and opens their folder.
#include <vector>

#include <wx/dataview.h>
#include <wx/dialog.h>

#include "sched/saved_tasks.h"

class TaskHost;
class wxToolBar;

// The rows of the list, coloured by their active state.
class SavedTasksModel : public wxDataViewIndexListModel {
 public:
  static constexpr unsigned kColumns = 6;
  static const wxColour kActiveColour;
  static const wxColour kInactiveColour;

  void SetRows(std::vector<SavedTask> rows);
  const std::vector<SavedTask>& Rows() const { return m_rows; }
  void UpdateRow(unsigned row, const SavedTask& task);
  void DeleteRow(unsigned row);

  unsigned GetColumnCount() const override { return kColumns; }
  wxString GetColumnType(unsigned) const override { return "string"; }
  unsigned GetCount() const override { return static_cast<unsigned>(m_rows.size()); }
  void GetValueByRow(wxVariant& value, unsigned row, unsigned column) const override;
  bool SetValueByRow(const wxVariant&, unsigned, unsigned) override { return false; }
  bool GetAttrByRow(unsigned row, unsigned column, wxDataViewItemAttr& attr) const override;

 private:
  std::vector<SavedTask> m_rows;
};

class CDDialog : public wxDialog {
 public:
  static constexpr int kGridId = 9113;
  static constexpr int kToggleTool = 9114;
  static constexpr int kDeleteTool = 9115;
  static constexpr int kOpenFolderTool = 9116;

  CDDialog(wxWindow* parent, const wxString& tasksFolder, TaskHost& host);

  // Enumerates the scheduler's entries, removes stale ones and fills the
  // list. A failure to enumerate is logged (once while it lasts); what
  // could be read is still listed.
  bool BuildList();
  int ActiveCount() const { return m_activeCount; }
  int InactiveCount() const { return m_inactiveCount; }
  int TaskCount() const { return m_activeCount + m_inactiveCount; }
  const std::vector<SavedTask>& Rows() const { return m_model->Rows(); }

  void OnToggle(wxCommandEvent& event);
  void OnDelete(wxCommandEvent& event);
  void OnOpenFolder(wxCommandEvent& event);

  wxToolBar* m_toolBar = nullptr;
  wxDataViewCtrl* m_grid = nullptr;

 private:
  void CreateToolBar();
  // Selected rows, in ascending order.
  std::vector<unsigned> SelectedRows() const;

  wxString m_tasksFolder;
  TaskHost& m_host;
  wxObjectDataPtr<SavedTasksModel> m_model;
  int m_activeCount = 0;
  int m_inactiveCount = 0;
  bool m_enumerationFailing = false;

  wxDECLARE_EVENT_TABLE();
};
