#pragma once
// Walking and deleting below a folder without ever leaving it: no symbolic
// link is followed (a link is deleted as a link), a walk stays on its folder's
// file system, and every deletion is made relative to the walked folder, so a
// folder swapped for a link after the walk cannot redirect it.
//
// A base folder is opened once, from a trusted descriptor ("/" or the current
// folder), one component at a time without following links, and everything
// after that (its checks, the walk, the folders opened inside it, the
// deletions) uses that descriptor, never the path again.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace os::safe_fs {

enum class OpenResult {
  Ok,
  Missing,  // no such folder
  Refused,  // a protected folder (see Use::Walk), or a link that may not be followed on the way
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
  // Everything below it may go. Refused: the root and the top-level system
  // folders; the home folder (from HOME and from the password database), the
  // user folders of user-dirs.dirs (desktop, documents, downloads, music,
  // pictures, videos, templates, public share), XDG_RUNTIME_DIR, and every
  // parent of these.
  Walk,
  NamedFiles,  // only entries named one by one are deleted in it
};

// Opens `root`, then `below` inside it. `root` is the user's configuration:
// a link on its way is followed only where no one but the user and root can
// have made it (in a folder of theirs that no one else may write to), never
// in a shared or someone else's folder. No link in `below` is followed, and
// `below` never leads out of `root`. `shared` marks a folder that other users
// and programs write to.
std::shared_ptr<const Base> OpenBase(const std::string& root, const std::string& below, bool shared,
                                     OpenResult& result, Use use = Use::Walk);
// Opens `below` inside an open base, relative to its descriptor: no link is
// followed and nothing outside it is reached.
std::shared_ptr<const Base> OpenBelow(const Base& parent, const std::string& below, bool shared, OpenResult& result,
                                      Use use = Use::Walk);

// What the opened folder itself is (from its descriptor, not its path).
struct FolderStatus {
  bool ownedByUser = false;
  bool sticky = false;
};
FolderStatus StatusOf(const Base& base);

// Whether `name` (directly in the base) is a regular file or a link.
bool IsFileOrLink(const Base& base, const std::string& name);

// Identity of a file (device, inode).
using FileId = std::pair<std::uint64_t, std::uint64_t>;
// Files held open by the user's processes.
std::set<FileId> OpenFilesOfUser();

struct WalkOptions {
  // Shared folder: only entries the user owns, no special files, no file in
  // `openFiles` (compared by the entry's own device and inode).
  const std::set<FileId>* openFiles = nullptr;
  // Names directly in the base that stay whole: neither visited nor entered.
  std::function<bool(const std::string& name)> keep;
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
  // The open parent folder: a descriptor, or a handle on Windows; -1 when none.
  std::intptr_t ParentOf(const Base& base, const std::string& relative, std::string& name);
  const Base* m_base = nullptr;
  std::string m_parent;
  std::intptr_t m_parentHandle = -1;
};

// Whether a file that a process holds open cannot be deleted on this
// platform (then such files are overwritten and deleted at restart instead).
bool OpenFilesBlockDeletion();

// Opens the user's own file at `path` for appending, created with mode 0600
// when it is new and emptied first when `truncate`. A link at `path` is never
// followed, and anything there that is not a regular file of the user's is
// not written. Null with the system's error code when it cannot be opened;
// `refused` tells that something unsafe was found there.
std::FILE* OpenOwnFileForAppend(const std::string& path, bool truncate, int& error, bool& refused);

namespace testing {
// Makes every openat2 call fail with this error (0: none), as a seccomp
// filter in a container does, so that the fall-back walk is taken.
void ForceOpenat2Error(int error);
}  // namespace testing

}  // namespace os::safe_fs
