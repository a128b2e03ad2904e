#include "extras/cleanup_preview.h"

#include <map>
#include <mutex>
#include <vector>

#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/treelist.h>
#include <wx/utils.h>
#include <wx/wupdlock.h>

#include "app/cleanup_items.h"
#include "app/task_host.h"
#include "extras/cd_aui_child_frame.h"
#include "extras/cleanup_items.h"

namespace {

constexpr int kSizeColumnWidth = 110;
constexpr int kWidth = 900;
constexpr int kHeight = 600;
constexpr std::size_t kOpenPlaces = 3;
constexpr std::size_t kOpenEntries = 12;

// The entries of one item that lie in one folder, filled in when opened.
struct FolderData : wxClientData {
  std::size_t item = 0;
  std::vector<std::size_t> entries;
  bool filled = false;
};

wxString Size(std::uint64_t bytes) { return wxString::FromUTF8(cleanup::FormatBytes(bytes)); }

// A folder as the user knows it: "~" for the home folder.
wxString Shown(const std::string& path) {
  const wxString text = wxString::FromUTF8(path);
  const wxString home = wxGetHomeDir();
  if (home.length() > 1 && (text == home || text.StartsWith(home + "/")))
    return "~" + text.Mid(home.length());
  return text;
}

wxString ItemTitle(ItemId id) {
  const CleanupItem& row = ItemRow(id);
  return wxString::FromUTF8(CleanupLeaves()[static_cast<std::size_t>(row.leaf)].label) + ": " +
         wxString::FromUTF8(row.label);
}

// What an entry shows below its folder: its path from there.
wxString Below(const std::string& place, const cleanup::PreviewEntry& entry) {
  std::string text = entry.what;
  if ((entry.kind == cleanup::PreviewEntry::Kind::File || entry.kind == cleanup::PreviewEntry::Kind::Folder) &&
      !place.empty() && text.size() > place.size() + 1 && text.compare(0, place.size() + 1, place + "/") == 0)
    text.erase(0, place.size() + 1);
  if (entry.kind == cleanup::PreviewEntry::Kind::Folder)
    text += "/";
  // "900 visits in <folder>/places.sqlite" under that folder: the file's name is enough.
  const std::string in = " in " + place + "/";
  if (entry.kind == cleanup::PreviewEntry::Kind::Rows && !place.empty())
    if (const std::size_t at = text.find(in); at != std::string::npos)
      text.replace(at, in.size(), " in ");
  return wxString::FromUTF8(text);
}

}  // namespace

// Failures met on the worker, as a run would log them; never a window.
class CDPreviewDialog::WorkerHost : public TaskHost {
 public:
  explicit WorkerHost(bool ignoreBrowserVersion) : m_ignore(ignoreBrowserVersion) {}
  void LogError(int code, const wxString& message, bool) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    problems.push_back({code, message.utf8_string()});
  }
  bool IsTaskFileRun() const override { return false; }
  bool FileAlarmExtra() const override { return false; }
  bool AlarmPageOn() const override { return false; }
  bool IgnoreBrowserVersion() const override { return m_ignore; }
  void CloseMainWindow() override {}
  std::vector<cleanup::PreviewProblem> problems;

 private:
  bool m_ignore;
  std::mutex m_mutex;
};

CDPreviewDialog::CDPreviewDialog(wxWindow* parent, const CleanupSelection& selection, const Task& task,
                                 const Settings& settings)
    : wxDialog(parent, wxID_ANY, "Clean-up preview", wxDefaultPosition, wxSize(kWidth, kHeight),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_workerHost(std::make_unique<WorkerHost>(settings.m_ignoreBrowserVersion)),
      m_task(m_workerHost.get()),
      m_settings(settings),
      m_selection(selection) {
  // The system as the window's task found it; the browsers are found afresh.
  m_task.m_ieVersion = task.m_ieVersion;
  m_task.m_osCode = task.m_osCode;
  m_task.m_win9xFamily = task.m_win9xFamily;
  m_task.m_ntFamily = task.m_ntFamily;
  m_task.m_otherFamily = task.m_otherFamily;
  m_task.m_unsupported = task.m_unsupported;
  m_task.m_vistaOrLater = task.m_vistaOrLater;
  m_task.m_win7OrLater = task.m_win7OrLater;
  SetName("previewDialog");

  m_total = new wxStaticText(this, wxID_ANY, "Total: reading...");
  m_total->SetName("Total");
  wxFont bold = m_total->GetFont();
  bold.MakeBold();
  m_total->SetFont(bold);
  m_status = new wxStaticText(this, wxID_ANY, "Nothing is deleted: this only lists what a clean-up would delete.");
  m_gauge = new wxGauge(this, wxID_ANY, 1, wxDefaultPosition, wxDefaultSize, wxGA_HORIZONTAL | wxGA_SMOOTH);
  m_gauge->SetName("Progress");
  SetAccessibleName(m_gauge, "Progress");
  m_gauge->SetToolTip("Items read so far");
  m_tree = new wxTreeListCtrl(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTL_SINGLE);
  m_tree->SetName("What the clean-up would delete");
  SetAccessibleName(m_tree, "What the clean-up would delete");
  // Sizes stay in sight: long paths are cut, not the size column pushed out.
  m_tree->AppendColumn("What", kWidth - kSizeColumnWidth - 60, wxALIGN_LEFT, wxCOL_RESIZABLE);
  m_tree->AppendColumn("Size", kSizeColumnWidth, wxALIGN_RIGHT, wxCOL_RESIZABLE);
  m_tree->Bind(wxEVT_TREELIST_ITEM_EXPANDING, &CDPreviewDialog::OnExpanding, this);

  m_cancelButton = new wxButton(this, wxID_STOP, "Cancel");
  m_cancelButton->SetToolTip("Stop reading; what was read stays listed");
  m_cancelButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Cancel(); });
  auto* close = new wxButton(this, wxID_CLOSE, "Close");
  close->SetToolTip("Close the preview");
  close->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    Cancel();
    if (IsModal())
      EndModal(wxID_CLOSE);
    else
      Hide();
  });
  SetEscapeId(wxID_CLOSE);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->AddStretchSpacer();
  buttons->Add(m_cancelButton, 0, wxRIGHT, 6);
  buttons->Add(close);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(m_total, 0, wxEXPAND | wxALL, 8);
  column->Add(m_status, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);
  column->Add(m_gauge, 0, wxEXPAND | wxALL, 8);
  column->Add(m_tree, 1, wxEXPAND | wxLEFT | wxRIGHT, 8);
  column->Add(buttons, 0, wxEXPAND | wxALL, 8);
  SetSizer(column);
  CentreOnParent();

  m_worker = std::thread([this] {
    auto preview = std::make_shared<cleanup::Preview>(cleanup::RunPreview(
        m_selection, m_task, m_settings, *m_workerHost, &m_cancel,
        [this](std::size_t done, std::size_t total) { CallAfter([this, done, total] { OnStep(done, total); }); }));
    CallAfter([this, preview] { OnDone(preview); });
  });
}

CDPreviewDialog::~CDPreviewDialog() {
  // Its queued calls go with this window; none may come after it.
  m_cancel = true;
  if (m_worker.joinable())
    m_worker.join();
}

void CDPreviewDialog::Cancel() {
  m_cancel = true;
  if (m_running)
    m_status->SetLabel("Stopping...");
}

wxString CDPreviewDialog::TotalText() const { return m_total->GetLabel(); }

void CDPreviewDialog::OnStep(std::size_t done, std::size_t total) {
  if (!m_running)
    return;
  m_gauge->SetRange(static_cast<int>(total));
  m_gauge->SetValue(static_cast<int>(done));
  if (!m_cancel)
    m_status->SetLabel(wxString::Format("Read %zu of %zu items...", done, total));
}

void CDPreviewDialog::OnDone(std::shared_ptr<cleanup::Preview> preview) {
  m_worker.join();
  m_running = false;
  m_preview = std::move(*preview);
  // Failures of the browser discovery belong to no single item.
  if (!m_workerHost->problems.empty() && !m_preview.items.empty())
    for (cleanup::PreviewProblem& problem : m_workerHost->problems)
      m_preview.items.front().problems.push_back(std::move(problem));
  m_cancelButton->Disable();
  m_gauge->SetValue(m_gauge->GetRange());
  std::size_t files = 0, rows = 0;
  for (const cleanup::PreviewItem& item : m_preview.items)
    for (const cleanup::PreviewEntry& entry : item.entries) {
      files += entry.kind == cleanup::PreviewEntry::Kind::File;
      rows += entry.rows;
    }
  m_total->SetLabel(wxString::Format("Total: %s in %zu files and %zu database rows", Size(m_preview.Bytes()), files,
                                     rows));
  m_status->SetLabel(m_preview.cancelled ? "Stopped: only the items read so far are listed."
                                         : "Nothing was deleted: this is what a clean-up would delete now.");
  Fill();
  Layout();
}

void CDPreviewDialog::Fill() {
  wxWindowUpdateLocker frozen(m_tree);
  m_tree->DeleteAllItems();
  const wxTreeListItem root = m_tree->GetRootItem();
  for (std::size_t index = 0; index < m_preview.items.size(); ++index) {
    const cleanup::PreviewItem& item = m_preview.items[index];
    const wxTreeListItem node = m_tree->AppendItem(root, ItemTitle(item.id));
    m_tree->SetItemText(node, 1, Size(item.Bytes()));
    if (!item.availability.available)
      m_tree->AppendItem(node, "Not available here: " + item.availability.reason);
    for (const cleanup::PreviewProblem& problem : item.problems)
      m_tree->AppendItem(node, wxString::Format("Would fail: %s (code %d)", wxString::FromUTF8(problem.message),
                                                problem.code));
    // One node per folder, in the order first met.
    std::vector<std::string> places;
    std::map<std::string, FolderData*> byPlace;
    std::map<std::string, std::uint64_t> bytes;
    for (std::size_t e = 0; e < item.entries.size(); ++e) {
      const cleanup::PreviewEntry& entry = item.entries[e];
      if (entry.Place().empty()) {
        m_tree->AppendItem(node, wxString::FromUTF8(entry.what));
        continue;
      }
      FolderData*& data = byPlace[entry.Place()];
      if (!data) {
        data = new FolderData;
        data->item = index;
        places.push_back(entry.Place());
      }
      data->entries.push_back(e);
      bytes[entry.Place()] += entry.bytes;
    }
    // Small items open at once; big folders wait to be opened.
    const bool open = places.size() <= kOpenPlaces;
    if (open || !item.availability.available)
      m_tree->Expand(node);
    for (const std::string& place : places) {
      FolderData* data = byPlace[place];
      const wxTreeListItem folder = m_tree->AppendItem(
          node, wxString::Format("%s (%zu)", Shown(place), data->entries.size()), -1, -1, data);
      m_tree->SetItemText(folder, 1, Size(bytes[place]));
      // Filled when opened: a cache may hold tens of thousands of files.
      m_tree->AppendItem(folder, "...");
      if (open && data->entries.size() <= kOpenEntries)
        m_tree->Expand(folder);
    }
  }
}

void CDPreviewDialog::OnExpanding(wxTreeListEvent& event) {
  const wxTreeListItem folder = event.GetItem();
  auto* data = dynamic_cast<FolderData*>(m_tree->GetItemData(folder));
  if (!data || data->filled)
    return;
  data->filled = true;
  wxWindowUpdateLocker frozen(m_tree);
  const wxTreeListItem placeholder = m_tree->GetFirstChild(folder);
  if (placeholder.IsOk())
    m_tree->DeleteItem(placeholder);
  const cleanup::PreviewItem& item = m_preview.items[data->item];
  const std::string place = item.entries[data->entries.front()].Place();
  const std::size_t shown = std::min(data->entries.size(), kShownPerFolder);
  if (shown < data->entries.size()) {
    std::uint64_t rest = 0;
    for (std::size_t i = shown; i < data->entries.size(); ++i)
      rest += item.entries[data->entries[i]].bytes;
    const wxTreeListItem more = m_tree->PrependItem(
        folder, wxString::Format("and %zu more (all are listed by DKWT -preview)", data->entries.size() - shown));
    m_tree->SetItemText(more, 1, Size(rest));
  }
  // Prepended from the last: appending walks the children each time.
  for (std::size_t i = shown; i-- > 0;) {
    const cleanup::PreviewEntry& entry = item.entries[data->entries[i]];
    const wxTreeListItem child = m_tree->PrependItem(folder, Below(place, entry));
    if (entry.kind == cleanup::PreviewEntry::Kind::File)
      m_tree->SetItemText(child, 1, Size(entry.bytes));
  }
}
