// The Cleanup page: the tree of browsers and system groups, one panel of
// check boxes per leaf, and the "Select All" / full toggles that keep up with
// the boxes. Only items this system has data for can be ticked, and only
// those count.
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/imaglist.h>
#include <wx/simplebook.h>
#include <wx/sizer.h>
#include <wx/tglbtn.h>
#include <wx/wupdlock.h>

#include "app/cleanup_selection.h"
#include "app/message_box.h"
#include "app/settings.h"
#include "app/task.h"
#include "app/task_host.h"
#include "cleanup/catalogue.h"
#include "extras/cleanup_preview.h"
#include "extras/extras_host.h"
#include "extras/cd_aui_child_frame.h"
#include "extras/cd_aui_main_frame.h"
#include "extras/cd_image_panel.h"
#include "extras/extras_ids.h"
#include "res/art/art.h"

namespace {

// Wide enough for "Internet Explorer" beside a 32-pixel icon on GTK.
constexpr int kTreeWidth = 190;
constexpr int kImageSize = 32;
constexpr int kBoxSpacing = 10;
const wxColour kEvenRow(222, 222, 222);

const char* const kImageNames[] = {
    "bmp_iconRoots",      "bmp_iconIE",         "bmp_iconFF",         "bmp_iconOP",
    "bmp_iconCR",         "bmp_iconSF",         "bmp_iconFS",         "bmp_iconHisoty",
    "bmp_iconIESelected", "bmp_iconFFSelected", "bmp_iconOPSelected", "bmp_iconCRSelected",
    "bmp_iconSFSelected", "bmp_iconFSSelected", "bmp_iconHisotySelected",
};

const char kLeafHint[] = "Move the mouse to the right over the Checkboxes to get extra description.";
const char kGroupHint[] = "Click on Subitem to select needed options.";

}  // namespace

void CDAuiChildFrame::BuildCleanup() {
  auto* page = new wxBoxSizer(wxHORIZONTAL);
  m_tree = new wxDataViewTreeCtrl(this, extras_ids::kTree, wxDefaultPosition, wxSize(kTreeWidth, -1),
                                  wxDV_NO_HEADER | wxDV_SINGLE);
  m_tree->SetName("treeCtrl");
  SetAccessibleName(m_tree, "Clean-up items");
  auto* images = new wxImageList(kImageSize, kImageSize, true, static_cast<int>(std::size(kImageNames)));
  for (const char* name : kImageNames) {
    wxBitmap picture = ExtrasBitmap(name);
    images->Add(picture.IsOk() ? picture : wxBitmap(kImageSize, kImageSize));
  }
  m_tree->AssignImageList(images);

  const wxDataViewItem root;
  m_groupItems[0] = m_tree->AppendContainer(root, "Browsers", 0, 0);
  m_groupItems[1] = m_tree->AppendContainer(root, "Common", 0, 0);
  const auto& leaves = CleanupLeaves();
  for (std::size_t leaf = 0; leaf < leaves.size(); ++leaf) {
    const wxDataViewItem& parent = m_groupItems[leaf < kFirstCommonLeaf ? 0 : 1];
    m_leafItems[leaf] = m_tree->AppendItem(parent, leaves[leaf].label, static_cast<int>(leaf) + 1);
  }
  for (const wxDataViewItem& group : m_groupItems)
    m_tree->Expand(group);

  m_panelBook = new wxSimplebook(this, wxID_ANY);
  m_boxes.assign(kLastCleanupBoxId - kFirstCleanupBoxId + 1, nullptr);
  m_boxItems.assign(m_boxes.size(), std::nullopt);
  m_boxAvailable.assign(m_boxes.size(), true);
  m_boxLeaf.assign(m_boxes.size(), 0);
  for (std::size_t leaf = 0; leaf < leaves.size(); ++leaf)
    m_panelBook->AddPage(BuildLeafPanel(leaf), leaves[leaf].label);
  // Shown while a group is selected: no panel at all.
  m_panelBook->AddPage(new wxPanel(m_panelBook, wxID_ANY), wxString());

  m_previewButton = new wxButton(this, extras_ids::kPreviewButton, "Preview");
  m_previewButton->SetToolTip("List what the ticked items would delete, with sizes, deleting nothing");
  m_previewButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ShowPreview(); });
  auto* left = new wxBoxSizer(wxVERTICAL);
  left->Add(m_tree, 1, wxEXPAND);
  left->Add(m_previewButton, 0, wxEXPAND | wxTOP, 4);
  page->Add(left, 0, wxEXPAND | wxALL, 4);
  page->Add(m_panelBook, 1, wxEXPAND | wxTOP | wxBOTTOM | wxRIGHT, 4);
  SetSizer(page);

  m_tree->Select(m_leafItems[0]);
  m_currentItem = m_leafItems[0];
  m_panelBook->ChangeSelection(0);
}

wxWindow* CDAuiChildFrame::BuildLeafPanel(std::size_t leaf) {
  const CleanupLeafInfo& info = CleanupLeaves()[leaf];
  auto* panel = new CDImagePanel(m_panelBook, info.panelId, ExtrasBitmap(info.panelName));
  m_leafPanels[leaf] = panel;
  SetAccessibleName(panel, info.label);
  auto* column = new wxBoxSizer(wxVERTICAL);
  bool anyAvailable = false;
  for (std::size_t row = 0; row < info.boxes.size(); ++row) {
    const CleanupItem& box = info.boxes[row];
    const std::size_t slot = static_cast<std::size_t>(box.controlId - kFirstCleanupBoxId);
    auto* check = new wxCheckBox(panel, box.controlId, box.label, wxDefaultPosition, wxDefaultSize, 0,
                                 wxDefaultValidator, "check");
    // Rows alternate, counting from 1.
    if (row % 2 == 1)
      check->SetBackgroundColour(kEvenRow);
    const cleanup::Availability availability = cleanup::ItemAvailability(box.id);
    wxString description = wxString::FromUTF8(box.description);
    if (!availability.available) {
      const wxString reason = availability.reason.empty() ? wxString(kNoSuchData) : availability.reason;
      description += "\n\n" + reason;
      check->SetToolTip(reason);
      check->Disable();
    }
    anyAvailable = anyAvailable || availability.available;
    check->Bind(wxEVT_ENTER_WINDOW, [this, description](wxMouseEvent& event) {
      m_owner->SetInfo(description);
      event.Skip();
    });
    m_boxes[slot] = check;
    m_boxItems[slot] = box.id;
    m_boxAvailable[slot] = availability.available;
    m_boxLeaf[slot] = leaf;
    column->Add(check, 0, wxEXPAND | (row == 0 ? 0 : wxTOP), kBoxSpacing);
  }
  m_selectAll[leaf] = new wxToggleButton(panel, info.toggleId, "Select All");
  // Nothing to select on this system: the toggle would do nothing.
  m_selectAll[leaf]->Enable(anyAvailable);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(column, 1, wxALL, 8);
  row->Add(m_selectAll[leaf], 0, wxALL, 8);
  panel->SetSizer(row);
  panel->SetScrollRate(10, 10);
  panel->FitInside();
  return panel;
}

void CDAuiChildFrame::ShowPreview() {
  CleanupSelection selection;
  m_owner->CollectCleanupSelection(selection);
  if (!selection.anySelected) {
    ShowMessage("Tick the items to preview first.", "Information", wxOK | wxICON_INFORMATION);
    return;
  }
  const Task& task = m_owner->Host().CurrentTask();
  Settings settings;
  settings.m_ignoreBrowserVersion = task.Host() && task.Host()->IgnoreBrowserVersion();
  CDPreviewDialog dialog(this, selection, task, settings);
  dialog.ShowModal();
}

// ---- Selection ---------------------------------------------------------------

void CDAuiChildFrame::OnTreeSelection(wxDataViewEvent& event) {
  if (GetId() != extras_ids::kCleanupPage)
    return;
  ShowItem(m_tree->GetSelection());
  event.Skip();
}

void CDAuiChildFrame::ShowItem(const wxDataViewItem& item) {
  if (!item.IsOk() || item == m_currentItem)
    return;
  wxWindowUpdateLocker frozen(this);
  for (std::size_t leaf = 0; leaf < m_leafItems.size(); ++leaf) {
    if (item != m_leafItems[leaf])
      continue;
    if (m_panelBook->GetSelection() != static_cast<int>(leaf)) {
      m_panelBook->ChangeSelection(leaf);
      Layout();
      m_owner->SetInfo(kLeafHint);
    }
    m_currentItem = item;
    return;
  }
  m_panelBook->ChangeSelection(kCleanupLeafCount);
  m_owner->SetInfo(kGroupHint);
  m_currentItem = item;
}

// ---- Boxes and toggles ---------------------------------------------------------

bool CDAuiChildFrame::AnyAvailableChecked(std::size_t leaf) const {
  for (std::size_t i = 0; i < m_boxes.size(); ++i)
    if ((leaf == kCleanupLeafCount || m_boxLeaf[i] == leaf) && m_boxAvailable[i] && m_boxes[i]->GetValue())
      return true;
  return false;
}

bool CDAuiChildFrame::AllAvailableChecked(std::size_t leaf) const {
  bool any = false;
  for (std::size_t i = 0; i < m_boxes.size(); ++i) {
    if ((leaf != kCleanupLeafCount && m_boxLeaf[i] != leaf) || !m_boxAvailable[i])
      continue;
    if (!m_boxes[i]->GetValue())
      return false;
    any = true;
  }
  return any;
}

void CDAuiChildFrame::SyncLeafToggle(std::size_t leaf) {
  wxToggleButton* toggle = m_selectAll[leaf];
  if (AllAvailableChecked(leaf)) {
    toggle->SetValue(true);
    toggle->SetLabel("Unselect All");
  } else if (!AnyAvailableChecked(leaf)) {
    toggle->SetValue(false);
    toggle->SetLabel("Select All");
  }
}

void CDAuiChildFrame::SyncFullToggle() {
  wxToggleButton* toggle = m_owner->FullToggle();
  if (AllAvailableChecked(kCleanupLeafCount)) {
    toggle->SetValue(true);
    toggle->SetLabel("Unselect All");
  } else if (!AnyAvailableChecked(kCleanupLeafCount)) {
    toggle->SetValue(false);
    toggle->SetLabel("Toggle full Cleanup");
  }
}

void CDAuiChildFrame::SetLeaf(std::size_t leaf, bool checked) {
  for (std::size_t i = 0; i < m_boxes.size(); ++i)
    if (m_boxLeaf[i] == leaf && m_boxAvailable[i])
      m_boxes[i]->SetValue(checked);
  m_selectAll[leaf]->SetValue(checked);
  m_selectAll[leaf]->SetLabel(checked ? "Unselect All" : "Select All");
}

void CDAuiChildFrame::SetAllBoxes(bool checked) {
  for (std::size_t leaf = 0; leaf < kCleanupLeafCount; ++leaf)
    SetLeaf(leaf, checked && m_selectAll[leaf]->IsThisEnabled());
}

void CDAuiChildFrame::OnBox(wxCommandEvent& event) {
  const auto slot = static_cast<std::size_t>(event.GetId() - kFirstCleanupBoxId);
  if (slot >= m_boxes.size())
    return;
  SyncLeafToggle(m_boxLeaf[slot]);
  SyncFullToggle();
}

void CDAuiChildFrame::OnSelectAll(wxCommandEvent& event) {
  const auto leaf = static_cast<std::size_t>(event.GetId() - extras_ids::kFirstSelectAll);
  if (leaf >= kCleanupLeafCount)
    return;
  SetLeaf(leaf, m_selectAll[leaf]->GetValue());
  SyncFullToggle();
}
