// The clean-up runner of the main window: collecting on the GUI thread,
// deleting on the worker, the progress dialog and the hand-over to the task.
#include <chrono>
#include <thread>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/progdlg.h>
#include <wx/utils.h>

#include "app/clock.h"
#include "cleanup/browser_items.h"
#include "cleanup/cd_thread.h"
#include "cleanup/internet_explorer.h"
#include "cleanup/item_context.h"
#include "cleanup/runner.h"
#include "ui/cd_controls.h"
#include "ui/cd_frame.h"
#include "ui/cd_ids.h"

namespace {

constexpr char kDeletingFiles[] = "Deleting files. Press [Cancel] to stop the Task.";
constexpr long kProgressStyle = wxPD_CAN_ABORT | wxPD_APP_MODAL | wxPD_ELAPSED_TIME | wxPD_ESTIMATED_TIME |
                                wxPD_SMOOTH | wxPD_REMAINING_TIME;

}  // namespace

void CDFrame::DiscoverBrowsers() { cleanup::DiscoverBrowsers(m_task); }

void CDFrame::PostCleanupEvent(int value) {
  auto* event = new wxCommandEvent(wxEVT_MENU, ids::kCleanupEvent);
  event->SetInt(value);
  wxQueueEvent(this, event);
}

void CDFrame::CloseBrowsers() {
  wxBusyCursor busy;
  cleanup::CloseBrowsers(m_cleanupSelection, CurrentClock());
}

void CDFrame::ContinueAfterCleanup() { (m_fullCleanup ? m_fullCleanupTimer : m_executeTimer).Start(1000); }

void CDFrame::StartCleanup() {
  cleanup::CleanupState& state = m_cleanupState;
  // A second start while one runs only waits for it.
  if (!m_cleanupSelection.anySelected || state.CleanupRunning) {
    ContinueAfterCleanup();
    return;
  }
  // Nothing may start or change a task while this one collects and deletes;
  // the display refresh enables them again when the task is over.
  for (wxWindow* control : {static_cast<wxWindow*>(m_panelRelative), static_cast<wxWindow*>(m_panelAbsolute),
                            static_cast<wxWindow*>(m_panelTask), static_cast<wxWindow*>(m_startButton)})
    if (control)
      control->Disable();
  if (m_settings.m_closeBrowsers)
    CloseBrowsers();
  DiscoverBrowsers();
  {
    wxBusyCursor busy;
    state.ClearLists();
    cleanup::ItemContext context(state, m_task, m_settings, m_cleanupSelection, *this);
    cleanup::CollectSelectedItems(context);
  }
  state.selection = m_cleanupSelection;
  state.logDeletedFiles = m_settings.m_logDeletedFiles;
  state.CleanupProgressTotal = static_cast<int>(state.PendingFiles.size() + state.PendingFolders.size());
  state.SetCancelled(false);
  state.CleanupRunning = true;
  state.workerActive = true;
  if (!m_settings.m_silentMode)
    OpenProgressDialog();
  if (!(m_startWorker ? m_startWorker() : StartWorker())) {
    state.workerActive = false;
    state.CleanupRunning = false;
    CloseProgressDialog();
    LogError(10614, "Unable to perform Clean-Up.", false);
    state.ClearLists();
    ContinueAfterCleanup();
  }
}

bool CDFrame::StartWorker() {
  auto* worker = new cleanup::CDThread(m_cleanupState, *this);
  if (worker->Create() != wxTHREAD_NO_ERROR) {
    delete worker;
    return false;
  }
  if (worker->Run() != wxTHREAD_NO_ERROR) {
    delete worker;
    return false;
  }
  // Detached: it deletes itself; never waited for by the thread object.
  m_worker = worker;
  return true;
}

void CDFrame::OpenProgressDialog() {
  const int maximum = m_cleanupState.CleanupProgressTotal + 1;
  auto open = [this, maximum] {
    if (!IsCleanupRunning() || m_progressDialog)
      return;
    m_progressDialog = new wxProgressDialog("Performing Clean-UP", kDeletingFiles, maximum, this, kProgressStyle);
  };
  // A progress dialog made before the event loop runs never gets going.
  if (wxTheApp && wxTheApp->IsMainLoopRunning())
    open();
  else
    CallAfter(open);
}

void CDFrame::CloseProgressDialog() {
  delete m_progressDialog;
  m_progressDialog = nullptr;
}

void CDFrame::OnCleanupEvent(wxCommandEvent& event) {
  const int value = event.GetInt();
  if (value == cleanup::kWorkerFinished) {
    CloseProgressDialog();
    m_worker = nullptr;
    m_cleanupState.CleanupRunning = false;
    ContinueAfterCleanup();
    return;
  }
  if (value == cleanup::kIeHistoryStage) {
    RunIeHistoryStage();
    return;
  }
  if (m_settings.m_silentMode || !m_progressDialog)
    return;
  if (!m_progressDialog->Update(std::min(value, m_cleanupState.CleanupProgressTotal), wxEmptyString)) {
    std::lock_guard<std::mutex> lock(m_cleanupState.CleanupLock);
    m_cleanupState.CancelRequested = true;
    StopTask();
  }
}

void CDFrame::RunIeHistoryStage() {
  if (m_task.m_ieVersion >= 7 && m_progressDialog && !m_settings.m_silentMode) {
    m_progressDialog->Pulse(wxEmptyString);
    if (wxWindow* cancel = m_progressDialog->FindWindow(wxID_CANCEL))
      cancel->Disable();
    m_progressDialog->Pulse("Deleting Internet Explorer's files. Please wait...");
  }
  // The DOM storage was collected with the item's other folders, before the
  // worker started, so no list changes under it here.
  cleanup::RunIeHistoryStage(m_task.m_ieVersion, [this](int code, ItemId item) {
    LogError(code, wxString::FromUTF8(ItemRow(item).message), false);
  });
  if (m_task.m_ieVersion >= 7 && m_progressDialog && !m_settings.m_silentMode) {
    m_progressDialog->Update(m_progressDialog->GetValue(), kDeletingFiles);
    if (wxWindow* cancel = m_progressDialog->FindWindow(wxID_CANCEL))
      cancel->Enable();
  }
  m_cleanupState.IeStageActive = false;
}

void CDFrame::WaitForWorker() {
  if (!m_cleanupState.workerActive)
    return;
  m_cleanupState.SetCancelled(true);
  while (m_cleanupState.workerActive)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  CloseProgressDialog();
}
