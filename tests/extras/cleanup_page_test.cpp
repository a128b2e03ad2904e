// The Cleanup page: panels, "Select All" and the full toggle follow the
// boxes; only items this system has data for can be ticked, and only they
// count. Which ones those are is the clean-up library's answer, read here.
#include <wx/checkbox.h>
#include <wx/simplebook.h>

#include "app/cleanup_selection.h"
#include "cleanup/catalogue.h"
#include "tests/extras/extras_fixture.h"

namespace {

constexpr std::size_t kFreeSpace = 5;
constexpr std::size_t kInternetExplorer = 0;

class CleanupPage : public ExtrasTest {
 protected:
  CleanupPage() { Open(kShutdown); }
  CDAuiChildFrame& Cleanup() const { return Page(ExtrasPageId::Cleanup); }
  std::vector<wxCheckBox*> Boxes(std::size_t leaf, bool available) const {
    std::vector<wxCheckBox*> boxes;
    for (std::size_t i = 0; i < Cleanup().m_boxes.size(); ++i)
      if ((leaf == kCleanupLeafCount || Cleanup().m_boxLeaf[i] == leaf) && Cleanup().m_boxAvailable[i] == available)
        boxes.push_back(Cleanup().m_boxes[i]);
    return boxes;
  }
  wxCheckBox* Box(int id) const { return Cleanup().m_boxes[static_cast<std::size_t>(id - kFirstCleanupBoxId)]; }
  void SelectTreeItem(const wxDataViewItem& item) {
    Cleanup().m_tree->Select(item);
    wxDataViewEvent event(wxEVT_DATAVIEW_SELECTION_CHANGED, Cleanup().m_tree, item);
    Cleanup().m_tree->GetEventHandler()->ProcessEvent(event);
  }
  void Hover(wxWindow* control, wxEventType type) {
    wxMouseEvent event(type);
    event.SetEventObject(control);
    control->GetEventHandler()->ProcessEvent(event);
  }
  wxToggleButton* Full() const { return frame->m_extrasWindow->FullToggle(); }
};

TEST_F(CleanupPage, BoxesFollowTheSystemsData) {
  ASSERT_EQ(Cleanup().m_boxes.size(), kCleanupItemCount);
  for (std::size_t i = 0; i < kCleanupItemCount; ++i) {
    SCOPED_TRACE(Cleanup().m_boxes[i]->GetLabel().utf8_string());
    ASSERT_TRUE(Cleanup().m_boxItems[i]);
    const CleanupItem& row = ItemRow(*Cleanup().m_boxItems[i]);
    EXPECT_EQ(Cleanup().m_boxes[i]->GetId(), row.controlId);
    EXPECT_EQ(Cleanup().m_boxes[i]->GetLabel(), row.label);
    const cleanup::Availability availability = cleanup::ItemAvailability(row.id);
    EXPECT_EQ(Cleanup().m_boxes[i]->IsThisEnabled(), availability.available);
  }
  // Internet Explorer stays in the tree, with nothing to tick.
  EXPECT_EQ(Cleanup().m_tree->GetItemText(Cleanup().m_leafItems[kInternetExplorer]), "Internet Explorer");
  EXPECT_TRUE(Boxes(kInternetExplorer, true).empty());
  EXPECT_FALSE(Cleanup().m_selectAll[kInternetExplorer]->IsThisEnabled());

  // The description of an item without data says so.
  wxCheckBox* crypto = Box(10134);
  ASSERT_FALSE(crypto->IsThisEnabled());
  Hover(crypto, wxEVT_ENTER_WINDOW);
  EXPECT_TRUE(frame->m_extrasWindow->Info().Contains(kNoSuchData));
}

TEST_F(CleanupPage, PanelToggleFollowsTheAvailableBoxes) {
  const std::vector<wxCheckBox*> boxes = Boxes(kFreeSpace, true);
  ASSERT_GE(boxes.size(), 2u);
  wxToggleButton* toggle = Cleanup().m_selectAll[kFreeSpace];
  for (wxCheckBox* box : boxes) {
    EXPECT_EQ(toggle->GetLabel(), "Select All");
    Toggle(box, true);
  }
  EXPECT_TRUE(toggle->GetValue());
  EXPECT_EQ(toggle->GetLabel(), "Unselect All") << "every box this system can clean is ticked";
  Toggle(boxes.front(), false);
  EXPECT_EQ(toggle->GetLabel(), "Unselect All") << "a mixed panel keeps the last label";
  for (wxCheckBox* box : boxes)
    Toggle(box, false);
  EXPECT_FALSE(toggle->GetValue());
  EXPECT_EQ(toggle->GetLabel(), "Select All");

  Press(toggle);
  for (wxCheckBox* box : boxes)
    EXPECT_TRUE(box->GetValue());
  for (wxCheckBox* box : Boxes(kFreeSpace, false))
    EXPECT_FALSE(box->GetValue()) << "nothing to clean: never ticked";
}

TEST_F(CleanupPage, FullToggleFollowsEveryAvailableBox) {
  const std::vector<wxCheckBox*> all = Boxes(kCleanupLeafCount, true);
  ASSERT_FALSE(all.empty());
  for (wxCheckBox* box : all)
    Toggle(box, true);
  EXPECT_TRUE(Full()->GetValue());
  EXPECT_EQ(Full()->GetLabel(), "Unselect All");

  Press(Full());  // released: everything off
  for (wxCheckBox* box : all)
    EXPECT_FALSE(box->GetValue());
  EXPECT_EQ(Full()->GetLabel(), "Toggle full Cleanup");
  Press(Full());
  for (wxCheckBox* box : all)
    EXPECT_TRUE(box->GetValue());
  EXPECT_EQ(Cleanup().m_selectAll[kFreeSpace]->GetLabel(), "Unselect All");
  for (wxCheckBox* box : Boxes(kCleanupLeafCount, false))
    EXPECT_FALSE(box->GetValue());
}

TEST_F(CleanupPage, TreeAndHoverWriteTheInfoPane) {
  EXPECT_EQ(Cleanup().m_panelBook->GetSelection(), 0) << "Internet Explorer first";
  SelectTreeItem(Cleanup().m_groupItems[0]);
  EXPECT_EQ(Cleanup().m_panelBook->GetSelection(), static_cast<int>(kCleanupLeafCount)) << "no panel";
  EXPECT_EQ(frame->m_extrasWindow->Info(), "Click on Subitem to select needed options.");
  SelectTreeItem(Cleanup().m_leafItems[kFreeSpace]);
  EXPECT_EQ(Cleanup().m_panelBook->GetSelection(), static_cast<int>(kFreeSpace));
  EXPECT_EQ(frame->m_extrasWindow->Info(), "Move the mouse to the right over the Checkboxes to get extra description.");
  frame->m_extrasWindow->SetInfo("kept");
  SelectTreeItem(Cleanup().m_leafItems[kFreeSpace]);
  EXPECT_EQ(frame->m_extrasWindow->Info(), "kept") << "the current leaf again changes nothing";

  wxCheckBox* bin = Box(10133);
  ASSERT_EQ(bin->GetLabel(), "Empty Recycle Bin");
  Hover(bin, wxEVT_ENTER_WINDOW);
  EXPECT_EQ(frame->m_extrasWindow->Info(), "Empty Recycle Bin.");
  Hover(bin, wxEVT_LEAVE_WINDOW);
  EXPECT_EQ(frame->m_extrasWindow->Info(), "Empty Recycle Bin.");
}

TEST_F(CleanupPage, TickedBoxesReachTheSelectionAndTheTaskFile) {
  // The first item this system can clean.
  std::size_t slot = 0;
  while (slot < Cleanup().m_boxes.size() && !Cleanup().m_boxAvailable[slot])
    ++slot;
  ASSERT_LT(slot, Cleanup().m_boxes.size());
  Toggle(Cleanup().m_boxes[slot], true);
  ASSERT_TRUE(CloseWindow());
  SetRelative(0, 0, 30);
  Click(frame->m_startButton);
  ASSERT_TRUE(frame->m_running);
  ASSERT_TRUE(Cleanup().m_boxItems[slot]);
  const CleanupItem& item = ItemRow(*Cleanup().m_boxItems[slot]);
  EXPECT_TRUE(frame->m_cleanupSelection.Get(item.id));
  EXPECT_EQ(frame->m_cleanupSelection.CountSelected(), 1u);
  EXPECT_TRUE(frame->m_cleanupSelection.anySelected);

  const wxString saved = frame->SaveTaskFile("tidy");
  const std::string line = std::string(item.key) + "=" + item.token;
  EXPECT_NE(Sandbox::ReadFile(saved.utf8_string()).find(line), std::string::npos) << line;
}

}  // namespace
