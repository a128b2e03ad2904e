#pragma once
// The clean-up preview of the extras window: the selected items as a tree
// (item, the folder things lie in, the files or database rows) with their
// sizes and the total, read on a worker so a large cache never blocks the
// window. Cancel stops it; what was read so far stays shown.
#include <atomic>
#include <memory>
#include <thread>

#include <wx/dialog.h>

#include "app/cleanup_selection.h"
#include "app/settings.h"
#include "app/task.h"
#include "cleanup/preview.h"

class wxButton;
class wxGauge;
class wxStaticText;
class wxTreeListCtrl;
class wxTreeListEvent;
class wxTreeListItem;

class CDPreviewDialog : public wxDialog {
 public:
  // Children shown under one folder; the rest are summed up in one row.
  static constexpr std::size_t kShownPerFolder = 5000;

  // `task` and `settings` are copied: the worker never touches the window's.
  CDPreviewDialog(wxWindow* parent, const CleanupSelection& selection, const Task& task, const Settings& settings);
  ~CDPreviewDialog() override;

  bool Running() const { return m_running; }
  const cleanup::Preview& Result() const { return m_preview; }
  wxTreeListCtrl* Tree() const { return m_tree; }
  wxString TotalText() const;
  void Cancel();

 private:
  class WorkerHost;

  void OnStep(std::size_t done, std::size_t total);
  void OnDone(std::shared_ptr<cleanup::Preview> preview);
  void Fill();
  void OnExpanding(wxTreeListEvent& event);

  std::unique_ptr<WorkerHost> m_workerHost;
  Task m_task;
  Settings m_settings;
  CleanupSelection m_selection;
  std::atomic<bool> m_cancel{false};
  bool m_running = true;
  std::thread m_worker;
  cleanup::Preview m_preview;

  wxStaticText* m_total = nullptr;
  wxStaticText* m_status = nullptr;
  wxGauge* m_gauge = nullptr;
  wxTreeListCtrl* m_tree = nullptr;
  wxButton* m_cancelButton = nullptr;
};
