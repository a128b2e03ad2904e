#pragma once
// A BrowserSink for tests: walks folders itself (applying the item's
// filters), records what would be deleted and every reported error, and can
// delete the recorded entries as the worker would.
#include <filesystem>
#include <string>
#include <vector>

#include "app/task.h"
#include "cleanup/browser_procedures.h"

struct ReportedError {
  int code;
  std::string message;
};

class RecordingSink : public cleanup::BrowserSink {
 public:
  using BrowserSink::LogError;

  Task& CurrentTask() override { return task; }
  bool IgnoreBrowserVersion() const override { return ignoreBrowserVersion; }
  cleanup::BrowserPlaces Places() const override { return places; }
  wxString Message() const override { return message; }
  void LogError(int code, const wxString& text) override { errors.push_back({code, text.utf8_string()}); }

  cleanup::CollectResult CollectFolder(const std::string& folder, const cleanup::CollectOptions& options) override {
    namespace fs = std::filesystem;
    walked.push_back(folder);
    std::error_code error;
    if (!fs::is_directory(folder, error))
      return cleanup::CollectResult::Missing;
    std::vector<std::string> subfolders;
    for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
      std::string path = it->path().string();
      if (it->is_directory() && !it->is_symlink()) {
        if (options.folders && (!options.folderFilter || options.folderFilter(path)))
          subfolders.push_back(path);
      } else if (options.files && (!options.fileFilter || options.fileFilter(path))) {
        files.push_back(path);
      }
    }
    if (error)
      return cleanup::CollectResult::TraversalFailed;
    folders.insert(folders.end(), subfolders.rbegin(), subfolders.rend());
    return cleanup::CollectResult::Collected;
  }

  bool AddFile(const std::string& path) override {
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, error)))
      return false;
    files.push_back(path);
    for (const char* companion : {"-wal", "-shm", "-journal"})
      if (std::filesystem::exists(path + companion, error))
        files.push_back(path + companion);
    return true;
  }

  // What the worker would do with the pending lists.
  void DeletePending() {
    std::error_code error;
    for (const std::string& file : files)
      std::filesystem::remove(file, error);
    for (const std::string& folder : folders)
      std::filesystem::remove(folder, error);
  }

  bool HasFile(const std::string& path) const {
    for (const std::string& file : files)
      if (file == path)
        return true;
    return false;
  }

  Task task;
  bool ignoreBrowserVersion = false;
  cleanup::BrowserPlaces places;
  wxString message = "An Error occured while testing.";
  std::vector<std::string> files;
  std::vector<std::string> folders;
  std::vector<std::string> walked;
  std::vector<ReportedError> errors;
};
