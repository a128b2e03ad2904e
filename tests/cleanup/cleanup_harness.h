#pragma once
// One clean-up run without a window: a sandbox, the run's state, a host
// that records the error log, and a worker target that records its events.
#include <gtest/gtest.h>

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

  void Select(const char* key, const char* token) {
    selection.items[cleanup::ItemIndex(key, token)] = true;
    selection.anySelected = true;
  }
  void Collect() {
    cleanup::ItemContext context(state, task, settings, selection, host);
    cleanup::CollectSelectedItems(context);
  }
  // Runs the worker on its own thread and waits for its end.
  void RunWorker() {
    state.selection = selection;
    state.logDeletedFiles = settings.m_logDeletedFiles;
    state.workerActive = true;
    state.CleanupRunning = true;
    auto* worker = new cleanup::CDThread(state, target);
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
