#include "cleanup/cd_thread.h"

#include <numeric>
#include <optional>

#include <wx/event.h>

#include "app/clock.h"
#include "app/error_log.h"
#include "app/task_host.h"
#include "cleanup/catalogue.h"
#include "cleanup/deleted_files_log.h"
#include "cleanup/internet_explorer.h"
#include "cleanup/system_items.h"
#include "os/internet_cache.h"
#include "os/safe_fs.h"
#include "os/trash.h"

namespace cleanup {

namespace {

std::string Now() { return ErrorLog::CtimeText().ToStdString(wxConvUTF8); }

constexpr char kRecycleBinMessage[] = "An Error occured while emptying the Recycle Bin.";
constexpr char kIndexFileMessage[] = "An Error occured while scheduling an index.dat file for deletion.";

// WinINet's index files are held open while the system runs.
bool IsIndexFile(const std::string& relative) {
  constexpr std::string_view name = "index.dat";
  return relative.ends_with(name) &&
         (relative.size() == name.size() || relative[relative.size() - name.size() - 1] == '/');
}

}  // namespace

CDThread::CDThread(CleanupState& state, CleanupEventTarget& target)
    : wxThread(wxTHREAD_DETACHED), m_state(state), m_target(target) {}

void CDThread::Progress(bool last) {
  const auto now = std::chrono::steady_clock::now();
  if (last || now - m_lastPost >= kProgressInterval) {
    m_lastPost = now;
    m_target.PostCleanupEvent(static_cast<int>(m_progress));
  }
  ++m_progress;
}

void CDThread::ReportError(int code, const char* message) {
  auto* window = dynamic_cast<wxEvtHandler*>(&m_target);
  auto* host = dynamic_cast<TaskHost*>(&m_target);
  if (!window || !host)
    return;
  const std::string text = message;
  // Queued like the progress events: a window that goes drops it with them.
  window->CallAfter([host, code, text] { host->LogError(code, wxString::FromUTF8(text), false); });
}

wxThread::ExitCode CDThread::Entry() {
  CleanupState& state = m_state;
  const bool logging = state.logDeletedFiles;
  std::optional<DeletedFilesLog> log;
  if (logging) {
    state.LogNeedsHeader = true;
    state.DeletedFilesLogPath = DeletedFilesLogPath(EpochSeconds());
    log.emplace(state.DeletedFilesLogPath, state.LogNeedsHeader);
  }
  // Where the recycle bins are folders they were collected with the other
  // files, so progress, Cancel and the log cover them; where the system
  // keeps them, it empties them.
  if (state.selection.Get(ItemId::FreeSpaceRecycleBin)) {
    int code = 0;
    if (os::trash::EmptySystemBins(code) == os::trash::BinResult::Failed)
      ReportError(code, kRecycleBinMessage);
  }
  if (state.selection.Get(ItemId::HistoryRecentDocumentsList))
    ResetRecentDocuments();

  os::safe_fs::Deleter deleter;
  const std::size_t files = state.PendingFiles.size();
  const std::size_t folders = state.PendingFolders.size();
  bool destroyed = false;
  m_progress = 0;
  while (!state.IsCleanupCancelled() && m_progress < files) {
    if (TestDestroy()) {
      destroyed = true;
      break;
    }
    const PendingEntry& entry = state.PendingFiles[m_progress];
    if (logging) {
      const double size = deleter.Size(*entry.base, entry.relative);
      state.FreedSizes.push_back(size);
      log->Write(FormatFileLine(Now(), entry.Path(), size));
    }
    // Gone already, or not deletable: left as it is, without a report, but
    // for an index file the system holds open.
    if (!deleter.DeleteFile(*entry.base, entry.relative) && IsIndexFile(entry.relative)) {
      int code = 0;
      if (os::internet_cache::RetireLockedIndex(entry.Path(), code) == os::internet_cache::Status::Failed)
        ReportError(code, kIndexFileMessage);
    }
    Progress(m_progress + 1 == files && folders == 0);
  }
  for (std::size_t folder = 0; !destroyed && !state.IsCleanupCancelled() && folder < folders; ++folder) {
    if (TestDestroy()) {
      destroyed = true;
      break;
    }
    const PendingEntry& entry = state.PendingFolders[folder];
    if (logging)
      log->Write(FormatFolderLine(Now(), entry.Path()));
    deleter.RemoveFolder(*entry.base, entry.relative);  // only when empty
    Progress(folder + 1 == folders);
  }
  if (destroyed)
    state.ClearLists();

  if (state.selection.Get(ItemId::BrowserHistoryInternetExplorer)) {
    state.IeStageActive = true;
    m_target.PostCleanupEvent(kIeHistoryStage);
    Sleep(1);
  }
  // Also after Cancel: only the loops stop.
  PurgeIeUrlCache(state.selection, [this](int code, ItemId item) { ReportError(code, ItemRow(item).message); });

  if (logging) {
    const double total = std::accumulate(state.FreedSizes.begin(), state.FreedSizes.end(), 0.0);
    log->Write(FormatTotal(total, state.PendingFiles.size(), state.PendingFolders.size()));
    log->Close();
    state.DeletedFilesLogPath.clear();
    if (log->Refused() != 0)
      ReportError(log->Refused(), kLogRefusedMessage);
  }
  // Emptied before the end is reported: once the owner has seen the end it
  // may go, so nothing of its state may be touched after that.
  state.ClearLists();
  m_target.PostCleanupEvent(kWorkerFinished);
  state.workerActive = false;
  return nullptr;
}

}  // namespace cleanup
