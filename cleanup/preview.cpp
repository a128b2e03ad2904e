#include "cleanup/preview.h"

#include <cstdio>
#include <utility>

#include <nlohmann/json.hpp>

#include "app/cleanup_items.h"
#include "cleanup/browser_items.h"
#include "cleanup/cleanup_state.h"
#include "cleanup/item_context.h"
#include "os/safe_fs.h"

namespace cleanup {

namespace {

// Tables whose rows have a name people know; the others are shown as rows.
struct TableNoun {
  const char* table;
  const char* one;
  const char* many;
};

constexpr TableNoun kTableNouns[] = {
    {"moz_historyvisits", "visit", "visits"},
    {"visits", "visit", "visits"},
    {"moz_places", "page", "pages"},
    {"urls", "page", "pages"},
    {"cookies", "cookie", "cookies"},
    {"moz_inputhistory", "typed entry", "typed entries"},
    {"keyword_search_terms", "search term", "search terms"},
    {"omni_box_shortcuts", "address-bar shortcut", "address-bar shortcuts"},
    {"downloads", "download", "downloads"},
    {"autofill", "form entry", "form entries"},
    {"credit_cards", "card", "cards"},
    {"logins", "login", "logins"},
    {"top_sites", "top site", "top sites"},
    {"moz_favicons", "icon", "icons"},
    {"moz_icons", "icon", "icons"},
    {"favicons", "icon", "icons"},
};

std::string RowsText(const std::string& table, std::uint64_t count) {
  for (const TableNoun& row : kTableNouns)
    if (table == row.table)
      return std::to_string(count) + " " + (count == 1 ? row.one : row.many);
  return std::to_string(count) + (count == 1 ? " row of " : " rows of ") + table;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

bool Cancelled(const std::atomic<bool>* cancel) { return cancel && cancel->load(); }

// Sizes are read every this many files between looks at Cancel.
constexpr std::size_t kCancelStride = 4096;

const char* KindName(PreviewEntry::Kind kind) {
  switch (kind) {
    case PreviewEntry::Kind::File:
      return "file";
    case PreviewEntry::Kind::Folder:
      return "folder";
    case PreviewEntry::Kind::Rows:
      return "rows";
    case PreviewEntry::Kind::Other:
      break;
  }
  return "other";
}

// A tab or line break in a file name must not break the line format.
std::string Escaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out;
}

}  // namespace

const std::string& PreviewEntry::Place() const {
  static const std::string none;
  return place ? *place : none;
}

std::uint64_t PreviewItem::Bytes() const {
  std::uint64_t bytes = 0;
  for (const PreviewEntry& entry : entries)
    bytes += entry.bytes;
  return bytes;
}

std::uint64_t Preview::Bytes() const {
  std::uint64_t bytes = 0;
  for (const PreviewItem& item : items)
    bytes += item.Bytes();
  return bytes;
}

void PreviewRecorder::Rows(const std::string& database, const std::string& table, std::uint64_t count) {
  if (count == 0)
    return;
  PreviewEntry entry;
  entry.kind = PreviewEntry::Kind::Rows;
  entry.place = std::make_shared<const std::string>(FolderOf(database));
  entry.what = RowsText(table, count) + " in " + database;
  entry.rows = count;
  m_entries.push_back(std::move(entry));
}

void PreviewRecorder::WouldClear(const std::string& what) {
  PreviewEntry entry;
  entry.kind = PreviewEntry::Kind::Other;
  entry.what = what;
  m_entries.push_back(std::move(entry));
}

void PreviewRecorder::Problem(int code, const wxString& message) {
  m_problems.push_back({code, message.utf8_string()});
}

void PreviewRecorder::TakeInto(PreviewItem& item) {
  for (PreviewEntry& entry : m_entries)
    item.entries.push_back(std::move(entry));
  for (PreviewProblem& problem : m_problems)
    item.problems.push_back(std::move(problem));
  m_entries.clear();
  m_problems.clear();
}

Preview RunPreview(const CleanupSelection& selection, Task& task, const Settings& settings, TaskHost& host,
                   const std::atomic<bool>* cancel, const std::function<void(std::size_t, std::size_t)>& step) {
  Preview preview;
  std::vector<const CatalogueEntry*> selected;
  for (const CatalogueEntry& entry : Catalogue())
    if (selection.Get(entry.id))
      selected.push_back(&entry);

  DiscoverBrowsers(task);
  CleanupState state;
  PreviewRecorder recorder;
  ItemContext context(state, task, settings, selection, host);
  context.SetPreview(&recorder);
  os::safe_fs::Deleter sizes;
  for (std::size_t done = 0; done < selected.size(); ++done) {
    if (Cancelled(cancel))
      break;
    const CatalogueEntry& entry = *selected[done];
    PreviewItem item;
    item.id = entry.id;
    item.availability = ItemAvailability(entry.id);
    if (entry.collect) {
      context.SetRow(&ItemRow(entry.id));
      entry.collect(context);
      context.SetRow(nullptr);
    }
    item.entries.reserve(state.PendingFiles.size() + state.PendingFolders.size());
    // Entries come grouped by the folder they were found in: one string each.
    const os::safe_fs::Base* lastBase = nullptr;
    std::shared_ptr<const std::string> place;
    const auto placeOf = [&](const PendingEntry& entry) {
      if (entry.base.get() != lastBase) {
        lastBase = entry.base.get();
        place = std::make_shared<const std::string>(entry.base->Path());
      }
      return place;
    };
    for (std::size_t i = 0; i < state.PendingFiles.size(); ++i) {
      if (i % kCancelStride == 0 && Cancelled(cancel))
        break;
      const PendingEntry& file = state.PendingFiles[i];
      const double size = sizes.Size(*file.base, file.relative);
      item.entries.push_back({PreviewEntry::Kind::File, placeOf(file), file.Path(),
                              size > 0 ? static_cast<std::uint64_t>(size) : 0, 0});
    }
    for (const PendingEntry& folder : state.PendingFolders)
      item.entries.push_back({PreviewEntry::Kind::Folder, placeOf(folder), folder.Path(), 0, 0});
    recorder.TakeInto(item);
    state.ClearLists();
    preview.items.push_back(std::move(item));
    if (step)
      step(done + 1, selected.size());
  }
  preview.cancelled = Cancelled(cancel);
  return preview;
}

std::string ItemName(ItemId id) {
  const CleanupItem& row = ItemRow(id);
  return std::string(row.key) + "/" + row.token;
}

std::string FormatBytes(std::uint64_t bytes) {
  if (bytes < 1024)
    return std::to_string(bytes) + " B";
  const char* const units[] = {"KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes) / 1024.0;
  std::size_t unit = 0;
  while (value >= 1024.0 && unit + 1 < std::size(units)) {
    value /= 1024.0;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
  return text;
}

std::string PreviewLines(const Preview& preview) {
  std::string out;
  for (const PreviewItem& item : preview.items) {
    const std::string name = ItemName(item.id);
    if (!item.availability.available)
      out += name + "\t0\tnot available here: " + item.availability.reason.utf8_string() + "\n";
    for (const PreviewEntry& entry : item.entries)
      out += name + "\t" + std::to_string(entry.bytes) + "\t" + Escaped(entry.what) + "\n";
  }
  out += "Total\t" + std::to_string(preview.Bytes()) + "\t" + FormatBytes(preview.Bytes()) + "\n";
  return out;
}

std::string PreviewJson(const Preview& preview) {
  nlohmann::ordered_json items = nlohmann::ordered_json::array();
  for (const PreviewItem& item : preview.items) {
    nlohmann::ordered_json entries = nlohmann::ordered_json::array();
    for (const PreviewEntry& entry : item.entries) {
      nlohmann::ordered_json one = {{"kind", KindName(entry.kind)}, {"bytes", entry.bytes}, {"what", entry.what}};
      if (entry.kind == PreviewEntry::Kind::Rows)
        one["rows"] = entry.rows;
      entries.push_back(std::move(one));
    }
    nlohmann::ordered_json problems = nlohmann::ordered_json::array();
    for (const PreviewProblem& problem : item.problems)
      problems.push_back({{"code", problem.code}, {"message", problem.message}});
    nlohmann::ordered_json one = {{"item", ItemName(item.id)},
                                  {"available", item.availability.available},
                                  {"bytes", item.Bytes()},
                                  {"entries", std::move(entries)},
                                  {"problems", std::move(problems)}};
    if (!item.availability.available)
      one["reason"] = item.availability.reason.utf8_string();
    items.push_back(std::move(one));
  }
  nlohmann::ordered_json document = {{"items", std::move(items)}, {"total", preview.Bytes()}};
  if (preview.cancelled)
    document["cancelled"] = true;
  // Paths are bytes, not always UTF-8: never abort on one.
  return document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace cleanup
