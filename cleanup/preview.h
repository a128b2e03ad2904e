#pragma once
// A clean-up that only looks: every selected item's own procedure runs in
// its collect-only mode (item_context.h), so what is listed is what a run
// deletes. Nothing is closed, written, deleted or created.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/string.h>

#include "app/cleanup_selection.h"
#include "cleanup/browser_database.h"
#include "cleanup/catalogue.h"

class Task;
class TaskHost;
struct Settings;

namespace cleanup {

struct PreviewEntry {
  enum class Kind { File, Folder, Rows, Other };
  Kind kind = Kind::File;
  // The folder it lies in (a walked folder, a profile), shared by the
  // entries found there; null for what lies in none.
  std::shared_ptr<const std::string> place;
  std::string what;   // full path, "900 visits in <database>", or what a step would clear
  std::uint64_t bytes = 0;
  std::uint64_t rows = 0;
  const std::string& Place() const;
};

struct PreviewProblem {
  int code = 0;
  std::string message;
};

struct PreviewItem {
  ItemId id{};
  Availability availability;
  std::vector<PreviewEntry> entries;
  std::vector<PreviewProblem> problems;  // what a run would write to the error log
  std::uint64_t Bytes() const;
};

struct Preview {
  std::vector<PreviewItem> items;  // the selected ones, in processing order
  bool cancelled = false;
  std::uint64_t Bytes() const;
};

// What the steps that delete no file say they would do, for the item
// running now.
class PreviewRecorder : public RowCounter {
 public:
  void Rows(const std::string& database, const std::string& table, std::uint64_t count) override;
  void WouldClear(const std::string& what);
  void Problem(int code, const wxString& message);
  // Moves everything recorded since the last call into the item.
  void TakeInto(PreviewItem& item);

 private:
  std::vector<PreviewEntry> m_entries;
  std::vector<PreviewProblem> m_problems;
};

// Discovers the browsers into `task` and previews the selected items. Runs
// on any thread when `host` may be called from it. `cancel` is looked at
// between items and while the sizes are read; `step` is told after each
// item (done, total).
Preview RunPreview(const CleanupSelection& selection, Task& task, const Settings& settings, TaskHost& host,
                   const std::atomic<bool>* cancel = nullptr,
                   const std::function<void(std::size_t, std::size_t)>& step = {});

// "Free_Space/Temp": how a task file names the item.
std::string ItemName(ItemId id);
// "0 B", "900 B", "1.5 KB", "12.3 MB", "2.0 GB".
std::string FormatBytes(std::uint64_t bytes);
// One "item<TAB>bytes<TAB>what" line per entry, then the total line.
std::string PreviewLines(const Preview& preview);
std::string PreviewJson(const Preview& preview);

}  // namespace cleanup
