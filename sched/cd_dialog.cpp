#include "sched/cd_dialog.h"

#include <algorithm>

#include <wx/filefn.h>
#include <wx/image.h>
#include <wx/statbmp.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/toolbar.h>

#include "app/message_box.h"
#include "app/task_host.h"
#include "os/folders.h"
#include "os/shell.h"
#include "res/art/art.h"

namespace {

struct ColumnLayout {
  const char* title;
  int width;
};
constexpr ColumnLayout kColumns[SavedTasksModel::kColumns] = {
    {"TYPE", 110}, {"REPEAT EVERY", 125}, {"ON", 200}, {"AT", 80}, {"FROM", 100}, {"PATH", 420},
};

struct ToolEntry {
  int id;
  const char* label;
  const char* help;
  SavedTasksDialogTool picture;
};
constexpr ToolEntry kTools[] = {
    {CDDialog::kToggleTool, "Activate/Deactivate", "Activate or deactivate selected tasks",
     SavedTasksDialogTool::Toggle},
    {CDDialog::kDeleteTool, "Delete", "Delete selected tasks", SavedTasksDialogTool::Delete},
    {CDDialog::kOpenFolderTool, "Open Tasks Folder", "Open DKWT tasks folder", SavedTasksDialogTool::OpenFolder},
};

constexpr long kDialogStyle = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxRESIZE_BORDER;

// A square of the colour with a thin grey edge.
wxBitmap Swatch(const wxColour& colour) {
  constexpr int kSize = 16;
  wxImage image(kSize, kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const bool edge = x == 0 || y == 0 || x == kSize - 1 || y == kSize - 1;
      image.SetRGB(x, y, edge ? 128 : colour.Red(), edge ? 128 : colour.Green(), edge ? 128 : colour.Blue());
    }
  return wxBitmap(image);
}

void Tell(const wxString& text, wxWindow* parent) { ShowMessage(text, "Message", wxOK | wxCENTRE, parent); }

}  // namespace

const wxColour SavedTasksModel::kActiveColour(200, 30, 0);
const wxColour SavedTasksModel::kInactiveColour(10, 10, 0);

void SavedTasksModel::SetRows(std::vector<SavedTask> rows) {
  m_rows = std::move(rows);
  Reset(GetCount());
}

void SavedTasksModel::UpdateRow(unsigned row, const SavedTask& task) {
  m_rows[row] = task;
  RowChanged(row);
}

void SavedTasksModel::DeleteRow(unsigned row) {
  m_rows.erase(m_rows.begin() + row);
  RowDeleted(row);
}

void SavedTasksModel::GetValueByRow(wxVariant& value, unsigned row, unsigned column) const {
  value = row < m_rows.size() && column < kColumns ? m_rows[row].cells[column] : wxString();
}

bool SavedTasksModel::GetAttrByRow(unsigned row, unsigned, wxDataViewItemAttr& attr) const {
  if (row >= m_rows.size())
    return false;
  attr.SetColour(m_rows[row].active ? kActiveColour : kInactiveColour);
  return true;
}

// clang-format off
wxBEGIN_EVENT_TABLE(CDDialog, wxDialog)
  EVT_MENU(CDDialog::kToggleTool, CDDialog::OnToggle)
  EVT_MENU(CDDialog::kDeleteTool, CDDialog::OnDelete)
  EVT_MENU(CDDialog::kOpenFolderTool, CDDialog::OnOpenFolder)
wxEND_EVENT_TABLE()
// clang-format on

CDDialog::CDDialog(wxWindow* parent, const wxString& tasksFolder, TaskHost& host)
    : wxDialog(parent, wxID_ANY, "Saved scheduled tasks", wxDefaultPosition, wxSize(1040, 360), kDialogStyle,
               "nCDDialog"),
      m_tasksFolder(tasksFolder),
      m_host(host),
      m_model(new SavedTasksModel) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  CreateToolBar();
  sizer->Add(m_toolBar, 0, wxEXPAND);
  // A native list: screen readers read its rows and cells, unlike a grid.
  m_grid = new wxDataViewCtrl(this, kGridId, wxDefaultPosition, wxDefaultSize,
                              wxDV_MULTIPLE | wxDV_ROW_LINES | wxDV_VERT_RULES, wxDefaultValidator, "grid");
  m_grid->AssociateModel(m_model.get());
  for (unsigned column = 0; column < SavedTasksModel::kColumns; ++column)
    m_grid->AppendTextColumn(kColumns[column].title, column, wxDATAVIEW_CELL_INERT, kColumns[column].width,
                             wxALIGN_LEFT, wxDATAVIEW_COL_RESIZABLE);
  m_grid->SetToolTip("Saved scheduled tasks: red rows are active, dark rows inactive");
  sizer->Add(m_grid, 1, wxEXPAND | wxALL, 4);
  SetSizer(sizer);
  SetMinSize(wxSize(640, 240));
}

void CDDialog::CreateToolBar() {
  m_toolBar = new wxToolBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                            wxTB_FLAT | wxTB_HORIZONTAL | wxTB_HORZ_TEXT, "toolbar");
  for (const ToolEntry& tool : kTools) {
    if (tool.id != kTools[0].id)
      m_toolBar->AddSeparator();
    m_toolBar->AddTool(tool.id, tool.label, SavedTasksDialogToolBitmap(tool.picture), tool.help);
  }
  // The legend of the row colours.
  struct LegendItem {
    wxColour colour;
    const char* text;
  };
  const LegendItem legend[] = {{SavedTasksModel::kInactiveColour, "  =  inactive"},
                               {SavedTasksModel::kActiveColour, "  =  active"}};
  for (const LegendItem& item : legend) {
    m_toolBar->AddControl(
        new wxStaticLine(m_toolBar, wxID_ANY, wxDefaultPosition, wxSize(2, 22), wxLI_VERTICAL));
    m_toolBar->AddControl(new wxStaticBitmap(m_toolBar, wxID_ANY, Swatch(item.colour)));
    m_toolBar->AddControl(new wxStaticText(m_toolBar, wxID_ANY, item.text));
  }
  m_toolBar->Realize();
}

bool CDDialog::BuildList() {
  SavedTaskList list;
  int errorCode = 0;
  const bool listed = BuildSavedTaskList(m_tasksFolder, list, errorCode);
  if (!listed) {
    // The refresh runs every 1.5 s: one entry per failure, not one per try.
    if (!m_enumerationFailing)
      m_host.LogError(errorCode, "Active tasks enumeration failed", false);
  }
  m_enumerationFailing = !listed;
  m_activeCount = list.active;
  m_inactiveCount = list.inactive;
  m_model->SetRows(std::move(list.tasks));
  return listed;
}

std::vector<unsigned> CDDialog::SelectedRows() const {
  wxDataViewItemArray items;
  m_grid->GetSelections(items);
  std::vector<unsigned> rows;
  for (const wxDataViewItem& item : items)
    if (item.IsOk())
      rows.push_back(m_model->GetRow(item));
  std::sort(rows.begin(), rows.end());
  return rows;
}

void CDDialog::OnToggle(wxCommandEvent&) {
  const std::vector<unsigned> rows = SelectedRows();
  if (rows.empty()) {
    Tell("Please select a task first!", this);
    return;
  }
  for (unsigned row : rows) {
    const wxString oldPath = m_model->Rows()[row].path;
    const wxString newPath = ToggledTaskPath(oldPath);
    // Never over another file of the twin's name: that would lose a task.
    if (wxFileExists(newPath) || !wxRenameFile(oldPath, newPath, false)) {
      Tell(wxString::Format("Couldn't rename task file :\n\n%s\n\nCheck if file opened by other process!", oldPath),
           this);
      continue;
    }
    SavedTask task = m_model->Rows()[row];
    task.path = newPath;
    task.cells[5] = newPath;
    task.active = !task.active;
    m_model->UpdateRow(row, task);
    ++(task.active ? m_activeCount : m_inactiveCount);
    --(task.active ? m_inactiveCount : m_activeCount);
  }
}

void CDDialog::OnDelete(wxCommandEvent&) {
  const std::vector<unsigned> rows = SelectedRows();
  if (rows.empty()) {
    Tell("Please select a task first!", this);
    return;
  }
  // From the last row to the first, so the earlier rows keep their numbers.
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    const SavedTask task = m_model->Rows()[*row];
    if (!wxRemoveFile(task.path)) {
      Tell(wxString::Format("Couldn't remove task file :\n\n%s\n\nCheck if file opened by other process!", task.path),
           this);
      continue;
    }
    --(task.active ? m_activeCount : m_inactiveCount);
    m_model->DeleteRow(*row);
  }
}

void CDDialog::OnOpenFolder(wxCommandEvent&) {
  if (!os::folders::FolderExists(m_tasksFolder.utf8_string())) {
    Tell(wxString::Format("Tasks folder :\n\n%s\n\nnot found!", m_tasksFolder), this);
    return;
  }
  int errorCode = 0;
  if (!os::shell::OpenFolder(m_tasksFolder.utf8_string(), errorCode))
    m_host.LogError(errorCode, "Couldn't open the tasks folder", false);
}
