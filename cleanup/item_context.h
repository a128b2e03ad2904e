#pragma once
// What an item procedure (catalogue.h) works with while the clean-up
// collects, on the GUI thread: the current task and options, the item's own
// message and codes, the safe folder walker and the pending lists.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include <wx/string.h>

#include "app/cleanup_selection.h"
#include "app/settings.h"
#include "cleanup/catalogue.h"
#include "os/folders.h"
#include "os/safe_fs.h"

class Task;
class TaskHost;

namespace cleanup {

struct CleanupState;
class PreviewRecorder;

enum class CollectResult {
  Collected,        // walked; what passed the filters is pending
  Missing,          // no such folder: nothing done, nothing reported
  Refused,          // not a folder the clean-up may walk (/, the home folder, a system folder): not-opened code
  NotOpened,        // exists but cannot be opened: not-opened code
  TraversalFailed,  // the walk failed part-way: traversal code, nothing added
};

struct CollectOptions {
  bool files = true;    // add the files found
  bool folders = true;  // add the sub-folders found (children first); the walked folder itself stays
  // Report the not-opened and traversal codes (some items walk silently).
  bool report = true;
  // A folder other users and programs share (temporary files, a volume's
  // trash): only the user's own entries, never sockets, FIFOs or devices,
  // never a file that one of the user's processes holds open.
  bool shared = false;
  // Full path of a found file -> add it? Null: every file. SQLite companions
  // ("-wal", "-shm", "-journal") follow the decision for their database.
  std::function<bool(const std::string& path)> fileFilter;
  // Full path of a found sub-folder -> add it? Null: every sub-folder.
  std::function<bool(const std::string& path)> folderFilter;
  // Name of an entry directly in the walked folder -> keep it whole (it is
  // neither added nor entered)? Null: none.
  std::function<bool(const std::string& name)> keep;
  // Codes and message to report with instead of the row's.
  std::optional<ItemCodes> codes;
  std::optional<wxString> message;
};

class ItemContext {
 public:
  ItemContext(CleanupState& state, Task& task, const Settings& settings, const CleanupSelection& selection,
              TaskHost& host);
  ~ItemContext();
  ItemContext(const ItemContext&) = delete;
  ItemContext& operator=(const ItemContext&) = delete;

  Task& CurrentTask() { return m_task; }
  const Settings& Options() const { return m_settings; }  // e.g. m_ignoreBrowserVersion
  const CleanupSelection& Selection() const { return m_selection; }
  bool Selected(ItemId id) const { return m_selection.Get(id); }

  // The row of the item being processed (set by the runner before each
  // procedure).
  const CleanupItem& Row() const { return *m_row; }
  void SetRow(const CleanupItem* row) { m_row = row; }

  // Reports through the main window's error log without a message box, with
  // the row's message unless one is given.
  void LogError(int code);
  void LogError(int code, const wxString& message);

  // A special folder of the user. Where the platform has none the item ends
  // silently (false); an empty answer reports the row's emptyBase code.
  bool SpecialFolder(os::folders::Special which, std::string& path);

  // Walks the folder safely (no link below it is followed, the walk stays on
  // the folder's file system) and adds what it finds to the pending lists.
  // Links on the way to `folder` itself are followed where only the user or
  // root can have made them (a profile may live anywhere the user chose),
  // never in a shared or someone else's folder (os/safe_fs.h).
  CollectResult CollectFolder(const std::string& folder, const CollectOptions& options = {});
  // The same for root + "/" + below, where no link in `below` is followed
  // either (e.g. root = the cache home, below = "mozilla/firefox/x/cache2").
  CollectResult CollectFolder(const std::string& root, const std::string& below, const CollectOptions& options);
  // The same for `below` inside a folder that is already open (a volume's
  // trash folder): opened relative to it, never by its path.
  CollectResult CollectFolder(const os::safe_fs::Base& parent, const std::string& below, const CollectOptions& options);

  // Adds one file if it exists (a regular file or a link, never followed);
  // an SQLite database's "-wal", "-shm" and "-journal" companions go with it.
  // False when there was nothing to add.
  bool AddFile(const std::string& path);

  CleanupState& State() { return m_state; }

  // Set for a preview: the procedures only collect, the steps that are no
  // file deletion tell the recorder what they would do, and failures go to
  // it instead of the error log.
  void SetPreview(PreviewRecorder* recorder) { m_preview = recorder; }
  PreviewRecorder* Previewer() const { return m_preview; }

 private:
  void Report(const CollectOptions& options, int ItemCodes::*which);
  CollectResult Collect(std::shared_ptr<const os::safe_fs::Base> base, os::safe_fs::OpenResult opened,
                        const CollectOptions& options);

  CleanupState& m_state;
  Task& m_task;
  const Settings& m_settings;
  const CleanupSelection& m_selection;
  TaskHost& m_host;
  const CleanupItem* m_row = nullptr;
  PreviewRecorder* m_preview = nullptr;
  // Files the user's processes hold open, read once per clean-up.
  const std::set<std::pair<std::uint64_t, std::uint64_t>>& OpenFiles();
  std::unique_ptr<std::set<std::pair<std::uint64_t, std::uint64_t>>> m_openFiles;
};

}  // namespace cleanup
