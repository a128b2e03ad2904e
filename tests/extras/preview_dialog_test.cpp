// The clean-up preview of the extras window: the ticked items in a tree with
// their sizes, read on a worker that Cancel stops.
#include <wx/app.h>
#include <wx/button.h>
#include <wx/treelist.h>

#include <chrono>
#include <map>
#include <thread>

#include "extras/cleanup_preview.h"
#include "tests/extras/extras_fixture.h"

namespace {

class PreviewDialog : public ExtrasTest {
 protected:
  PreviewDialog() { Open(kShutdown); }
  CDAuiChildFrame& Cleanup() const { return Page(ExtrasPageId::Cleanup); }
  static void WaitFor(const CDPreviewDialog& dialog) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (dialog.Running() && std::chrono::steady_clock::now() < deadline) {
      wxTheApp->ProcessPendingEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_FALSE(dialog.Running()) << "the preview did not finish";
  }
  static std::vector<wxTreeListItem> Children(wxTreeListCtrl* tree, const wxTreeListItem& parent) {
    std::vector<wxTreeListItem> children;
    for (wxTreeListItem child = tree->GetFirstChild(parent); child.IsOk(); child = tree->GetNextSibling(child))
      children.push_back(child);
    return children;
  }
  static CleanupSelection Selecting(std::initializer_list<ItemId> ids) {
    CleanupSelection selection;
    for (ItemId id : ids)
      selection.Set(id, true);
    selection.anySelected = true;
    return selection;
  }
};

TEST_F(PreviewDialog, ThePageButtonAsksForTickedItemsFirst) {
  wxButton* button = Cleanup().m_previewButton;
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->GetLabel(), "Preview");
  EXPECT_FALSE(button->GetToolTipText().empty());
  Click(button);
  EXPECT_EQ(LastMessage(), "Tick the items to preview first.");
}

TEST_F(PreviewDialog, ListsEachItemsFilesWithSizesUnderTheirFolder) {
  Sandbox::WriteFile(sandbox.Tmp() / "sub/one", std::string(1000, 'x'));
  Sandbox::WriteFile(sandbox.Tmp() / "sub/two", std::string(24, 'y'));
  CDPreviewDialog dialog(frame->m_extrasWindow, Selecting({ItemId::FreeSpaceTemp, ItemId::CacheSafari}),
                         frame->CurrentTask(), Settings{});
  dialog.Show();
  WaitFor(dialog);
  EXPECT_EQ(dialog.TotalText(), "Total: 1.0 KB in 2 files and 0 database rows");

  wxTreeListCtrl* tree = dialog.Tree();
  const auto items = Children(tree, tree->GetRootItem());
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(tree->GetItemText(items[0]), "Free space: Delete Temporary Files");
  EXPECT_EQ(tree->GetItemText(items[0], 1), "1.0 KB");
  const auto safari = Children(tree, items[1]);
  ASSERT_EQ(safari.size(), 1u);
  EXPECT_TRUE(tree->GetItemText(safari[0]).StartsWith("Not available here: ")) << "the page's reason";

  const auto folders = Children(tree, items[0]);
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_TRUE(tree->GetItemText(folders[0]).EndsWith("/tmp (3)")) << tree->GetItemText(folders[0]);
  tree->Expand(folders[0]);
  std::map<wxString, wxString> shown;
  for (const wxTreeListItem& child : Children(tree, folders[0]))
    shown[tree->GetItemText(child)] = tree->GetItemText(child, 1);
  EXPECT_EQ(shown, (std::map<wxString, wxString>{{"sub/one", "1000 B"}, {"sub/two", "24 B"}, {"sub/", ""}}));
}

TEST_F(PreviewDialog, CancelStopsTheWorkerAndKeepsWhatWasRead) {
  for (int i = 0; i < 10000; ++i)
    Sandbox::WriteFile(sandbox.Tmp() / ("d" + std::to_string(i % 50)) / std::to_string(i), "x");
  CDPreviewDialog dialog(frame->m_extrasWindow,
                         Selecting({ItemId::FreeSpaceTemp, ItemId::FreeSpaceRecycleBin, ItemId::FreeSpaceThumbnails}),
                         frame->CurrentTask(), Settings{});
  dialog.Show();
  dialog.Cancel();
  WaitFor(dialog);
  EXPECT_TRUE(dialog.Result().cancelled);
  EXPECT_LT(dialog.Result().items.size(), 3u);
  EXPECT_TRUE(dialog.TotalText().StartsWith("Total: "));
}

}  // namespace
