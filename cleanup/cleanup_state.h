#pragma once
// The state of one clean-up run, owned by the main window and shared with the
// worker thread. The worker only reads it, except for the fields named below,
// and reports back by posting events (cleanup_events.h).
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/cleanup_selection.h"

namespace os::safe_fs {
class Base;
}

namespace cleanup {

// One collected file or folder. It keeps the folder it was found in open, so
// deletion happens relative to that folder and can never be redirected out
// of it by a link swapped in after collection.
struct PendingEntry {
  std::shared_ptr<const os::safe_fs::Base> base;  // the walked folder
  std::string relative;                           // path below it, '/'-separated
  // Full path, for the deleted-files log and messages.
  std::string Path() const;
};

struct CleanupState {
  // Collected by the GUI thread before the worker starts; emptied by the worker
  // at its end, or by the GUI thread when no worker runs.
  std::vector<PendingEntry> PendingFiles;
  std::vector<PendingEntry> PendingFolders;  // children before their parents
  std::vector<double> FreedSizes;            // bytes of each file written to the log
  std::string DeletedFilesLogPath;           // emptied at the end of the run
  bool LogNeedsHeader = false;

  // What the worker needs from the options, copied when the run starts.
  bool logDeletedFiles = false;
  CleanupSelection selection;

  std::mutex CleanupLock;  // guards CancelRequested
  bool CancelRequested = false;

  std::atomic<bool> CleanupRunning{false};  // set when the worker starts, cleared by the GUI thread at -1
  std::atomic<bool> IeStageActive{false};
  int CleanupProgressTotal = 0;
  // Set before the worker runs, cleared by it as its very last step: the
  // owner must not go while it is set.
  std::atomic<bool> workerActive{false};

  bool IsCleanupCancelled() {
    std::lock_guard<std::mutex> lock(CleanupLock);
    return CancelRequested;
  }
  void SetCancelled(bool cancelled) {
    std::lock_guard<std::mutex> lock(CleanupLock);
    CancelRequested = cancelled;
  }
  // Empties the three lists (GUI thread only while no worker runs).
  void ClearLists();
};

}  // namespace cleanup
