#include "os/trash.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "os/linux/mountinfo.h"

namespace os::trash {

namespace {

bool OwnFolder(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

}  // namespace

std::vector<std::string> MountPoints() {
  // The table may be given for tests, which must never see the machine's
  // real volumes.
  const char* table = std::getenv("DKWT_MOUNTINFO");
  std::ifstream in(table && *table ? table : "/proc/self/mountinfo");
  std::vector<std::string> points;
  std::string line;
  static const char* const kPseudo[] = {"proc",  "sysfs",  "devtmpfs", "devpts", "cgroup", "cgroup2", "securityfs",
                                        "pstore", "debugfs", "tracefs", "mqueue", "hugetlbfs", "bpf", "autofs",
                                        "fusectl", "configfs", "binfmt_misc", "efivarfs", "nsfs"};
  while (std::getline(in, line)) {
    mountinfo::Mount mount;
    if (!mountinfo::ParseLine(line, mount))
      continue;
    bool pseudo = false;
    for (const char* name : kPseudo)
      pseudo = pseudo || mount.type == name;
    if (pseudo || mount.options.rfind("ro", 0) == 0)
      continue;
    const std::string& path = mount.point;
    if (::access(path.c_str(), W_OK) == 0 || OwnFolder(path + "/.Trash-" + std::to_string(::geteuid())))
      points.push_back(path);
  }
  return points;
}

std::vector<std::string> VolumeTrashFolders(const std::vector<std::string>& mountPoints) {
  std::vector<std::string> folders;
  const std::string uid = std::to_string(::geteuid());
  for (const std::string& point : mountPoints) {
    const std::string top = point == "/" ? std::string() : point;
    const std::string shared = top + "/.Trash";
    struct stat st {};
    if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) &&
        OwnFolder(shared + "/" + uid))
      folders.push_back(shared + "/" + uid);
    if (OwnFolder(top + "/.Trash-" + uid))
      folders.push_back(top + "/.Trash-" + uid);
  }
  return folders;
}

}  // namespace os::trash
