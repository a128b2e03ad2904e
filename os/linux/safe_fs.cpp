#include "os/safe_fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <linux/openat2.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

namespace os::safe_fs {

namespace {

// Deep enough for any cache; bounds the folders held open during a walk.
constexpr int kMaxDepth = 128;
// Links followed on the way to one configured folder (the kernel's own limit).
constexpr int kMaxLinks = 40;

std::atomic<int> g_forcedOpenat2Error{0};

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

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The user's entry in the password database.
bool UserEntry(std::string& name, std::string& home, gid_t& group) {
  struct passwd entry {};
  struct passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
    return false;
  name = found->pw_name ? found->pw_name : "";
  home = found->pw_dir ? found->pw_dir : "";
  group = found->pw_gid;
  return true;
}

// The user's own group where every user has a group of their own (then
// folders are made group-writable): named after the user, with no other member.
bool PrivateGroupOfUser(gid_t gid) {
  std::string user, home;
  gid_t primary = 0;
  if (!UserEntry(user, home, primary) || primary != gid)
    return false;
  struct group entry {};
  struct group* found = nullptr;
  std::vector<char> buffer(65536);
  if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->gr_name ||
      user != found->gr_name)
    return false;
  for (char** member = found->gr_mem; member && *member; ++member)
    if (user != *member)
      return false;
  return true;
}

// No one but the user and root can change the folder's entries: a link in it
// was made by one of them.
bool OnlyUserOrRootWrites(const struct stat& folder) {
  if (folder.st_uid != 0 && folder.st_uid != ::geteuid())
    return false;
  if (folder.st_mode & S_IWOTH)
    return false;
  return !(folder.st_mode & S_IWGRP) || PrivateGroupOfUser(folder.st_gid);
}

bool SameFile(const struct stat& a, const std::string& path) {
  struct stat other {};
  return !path.empty() && ::stat(path.c_str(), &other) == 0 && other.st_dev == a.st_dev &&
         other.st_ino == a.st_ino;
}

// The folder or one of its parents, by the path as written and as resolved.
bool IsOrHolds(const struct stat& folder, const std::string& protectedPath) {
  std::vector<std::string> paths{protectedPath};
  if (char* resolved = ::realpath(protectedPath.c_str(), nullptr)) {
    paths.emplace_back(resolved);
    std::free(resolved);
  }
  for (std::string path : paths) {
    while (!path.empty()) {
      if (SameFile(folder, path))
        return true;
      const std::size_t slash = path.find_last_of('/');
      if (slash == std::string::npos || slash == 0)
        break;
      path.resize(slash);
    }
  }
  return false;
}

// The user folders of ~/.config/user-dirs.dirs, with the usual names where
// the file names none.
void AddUserDirs(const std::string& home, std::vector<std::string>& out) {
  static const std::pair<const char*, const char*> kKeys[] = {
      {"XDG_DESKTOP_DIR", "Desktop"},     {"XDG_DOCUMENTS_DIR", "Documents"}, {"XDG_DOWNLOAD_DIR", "Downloads"},
      {"XDG_MUSIC_DIR", "Music"},         {"XDG_PICTURES_DIR", "Pictures"},   {"XDG_VIDEOS_DIR", "Videos"},
      {"XDG_TEMPLATES_DIR", "Templates"}, {"XDG_PUBLICSHARE_DIR", "Public"}};
  std::string config = Env("XDG_CONFIG_HOME");
  if (config.empty() || config.front() != '/')
    config = home + "/.config";
  std::ifstream in(config + "/user-dirs.dirs");
  std::vector<bool> named(std::size(kKeys), false);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#')
      continue;
    for (std::size_t key = 0; key < std::size(kKeys); ++key) {
      const std::string prefix = std::string(kKeys[key].first) + "=";
      if (line.compare(start, prefix.size(), prefix) != 0)
        continue;
      std::string value = line.substr(start + prefix.size());
      while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
        value.pop_back();
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
      if (value.rfind("$HOME", 0) == 0)
        value = home + value.substr(5);
      if (!value.empty() && value.front() == '/') {
        out.push_back(value);
        named[key] = true;
      }
    }
  }
  for (std::size_t key = 0; key < std::size(kKeys); ++key)
    if (!named[key])
      out.push_back(home + "/" + kKeys[key].second);
}

// The root, the folders directly under it that hold the system (the shared
// temporary folder is not one), and the user's own folders with their
// parents: none of them may be emptied.
bool Forbidden(const struct stat& folder) {
  static const char* const kSystem[] = {"/",     "/bin",  "/boot", "/dev",   "/etc",  "/home", "/lib",
                                        "/lib32", "/lib64", "/libx32", "/media", "/mnt", "/opt", "/proc",
                                        "/root", "/run",  "/sbin", "/snap",  "/srv",  "/sys",  "/usr",
                                        "/var"};
  for (const char* path : kSystem)
    if (SameFile(folder, path))
      return true;
  // The home folder from the environment and from the password database:
  // either may be missing or wrong.
  std::vector<std::string> homes;
  if (const std::string home = Env("HOME"); !home.empty())
    homes.push_back(home);
  std::string user, home;
  gid_t group = 0;
  if (UserEntry(user, home, group) && !home.empty() && (homes.empty() || homes.front() != home))
    homes.push_back(home);
  std::vector<std::string> guarded = homes;
  for (const std::string& each : homes)
    AddUserDirs(each, guarded);
  if (const std::string runtime = Env("XDG_RUNTIME_DIR"); !runtime.empty() && runtime.front() == '/')
    guarded.push_back(runtime);
  for (const std::string& path : guarded)
    if (IsOrHolds(folder, path))
      return true;
  return false;
}

std::deque<std::string> Components(const std::string& path) {
  std::deque<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string::npos)
      slash = path.size();
    if (slash > start)
      parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return parts;
}

bool IsLinkIn(int dir, const std::string& name) {
  struct stat st {};
  return ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

std::string ReadLink(int dir, const std::string& name) {
  std::vector<char> buffer(PATH_MAX);
  const ssize_t length = ::readlinkat(dir, name.c_str(), buffer.data(), buffer.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size())
    return {};
  return std::string(buffer.data(), static_cast<std::size_t>(length));
}

// Reopens an O_PATH folder descriptor for reading, without any name.
int Readable(int pathHandle) {
  const int handle = ::openat(pathHandle, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const int error = errno;
  ::close(pathHandle);
  errno = error;
  return handle;
}

// Opens a configured folder from "/" (or, for a relative path, the current
// folder), one component at a time without following links; a link met on
// the way is read and followed only where OnlyUserOrRootWrites holds for the
// folder that holds it. -1 with errno (ELOOP: a link that may not be followed).
int OpenConfigured(const std::string& path) {
  std::deque<std::string> parts = Components(path);
  int current = ::open(!path.empty() && path.front() == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  int links = 0;
  while (current >= 0 && !parts.empty()) {
    const std::string part = std::move(parts.front());
    parts.pop_front();
    if (part == ".")
      continue;
    const int next = ::openat(current, part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int error = errno;
    if (next < 0 && (error == ENOTDIR || error == ELOOP) && part != ".." && IsLinkIn(current, part)) {
      struct stat holder {};
      const std::string target = ReadLink(current, part);
      if (++links > kMaxLinks || target.empty() || ::fstat(current, &holder) != 0 || !OnlyUserOrRootWrites(holder)) {
        ::close(current);
        errno = ELOOP;
        return -1;
      }
      std::deque<std::string> more = Components(target);
      parts.insert(parts.begin(), more.begin(), more.end());
      if (target.front() == '/') {
        ::close(current);
        current = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
      }
      continue;
    }
    ::close(current);
    current = next;
    errno = error;
  }
  return current < 0 ? -1 : Readable(current);
}

// Opens `path` below `dir` one component at a time without following any
// link and without leaving `dir` (nor, with `samePlace`, its file system).
int OpenBeneathByComponents(int dir, const std::string& path, bool samePlace) {
  struct stat start {};
  if (samePlace && ::fstat(dir, &start) != 0)
    return -1;
  int current = ::openat(dir, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  for (const std::string& part : Components(path)) {
    if (current < 0)
      return -1;
    if (part == ".")
      continue;
    int next = -1;
    int error = EXDEV;
    if (part != "..") {
      next = ::openat(current, part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      error = errno;
      if (next < 0 && (error == ENOTDIR || error == ELOOP) && IsLinkIn(current, part))
        error = ELOOP;
      struct stat own {};
      if (next >= 0 && samePlace && (::fstat(next, &own) != 0 || own.st_dev != start.st_dev)) {
        ::close(next);
        next = -1;
        error = EXDEV;
      }
    }
    ::close(current);
    current = next;
    errno = error;
  }
  return current < 0 ? -1 : Readable(current);
}

// Opens `path` below `dir` without following any link and without leaving
// it (nor, with `samePlace`, its file system): openat2 where the kernel has it
// and lets the program use it, else one component at a time.
int OpenBeneath(int dir, const std::string& path, bool samePlace) {
  struct open_how how {};
  how.flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | (samePlace ? RESOLVE_NO_XDEV : 0);
  long fd = -1;
  if (const int forced = g_forcedOpenat2Error.load()) {
    errno = forced;
  } else {
    fd = ::syscall(SYS_openat2, dir, path.empty() ? "." : path.c_str(), &how, sizeof how);
  }
  if (fd >= 0)
    return static_cast<int>(fd);
  // Old kernels lack it; seccomp filters in containers refuse it with EPERM.
  if (errno != ENOSYS && errno != EPERM)
    return -1;
  return OpenBeneathByComponents(dir, path, samePlace);
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

OpenResult ResultOf(int error) {
  return (error == ENOENT || error == ENOTDIR) ? OpenResult::Missing
         : (error == ELOOP || error == EXDEV)  ? OpenResult::Refused
                                               : OpenResult::Failed;
}

// Checks the opened folder and makes it a base.
std::shared_ptr<const Base> Finish(int handle, std::string path, bool shared, OpenResult& result, Use use) {
  struct stat st {};
  if (::fstat(handle, &st) != 0) {
    ::close(handle);
    result = OpenResult::Failed;
    return nullptr;
  }
  if (use == Use::Walk && Forbidden(st)) {
    ::close(handle);
    result = OpenResult::Refused;
    return nullptr;
  }
  result = OpenResult::Ok;
  return std::make_shared<LinuxBase>(handle, std::move(path), shared, st);
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

  // Whether files held open must be looked for (only in a shared base).
  bool WatchesOpenFiles() const { return base.Shared() && options.openFiles && !options.openFiles->empty(); }

  // By the entry's own identity: on some file systems (overlayfs without
  // xino) a file has another device than its folder.
  bool InUse(const struct stat& file) const {
    return options.openFiles->count({static_cast<std::uint64_t>(file.st_dev), static_cast<std::uint64_t>(file.st_ino)});
  }

  void Folder(int dirHandle, const struct stat& self, const std::string& prefix, int depth) {
    DIR* dir = ::fdopendir(dirHandle);
    if (!dir) {
      ::close(dirHandle);
      ok = false;
      return;
    }
    const bool trusted = Private(self);
    const bool watch = WatchesOpenFiles();
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(dir);
      if (!entry) {
        if (errno != 0)
          ok = false;
        break;
      }
      const char* name = entry->d_name;
      if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
        continue;
      if (depth == 0 && options.keep && options.keep(name))
        continue;
      unsigned char type = entry->d_type;
      struct stat st {};
      bool known = false;
      if (!trusted || type == DT_UNKNOWN || (watch && type == DT_REG)) {
        if (::fstatat(dirHandle, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
          continue;
        known = true;
        if (!trusted && st.st_uid != user)
          continue;  // someone else's
        type = S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : S_ISDIR(st.st_mode) ? DT_DIR : DT_FIFO;
      }
      const std::string relative = prefix.empty() ? std::string(name) : prefix + "/" + name;
      if (type == DT_REG || type == DT_LNK) {
        if (type == DT_LNK || !watch || (known && !InUse(st)))
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
    }
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
  const int rootHandle = OpenConfigured(root);
  if (rootHandle < 0) {
    result = ResultOf(errno);
    return nullptr;
  }
  const std::string inside = Trimmed(below);
  int handle = rootHandle;
  if (!inside.empty()) {
    handle = OpenBeneath(rootHandle, inside, false);
    const int error = errno;
    ::close(rootHandle);
    if (handle < 0) {
      result = ResultOf(error);
      return nullptr;
    }
  }
  return Finish(handle, Join(root, inside), shared, result, use);
}

std::shared_ptr<const Base> OpenBelow(const Base& parent, const std::string& below, bool shared, OpenResult& result,
                                      Use use) {
  const std::string inside = Trimmed(below);
  const int handle = OpenBeneath(Native(parent).Handle(), inside, false);
  if (handle < 0) {
    result = ResultOf(errno);
    return nullptr;
  }
  return Finish(handle, Join(parent.Path(), inside), shared, result, use);
}

FolderStatus StatusOf(const Base& base) {
  const struct stat& st = Native(base).Stat();
  FolderStatus status;
  status.ownedByUser = st.st_uid == ::geteuid();
  status.sticky = (st.st_mode & S_ISVTX) != 0;
  return status;
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
  // A descriptor of its own (its own read position), opened from the base's.
  const int handle = ::openat(native.Handle(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0)
    return false;
  Walker walker{native, options, visit};
  walker.Folder(handle, native.Stat(), "", 0);
  return walker.ok;
}

Deleter::Deleter() = default;

Deleter::~Deleter() {
  if (m_parentHandle >= 0)
    ::close(static_cast<int>(m_parentHandle));
}

std::intptr_t Deleter::ParentOf(const Base& base, const std::string& relative, std::string& name) {
  const std::size_t slash = relative.find_last_of('/');
  const std::string parent = slash == std::string::npos ? std::string() : relative.substr(0, slash);
  name = slash == std::string::npos ? relative : relative.substr(slash + 1);
  if (name.empty() || name == "." || name == "..")
    return -1;
  if (m_base == &base && m_parent == parent && m_parentHandle >= 0)
    return m_parentHandle;
  if (m_parentHandle >= 0)
    ::close(static_cast<int>(m_parentHandle));
  m_base = &base;
  m_parent = parent;
  m_parentHandle = OpenBeneath(Native(base).Handle(), parent, true);
  return m_parentHandle;
}

double Deleter::Size(const Base& base, const std::string& relative) {
  std::string name;
  const int parent = static_cast<int>(ParentOf(base, relative, name));
  struct stat st {};
  if (parent < 0 || ::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return 0;
  return static_cast<double>(st.st_size);
}

bool Deleter::DeleteFile(const Base& base, const std::string& relative) {
  std::string name;
  const int parent = static_cast<int>(ParentOf(base, relative, name));
  // A folder put in the file's place fails with EISDIR and stays.
  return parent >= 0 && ::unlinkat(parent, name.c_str(), 0) == 0;
}

bool Deleter::RemoveFolder(const Base& base, const std::string& relative) {
  std::string name;
  const int parent = static_cast<int>(ParentOf(base, relative, name));
  if (parent < 0)
    return false;
  const bool removed = ::unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0;
  // The cached parent may be the folder just removed (its own children
  // came first): never reuse a handle of a removed folder.
  if (removed && m_base == &base && (m_parent == relative || m_parent.starts_with(relative + "/"))) {
    ::close(static_cast<int>(m_parentHandle));
    m_parentHandle = -1;
  }
  return removed;
}

bool OpenFilesBlockDeletion() { return false; }

std::FILE* OpenOwnFileForAppend(const std::string& path, bool truncate, int& error, bool& refused) {
  error = 0;
  refused = false;
  // Non-blocking: a FIFO put there must not hang the open.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                        0600);
  if (fd < 0) {
    error = errno;
    // A link (ELOOP), or a FIFO or socket (ENXIO), is in the file's place.
    refused = error == ELOOP || error == ENXIO;
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_nlink != 1) {
    error = S_ISREG(st.st_mode) ? EPERM : EINVAL;
    refused = true;
    ::close(fd);
    return nullptr;
  }
  if ((truncate && ::ftruncate(fd, 0) != 0) || ::fcntl(fd, F_SETFL, O_APPEND) != 0) {
    error = errno;
    ::close(fd);
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, "a");
  if (!file) {
    error = errno;
    ::close(fd);
  }
  return file;
}

namespace testing {
void ForceOpenat2Error(int error) { g_forcedOpenat2Error = error; }
}  // namespace testing

}  // namespace os::safe_fs
