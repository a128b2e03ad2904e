// The file items of the system rows: where they act comes from the
// platform's location table, what they do is the same everywhere.
#include "cleanup/system_items.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "cleanup/cleanup_state.h"
#include "cleanup/java_deployment.h"
#include "cleanup/preview.h"
#include "os/cleanup_locations.h"
#include "os/clipboard.h"
#include "os/folders.h"
#include "os/recent_documents.h"
#include "os/sysinfo.h"
#include "os/trash.h"

namespace cleanup {

namespace {

using os::cleanup_locations::Location;
using os::cleanup_locations::What;

bool EndsWith(const std::string& text, std::string_view end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/')
    return folder + name;
  return folder + "/" + name;
}

// '*' matches any run of characters, separators included.
bool MatchWild(std::string_view pattern, std::string_view text);

// The running session's files in a shared temporary folder.
bool SessionFile(const std::string& name) {
  for (const char* pattern : os::cleanup_locations::SessionFiles())
    if (MatchWild(pattern, name))
      return true;
  return false;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// The row's name test on a found file's path; letters in any case.
bool NameMatches(std::string_view pattern, const std::string& path) {
  const bool except = !pattern.empty() && pattern.front() == '!';
  if (except)
    pattern.remove_prefix(1);
  const std::size_t slash = path.find_last_of("/\\");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return MatchWild(Lower(pattern), Lower(name)) != except;
}

void CollectRow(ItemContext& context, const Location& row, bool shared) {
  if (row.administrators && !os::sysinfo::IsAdministrator())
    return;
  std::string root;
  if (!os::cleanup_locations::ResolveRoot(row.root, root)) {
    context.LogError(context.Row().codes.emptyBase);
    return;
  }
  CollectOptions options;
  options.shared = shared;
  options.report = !row.silent;
  // They stay with everything in them, though nothing holds them open.
  if (shared)
    options.keep = SessionFile;
  switch (row.what) {
    case What::FilesAndFolders:
    case What::FilesOnly:
      options.folders = row.what == What::FilesAndFolders;
      if (*row.suffix || *row.name) {
        const std::string suffix = row.suffix;
        const std::string name = row.name;
        options.fileFilter = [suffix, name](const std::string& path) {
          return EndsWith(path, suffix) && (name.empty() || NameMatches(name, path));
        };
      }
      context.CollectFolder(root, row.subPath, options);
      break;
    case What::File:
      context.AddFile(Join(root, row.subPath));
      break;
    case What::RecentStore:
      // The worker resets it.
      if (PreviewRecorder* preview = context.Previewer()) {
        std::error_code error;
        if (std::filesystem::exists(Join(root, row.subPath), error))
          preview->WouldClear("the list of recently used documents in " + Join(root, row.subPath));
      }
      break;
  }
}

void CollectRows(ItemContext& context, bool shared) {
  for (const Location& row : os::cleanup_locations::RowsOf(context.Row().key, context.Row().token))
    CollectRow(context, row, shared);
}

// '*' matches any run of characters, separators included.
bool MatchWild(std::string_view pattern, std::string_view text) {
  std::size_t p = 0, t = 0, star = std::string_view::npos, mark = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}

}  // namespace

void CollectLocations(ItemContext& context) { CollectRows(context, false); }

void CollectTemp(ItemContext& context) {
  // Other users and programs share the temporary folder.
  CollectRows(context, true);
}

void CollectTrash(ItemContext& context) {
  CollectRows(context, false);
  // Each volume trash folder is opened and checked once; its three folders
  // are opened relative to it.
  for (const auto& trash : os::trash::VolumeTrashFolders(os::trash::MountPoints())) {
    for (const char* part : {"files", "info", "expunged"}) {
      CollectOptions options;
      options.shared = true;
      context.CollectFolder(*trash, part, options);
    }
  }
}

void CollectRecentDocuments(ItemContext& context) { CollectRows(context, false); }

void ResetRecentDocuments() {
  os::recent_documents::ClearShellList();
  for (const Location& row : os::cleanup_locations::RowsOf("History", "RecentDocumentsList")) {
    std::string root;
    if (row.what == What::RecentStore && os::cleanup_locations::ResolveRoot(row.root, root))
      os::recent_documents::ResetStore(Join(root, row.subPath));
  }
}

void CollectJava(ItemContext& context) {
  const char sep = os::folders::PathSeparator();
  for (const Location& row : os::cleanup_locations::RowsOf(context.Row().key, context.Row().token)) {
    std::string root;
    if (!os::cleanup_locations::ResolveRoot(row.root, root)) {
      context.LogError(context.Row().codes.emptyBase);
      continue;
    }
    std::string deployment = Join(root, row.subPath);
    if (deployment.back() != sep)
      deployment += sep;
    if (!os::folders::FolderExists(deployment))
      continue;
    context.CollectFolder(root, Join(row.subPath, "log"), {});
    std::string cache = JavaCacheDirectory(deployment + "deployment.properties");
    // A value this short is no usable folder.
    if (cache.size() <= 4)
      cache = deployment + "cache";
    if (cache.empty()) {
      context.LogError(10535);
      continue;
    }
    // Either separator and any case: Windows names the folder "Deployment",
    // and the walk joins what it found with '/'.
    CollectOptions options;
    options.folderFilter = [](const std::string& path) {
      std::string plain = Lower(path);
      std::replace(plain.begin(), plain.end(), '\\', '/');
      return MatchWild("*/deployment/cache/*/*", plain);
    };
    context.CollectFolder(cache, options);
  }
}

void EmptyClipboard(ItemContext& context) {
  if (PreviewRecorder* preview = context.Previewer()) {
    preview->WouldClear("the clipboard and the primary selection");
    return;
  }
  int code = 0;
  if (!os::clipboard::EmptyBoth(code))
    context.LogError(code, "Can't empty the Clipboard.");
}

}  // namespace cleanup
