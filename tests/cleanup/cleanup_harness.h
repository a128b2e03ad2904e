#pragma once
// One clean-up run without a window: a sandbox, the run's state, a host
// that records the error log, and a worker target that records its events.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <wx/event.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "app/settings.h"
#include "app/task.h"
#include "app/task_host.h"
#include "cleanup/catalogue.h"
#include "cleanup/cd_thread.h"
#include "cleanup/item_context.h"
#include "cleanup/runner.h"
#include "tests/support/sandbox.h"

namespace fs = std::filesystem;

struct RecordingHost : TaskHost {
  void LogError(int code, const wxString& message, bool showBox) override {
    errors.push_back({code, message.utf8_string()});
    EXPECT_FALSE(showBox);
  }
  bool IsTaskFileRun() const override { return false; }
  bool FileAlarmExtra() const override { return false; }
  bool AlarmPageOn() const override { return false; }
  bool IgnoreBrowserVersion() const override { return false; }
  void CloseMainWindow() override {}
  std::vector<std::pair<int, std::string>> errors;
};

struct RecordingTarget : cleanup::CleanupEventTarget {
  void PostCleanupEvent(int value) override {
    if (onEvent)
      onEvent(value);
    std::lock_guard<std::mutex> lock(mutex);
    values.push_back(value);
    changed.notify_all();
  }
  std::vector<int> Values() {
    std::lock_guard<std::mutex> lock(mutex);
    return values;
  }
  std::function<void(int)> onEvent;  // runs on the worker thread
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<int> values;
};

class CleanupRun {
 public:
  CleanupRun() : task(&host) { task.CheckSystem(); }

  void Select(ItemId id) {
    selection.Set(id, true);
    selection.anySelected = true;
  }
  void Collect() {
    cleanup::ItemContext context(state, task, settings, selection, host);
    cleanup::CollectSelectedItems(context);
  }
  // Runs the worker on its own thread and waits for its end (reporting to
  // `other` instead of `target` when given).
  void RunWorker(cleanup::CleanupEventTarget* other = nullptr) {
    state.selection = selection;
    state.logDeletedFiles = settings.m_logDeletedFiles;
    state.workerActive = true;
    state.CleanupRunning = true;
    auto* worker = new cleanup::CDThread(state, other ? *other : target);
    ASSERT_EQ(worker->Create(), wxTHREAD_NO_ERROR);
    ASSERT_EQ(worker->Run(), wxTHREAD_NO_ERROR);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (state.workerActive && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_FALSE(state.workerActive) << "worker did not finish";
    state.CleanupRunning = false;
  }
  void Clean() {
    Collect();
    RunWorker();
  }
  bool Logged(int code) const {
    for (const auto& [logged, message] : host.errors)
      if (logged == code)
        return true;
    return false;
  }

  Sandbox sandbox;
  RecordingHost host;
  RecordingTarget target;
  Task task;
  Settings settings;
  CleanupSelection selection;
  cleanup::CleanupState state;
};

// The main window's three parts in one object, as in CDFrame: the worker
// posts its error-log entries to it (handled by wxTheApp->ProcessPendingEvents()).
struct WindowLikeTarget : wxEvtHandler, RecordingHost, RecordingTarget {};

inline std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text)
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs this program's disabled test `inner` once more, in a private mount
// namespace (root only), after the shell commands `setup` have run there:
// what is mounted there is never seen outside and goes with the namespace.
// The inner test runs only where DKWT_IN_NAMESPACE is set. Returns its exit
// status, or -1 with `why` when no such namespace can be made here.
// An empty `inner` runs only `setup` (to find out whether it works here).
inline int RunInPrivateMountNamespace(const std::string& setup, const std::string& inner, std::string& why) {
  if (::geteuid() != 0) {
    why = "a private mount namespace needs root";
    return -1;
  }
  if (std::system("unshare -m --propagation private true >/dev/null 2>&1") != 0) {
    why = "unshare -m does not work here";
    return -1;
  }
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  std::string script = "set -e\n" + setup + "\n";
  if (!inner.empty())
    script += "exec env DKWT_IN_NAMESPACE=1 \"$0\" --gtest_also_run_disabled_tests --gtest_filter=" + inner + "\n";
  const std::string command =
      "unshare -m --propagation private sh -c " + Quoted(script) + " " + Quoted(self.string());
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

#define DKWT_ONLY_IN_NAMESPACE()                                                   \
  do {                                                                             \
    if (!std::getenv("DKWT_IN_NAMESPACE"))                                         \
      GTEST_SKIP() << "runs only inside its outer test's private mount namespace"; \
  } while (0)

inline void Touch(const fs::path& path, const std::string& content = "x") { Sandbox::WriteFile(path, content); }

// Every file and folder below `root`, relative, sorted (links not followed).
inline void Walk(const fs::path& root, const fs::path& folder, std::vector<std::string>& out) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    out.push_back(fs::relative(entry.path(), root).string());
    if (fs::is_directory(fs::symlink_status(entry.path())))
      Walk(root, entry.path(), out);
  }
}
inline std::vector<std::string> Tree(const fs::path& root) {
  std::vector<std::string> out;
  Walk(root, root, out);
  std::sort(out.begin(), out.end());
  return out;
}
