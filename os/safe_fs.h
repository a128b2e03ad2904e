#pragma once
// Walking and deleting below a folder without ever leaving it: no symbolic
// link is followed (a link is deleted as a link), a walk stays on its folder's
// file system, and every deletion is made relative to the walked folder, so a
// folder swapped for a link after the walk cannot redirect it.
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace os::safe_fs {

enum class OpenResult {
  Ok,
  Missing,  // no such folder
  Refused,  // the root, the home folder, one of its parents or a top-level system folder
  Failed,   // exists but cannot be opened
};

// An open folder that walks start from and deletions are made relative to.
class Base {
 public:
  virtual ~Base() = default;
  // The path it was opened by (for logs and messages).
  virtual const std::string& Path() const = 0;
  // Entries found below a shared base are the user's own.
  virtual bool Shared() const = 0;
};

enum class Use {
  Walk,        // everything below it may go: the root, the home folder and system folders are refused
  NamedFiles,  // only entries named one by one are deleted in it
};

// Opens `root` (its links are followed: it is the user's configuration), then
// `below` inside it without following any link. `shared` marks a folder that
// other users and programs write to.
std::shared_ptr<const Base> OpenBase(const std::string& root, const std::string& below, bool shared,
                                     OpenResult& result, Use use = Use::Walk);

// Whether `name` (directly in the base) is a regular file or a link.
bool IsFileOrLink(const Base& base, const std::string& name);

// Identity of a file (device, inode).
using FileId = std::pair<std::uint64_t, std::uint64_t>;
// Files held open by the user's processes.
std::set<FileId> OpenFilesOfUser();

struct WalkOptions {
  // Shared folder: only entries the user owns, no special files, no file in
  // `openFiles`.
  const std::set<FileId>* openFiles = nullptr;
};

enum class EntryKind { File, Link, Folder };

// Visits everything below the base, a folder before its contents, with its
// path relative to the base. Regular files, links and folders only; other
// file types are skipped; so are folders on another file system and folders
// that cannot be opened. False when reading a folder failed part-way.
bool Walk(const Base& base, const WalkOptions& options,
          const std::function<void(const std::string& relative, EntryKind kind)>& visit);

// Deletes entries relative to their bases; keeps the last parent folder open
// because entries come grouped by folder. One per thread.
class Deleter {
 public:
  Deleter();
  ~Deleter();
  Deleter(const Deleter&) = delete;
  Deleter& operator=(const Deleter&) = delete;

  // Size in bytes of a file or link (0 when it is gone).
  double Size(const Base& base, const std::string& relative);
  // Unlinks a regular file or a link; false when it is gone or cannot be.
  bool DeleteFile(const Base& base, const std::string& relative);
  // Removes an empty folder; false when it is gone, not empty or cannot be.
  bool RemoveFolder(const Base& base, const std::string& relative);

 private:
  int ParentOf(const Base& base, const std::string& relative, std::string& name);
  const Base* m_base = nullptr;
  std::string m_parent;
  int m_parentHandle = -1;
};

// Whether a file that a process holds open cannot be deleted on this
// platform (then such files are overwritten and deleted at restart instead).
bool OpenFilesBlockDeletion();

}  // namespace os::safe_fs
