#include "cleanup/item_context.h"

#include <algorithm>
#include <unordered_set>

#include "app/task_host.h"
#include "cleanup/cleanup_state.h"
#include "cleanup/preview.h"
#include "os/safe_fs.h"

namespace cleanup {

namespace {

constexpr const char* kCompanions[] = {"-wal", "-shm", "-journal"};

// The database a companion file belongs to, or empty.
std::string DatabaseOf(const std::string& path) {
  for (const char* suffix : kCompanions) {
    const std::string_view end(suffix);
    if (path.size() > end.size() && path.compare(path.size() - end.size(), end.size(), end) == 0)
      return path.substr(0, path.size() - end.size());
  }
  return {};
}

std::string JoinPath(const std::string& folder, const std::string& relative) {
  if (folder.empty())
    return relative;
  return folder.back() == '/' ? folder + relative : folder + "/" + relative;
}

}  // namespace

ItemContext::ItemContext(CleanupState& state, Task& task, const Settings& settings, const CleanupSelection& selection,
                         TaskHost& host)
    : m_state(state), m_task(task), m_settings(settings), m_selection(selection), m_host(host) {}

ItemContext::~ItemContext() = default;

void ItemContext::LogError(int code) { LogError(code, m_row ? wxString::FromUTF8(m_row->message) : wxString()); }

void ItemContext::LogError(int code, const wxString& message) {
  if (code != 0 && m_preview)
    m_preview->Problem(code, message);
  else if (code != 0)
    m_host.LogError(code, message, false);
}

void ItemContext::Report(const CollectOptions& options, int ItemCodes::*which) {
  const ItemCodes codes = options.codes ? *options.codes : (m_row ? m_row->codes : ItemCodes{});
  const int code = codes.*which;
  if (code == 0)
    return;
  if (options.message)
    LogError(code, *options.message);
  else
    LogError(code);
}

bool ItemContext::SpecialFolder(os::folders::Special which, std::string& path) {
  if (os::folders::GetSpecialFolder(which, path) && !path.empty())
    return true;
  // The user's own folders always exist somewhere: an empty answer means the
  // environment lacks them. The others are simply not kept here.
  using os::folders::Special;
  if (which == Special::Profile || which == Special::AppData || which == Special::LocalAppData) {
    CollectOptions options;
    Report(options, &ItemCodes::emptyBase);
  }
  return false;
}

const std::set<os::safe_fs::FileId>& ItemContext::OpenFiles() {
  if (!m_openFiles)
    m_openFiles = std::make_unique<std::set<os::safe_fs::FileId>>(os::safe_fs::OpenFilesOfUser());
  return *m_openFiles;
}

CollectResult ItemContext::CollectFolder(const std::string& folder, const CollectOptions& options) {
  return CollectFolder(folder, std::string(), options);
}

CollectResult ItemContext::CollectFolder(const std::string& root, const std::string& below,
                                         const CollectOptions& options) {
  os::safe_fs::OpenResult opened = os::safe_fs::OpenResult::Failed;
  auto base = os::safe_fs::OpenBase(root, below, options.shared, opened);
  return Collect(std::move(base), opened, options);
}

CollectResult ItemContext::CollectFolder(const os::safe_fs::Base& parent, const std::string& below,
                                         const CollectOptions& options) {
  os::safe_fs::OpenResult opened = os::safe_fs::OpenResult::Failed;
  auto base = os::safe_fs::OpenBelow(parent, below, options.shared, opened);
  return Collect(std::move(base), opened, options);
}

CollectResult ItemContext::Collect(std::shared_ptr<const os::safe_fs::Base> base, os::safe_fs::OpenResult opened,
                                   const CollectOptions& options) {
  using os::safe_fs::OpenResult;
  switch (opened) {
    case OpenResult::Ok:
      break;
    case OpenResult::Missing:
      return CollectResult::Missing;
    case OpenResult::Refused:
      if (options.report)
        Report(options, &ItemCodes::notOpened);
      return CollectResult::Refused;
    case OpenResult::Failed:
      if (options.report)
        Report(options, &ItemCodes::notOpened);
      return CollectResult::NotOpened;
  }

  os::safe_fs::WalkOptions walk;
  if (options.shared)
    walk.openFiles = &OpenFiles();
  walk.keep = options.keep;
  std::vector<std::string> files;
  std::vector<std::string> folders;
  const bool complete = os::safe_fs::Walk(*base, walk, [&](const std::string& relative, os::safe_fs::EntryKind kind) {
    if (kind == os::safe_fs::EntryKind::Folder) {
      if (options.folders)
        folders.push_back(relative);
    } else if (options.files) {
      files.push_back(relative);
    }
  });
  const ItemCodes codes = options.codes ? *options.codes : (m_row ? m_row->codes : ItemCodes{});
  // Where an item has no traversal code its walk's result is ignored.
  if (!complete && codes.traversal != 0) {
    if (options.report)
      Report(options, &ItemCodes::traversal);
    return CollectResult::TraversalFailed;
  }

  if (options.fileFilter) {
    // A database's companions follow its decision.
    std::unordered_set<std::string> found(files.begin(), files.end());
    std::unordered_set<std::string> accepted;
    for (const std::string& relative : files)
      if (DatabaseOf(relative).empty() || !found.count(DatabaseOf(relative)))
        if (options.fileFilter(JoinPath(base->Path(), relative)))
          accepted.insert(relative);
    std::erase_if(files, [&](const std::string& relative) {
      const std::string database = DatabaseOf(relative);
      return !accepted.count(!database.empty() && found.count(database) ? database : relative);
    });
  }
  if (options.folderFilter)
    std::erase_if(folders, [&](const std::string& relative) { return !options.folderFilter(JoinPath(base->Path(), relative)); });

  m_state.PendingFiles.reserve(m_state.PendingFiles.size() + files.size());
  for (std::string& relative : files)
    m_state.PendingFiles.push_back({base, std::move(relative)});
  // Children before their parents.
  for (auto it = folders.rbegin(); it != folders.rend(); ++it)
    m_state.PendingFolders.push_back({base, std::move(*it)});
  return CollectResult::Collected;
}

bool ItemContext::AddFile(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos || slash + 1 == path.size())
    return false;
  const std::string folder = slash == 0 ? std::string("/") : path.substr(0, slash);
  const std::string name = path.substr(slash + 1);
  os::safe_fs::OpenResult opened = os::safe_fs::OpenResult::Failed;
  auto base = os::safe_fs::OpenBase(folder, std::string(), false, opened, os::safe_fs::Use::NamedFiles);
  if (!base || !os::safe_fs::IsFileOrLink(*base, name))
    return false;
  m_state.PendingFiles.push_back({base, name});
  for (const char* suffix : kCompanions)
    if (os::safe_fs::IsFileOrLink(*base, name + suffix))
      m_state.PendingFiles.push_back({base, name + suffix});
  return true;
}

}  // namespace cleanup
