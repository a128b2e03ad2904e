#pragma once
// Where the clean-up worker reports to: the main window implements this by
// queueing a command event with identifier 9111 (never sending it).
namespace cleanup {

// Values of the worker's events.
constexpr int kWorkerFinished = -1;
constexpr int kIeHistoryStage = -2;
// 0 or more: the entry of this progress index has been processed.

class CleanupEventTarget {
 public:
  virtual ~CleanupEventTarget() = default;
  // Thread-safe; called from the worker thread.
  virtual void PostCleanupEvent(int value) = 0;
};

}  // namespace cleanup
