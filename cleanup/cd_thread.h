#pragma once
// The clean-up worker: deletes the collected files and folders, writes the
// deleted-files log and reports by posting events. It touches no window.
#include <chrono>

#include <wx/thread.h>

#include "cleanup/cleanup_events.h"
#include "cleanup/cleanup_state.h"

namespace cleanup {

class CDThread : public wxThread {
 public:
  // Progress is posted at most this often (plus the last entry), so that a
  // run of many small files does not flood the GUI thread.
  static constexpr std::chrono::milliseconds kProgressInterval{50};

  CDThread(CleanupState& state, CleanupEventTarget& target);

 protected:
  void OnExit() override {}
  ExitCode Entry() override;

 private:
  // Posts the progress index of the entry just processed when it is due,
  // then counts it.
  void Progress(bool last);
  // The worker's own failure, for the error log that only the GUI thread
  // writes: posted to the main window, which is both the event target and
  // the task's host, ahead of the end event.
  void ReportError(int code, const char* message);

  CleanupState& m_state;
  CleanupEventTarget& m_target;
  unsigned m_progress = 0;
  std::chrono::steady_clock::time_point m_lastPost{};
};

}  // namespace cleanup
