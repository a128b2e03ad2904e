#include "os/safe_fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace os::safe_fs {

namespace {

// Deep enough for any cache; bounds the folders held open during a walk.
constexpr int kMaxDepth = 128;

class LinuxBase final : public Base {
 public:
  LinuxBase(int handle, std::string path, bool shared, const struct stat& st)
      : m_handle(handle), m_path(std::move(path)), m_shared(shared), m_device(st.st_dev), m_stat(st) {}
  ~LinuxBase() override { ::close(m_handle); }
  const std::string& Path() const override { return m_path; }
  bool Shared() const override { return m_shared; }
  int Handle() const { return m_handle; }
  dev_t Device() const { return m_device; }
  const struct stat& Stat() const { return m_stat; }

 private:
  int m_handle;
  std::string m_path;
  bool m_shared;
  dev_t m_device;
  struct stat m_stat;
};

const LinuxBase& Native(const Base& base) { return static_cast<const LinuxBase&>(base); }

bool SameFile(const struct stat& a, const char* path) {
  struct stat other {};
  return ::stat(path, &other) == 0 && other.st_dev == a.st_dev && other.st_ino == a.st_ino;
}

// The root, the home folder and its parents, and the folders directly under
// the root that hold the system (the shared temporary folder is not one).
bool Forbidden(const struct stat& folder) {
  static const char* const kSystem[] = {"/",     "/bin",  "/boot", "/dev",   "/etc",  "/home", "/lib",
                                        "/lib32", "/lib64", "/libx32", "/media", "/mnt", "/opt", "/proc",
                                        "/root", "/run",  "/sbin", "/snap",  "/srv",  "/sys",  "/usr",
                                        "/var"};
  for (const char* path : kSystem)
    if (SameFile(folder, path))
      return true;
  const char* home = std::getenv("HOME");
  if (home && *home) {
    std::string path = home;
    while (!path.empty()) {
      if (SameFile(folder, path.c_str()))
        return true;
      const std::size_t slash = path.find_last_of('/');
      if (slash == std::string::npos || slash == 0)
        break;
      path.resize(slash);
    }
  }
  return false;
}

// Opens `path` below `dir` without following any link and without leaving
// it (nor its file system); falls back to one component at a time where
// the kernel lacks openat2.
int OpenBeneath(int dir, const std::string& path, bool samePlace) {
  if (path.empty())
    return ::fcntl(dir, F_DUPFD_CLOEXEC, 0);
  struct open_how how {};
  how.flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | (samePlace ? RESOLVE_NO_XDEV : 0);
  const long fd = ::syscall(SYS_openat2, dir, path.c_str(), &how, sizeof how);
  if (fd >= 0 || errno != ENOSYS)
    return static_cast<int>(fd);
  int current = ::fcntl(dir, F_DUPFD_CLOEXEC, 0);
  std::size_t start = 0;
  while (current >= 0 && start < path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string::npos)
      slash = path.size();
    const std::string part = path.substr(start, slash - start);
    start = slash + 1;
    if (part.empty() || part == ".")
      continue;
    if (part == "..") {
      ::close(current);
      errno = EXDEV;
      return -1;
    }
    const int next = ::openat(current, part.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    ::close(current);
    current = next;
  }
  return current;
}

std::string Join(const std::string& a, const std::string& b) {
  if (a.empty())
    return b;
  if (b.empty())
    return a;
  return a.back() == '/' ? a + b : a + "/" + b;
}

std::string Trimmed(std::string path) {
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  while (!path.empty() && path.front() == '/')
    path.erase(0, 1);
  return path;
}

struct Walker {
  const LinuxBase& base;
  const WalkOptions& options;
  const std::function<void(const std::string&, EntryKind)>& visit;
  uid_t user = ::geteuid();
  bool ok = true;

  // In a shared base, a folder that only the user can write holds nothing
  // of anyone else's: its entries need no look at their owner.
  bool Private(const struct stat& folder) const {
    return !base.Shared() || (folder.st_uid == user && !(folder.st_mode & (S_IWGRP | S_IWOTH)));
  }

  bool InUse(ino_t inode) const {
    return base.Shared() && options.openFiles &&
           options.openFiles->count({static_cast<std::uint64_t>(base.Device()), static_cast<std::uint64_t>(inode)});
  }

  void Folder(int dirHandle, const struct stat& self, const std::string& prefix, int depth) {
    DIR* dir = ::fdopendir(dirHandle);
    if (!dir) {
      ::close(dirHandle);
      ok = false;
      return;
    }
    const bool trusted = Private(self);
    errno = 0;
    while (dirent* entry = ::readdir(dir)) {
      const char* name = entry->d_name;
      if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
        continue;
      unsigned char type = entry->d_type;
      if (!trusted || type == DT_UNKNOWN) {
        struct stat st {};
        if (::fstatat(dirHandle, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
          continue;
        if (!trusted && st.st_uid != user)
          continue;  // someone else's
        type = S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : S_ISDIR(st.st_mode) ? DT_DIR : DT_FIFO;
      }
      const std::string relative = prefix.empty() ? std::string(name) : prefix + "/" + name;
      if (type == DT_REG || type == DT_LNK) {
        if (type == DT_LNK || !InUse(entry->d_ino))
          visit(relative, type == DT_REG ? EntryKind::File : EntryKind::Link);
      } else if (type == DT_DIR) {
        if (depth >= kMaxDepth)
          continue;
        const int child = ::openat(dirHandle, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
        if (child < 0)
          continue;  // unreadable: skipped, as a folder that cannot be opened
        struct stat own {};
        if (::fstat(child, &own) != 0 || own.st_dev != base.Device() || (base.Shared() && own.st_uid != user)) {
          ::close(child);
          continue;
        }
        visit(relative, EntryKind::Folder);
        Folder(child, own, relative, depth + 1);
      }
      // Sockets, FIFOs and devices are never touched.
      errno = 0;
    }
    if (errno != 0)
      ok = false;
    ::closedir(dir);
  }
};

}  // namespace

std::shared_ptr<const Base> OpenBase(const std::string& root, const std::string& below, bool shared,
                                     OpenResult& result, Use use) {
  result = OpenResult::Failed;
  if (root.empty()) {
    result = OpenResult::Missing;
    return nullptr;
  }
  const int rootHandle = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (rootHandle < 0) {
    result = (errno == ENOENT || errno == ENOTDIR) ? OpenResult::Missing : OpenResult::Failed;
    return nullptr;
  }
  const std::string inside = Trimmed(below);
  const int handle = inside.empty() ? rootHandle : OpenBeneath(rootHandle, inside, false);
  const int error = errno;
  if (handle != rootHandle)
    ::close(rootHandle);
  if (handle < 0) {
    result = (error == ENOENT || error == ENOTDIR) ? OpenResult::Missing
             : (error == ELOOP || error == EXDEV)  ? OpenResult::Refused
                                                   : OpenResult::Failed;
    return nullptr;
  }
  struct stat st {};
  if (::fstat(handle, &st) != 0) {
    ::close(handle);
    return nullptr;
  }
  if (use == Use::Walk && Forbidden(st)) {
    ::close(handle);
    result = OpenResult::Refused;
    return nullptr;
  }
  result = OpenResult::Ok;
  return std::make_shared<LinuxBase>(handle, Join(root, inside), shared, st);
}

bool IsFileOrLink(const Base& base, const std::string& name) {
  struct stat st {};
  return name.find('/') == std::string::npos &&
         ::fstatat(Native(base).Handle(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
         (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode));
}

std::set<FileId> OpenFilesOfUser() {
  std::set<FileId> files;
  DIR* proc = ::opendir("/proc");
  if (!proc)
    return files;
  const uid_t user = ::geteuid();
  while (dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    std::strtoul(entry->d_name, &end, 10);
    if (end == entry->d_name || *end)
      continue;
    const std::string fdFolder = std::string("/proc/") + entry->d_name + "/fd";
    struct stat owner {};
    if (::stat(fdFolder.c_str(), &owner) != 0 || owner.st_uid != user)
      continue;
    DIR* fds = ::opendir(fdFolder.c_str());
    if (!fds)
      continue;
    const int fdsHandle = ::dirfd(fds);
    while (dirent* fd = ::readdir(fds)) {
      if (fd->d_name[0] == '.')
        continue;
      struct stat target {};
      // stat follows the descriptor's link to the open file itself.
      if (::fstatat(fdsHandle, fd->d_name, &target, 0) == 0 && S_ISREG(target.st_mode))
        files.insert({static_cast<std::uint64_t>(target.st_dev), static_cast<std::uint64_t>(target.st_ino)});
    }
    ::closedir(fds);
  }
  ::closedir(proc);
  return files;
}

bool Walk(const Base& base, const WalkOptions& options,
          const std::function<void(const std::string& relative, EntryKind kind)>& visit) {
  const LinuxBase& native = Native(base);
  const int handle = ::fcntl(native.Handle(), F_DUPFD_CLOEXEC, 0);
  if (handle < 0)
    return false;
  // The duplicate shares the read position: start at the beginning.
  ::lseek(handle, 0, SEEK_SET);
  Walker walker{native, options, visit};
  walker.Folder(handle, native.Stat(), "", 0);
  return walker.ok;
}

Deleter::Deleter() = default;

Deleter::~Deleter() {
  if (m_parentHandle >= 0)
    ::close(m_parentHandle);
}

int Deleter::ParentOf(const Base& base, const std::string& relative, std::string& name) {
  const std::size_t slash = relative.find_last_of('/');
  const std::string parent = slash == std::string::npos ? std::string() : relative.substr(0, slash);
  name = slash == std::string::npos ? relative : relative.substr(slash + 1);
  if (name.empty() || name == "." || name == "..")
    return -1;
  if (m_base == &base && m_parent == parent && m_parentHandle >= 0)
    return m_parentHandle;
  if (m_parentHandle >= 0)
    ::close(m_parentHandle);
  m_base = &base;
  m_parent = parent;
  m_parentHandle = OpenBeneath(Native(base).Handle(), parent, true);
  return m_parentHandle;
}

double Deleter::Size(const Base& base, const std::string& relative) {
  std::string name;
  const int parent = ParentOf(base, relative, name);
  struct stat st {};
  if (parent < 0 || ::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return 0;
  return static_cast<double>(st.st_size);
}

bool Deleter::DeleteFile(const Base& base, const std::string& relative) {
  std::string name;
  const int parent = ParentOf(base, relative, name);
  // A folder put in the file's place fails with EISDIR and stays.
  return parent >= 0 && ::unlinkat(parent, name.c_str(), 0) == 0;
}

bool Deleter::RemoveFolder(const Base& base, const std::string& relative) {
  std::string name;
  const int parent = ParentOf(base, relative, name);
  if (parent < 0)
    return false;
  const bool removed = ::unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0;
  // The cached parent may be the folder just removed (its own children
  // came first): never reuse a handle of a removed folder.
  if (removed && m_base == &base && (m_parent == relative || m_parent.starts_with(relative + "/"))) {
    ::close(m_parentHandle);
    m_parentHandle = -1;
  }
  return removed;
}

bool OpenFilesBlockDeletion() { return false; }

}  // namespace os::safe_fs
