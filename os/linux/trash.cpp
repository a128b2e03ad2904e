#include "os/trash.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "os/linux/mountinfo.h"

namespace os::trash {

namespace {

// Whether the mount point has a trash folder of the user's (only to choose
// the mount points: the folder is checked again when it is opened).
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

namespace {

std::function<void(const std::string&)>& CheckedHook() {
  static std::function<void(const std::string&)> hook;
  return hook;
}

}  // namespace

std::vector<std::shared_ptr<const safe_fs::Base>> VolumeTrashFolders(const std::vector<std::string>& mountPoints) {
  using safe_fs::OpenBelow;
  using safe_fs::OpenResult;
  using safe_fs::Use;
  std::vector<std::shared_ptr<const safe_fs::Base>> folders;
  const std::string uid = std::to_string(::geteuid());
  auto found = [&folders](std::shared_ptr<const safe_fs::Base> folder) {
    if (!folder || !safe_fs::StatusOf(*folder).ownedByUser)
      return;
    if (CheckedHook())
      CheckedHook()(folder->Path());
    folders.push_back(std::move(folder));
  };
  for (const std::string& point : mountPoints) {
    OpenResult result = OpenResult::Failed;
    // Only named folders are opened in it: the mount point may be "/".
    const auto top = safe_fs::OpenBase(point, std::string(), true, result, Use::NamedFiles);
    if (!top)
      continue;
    const auto shared = OpenBelow(*top, ".Trash", true, result, Use::NamedFiles);
    if (shared && safe_fs::StatusOf(*shared).sticky)
      found(OpenBelow(*shared, uid, true, result, Use::NamedFiles));
    found(OpenBelow(*top, ".Trash-" + uid, true, result, Use::NamedFiles));
  }
  return folders;
}

// The bins are folders here, walked like any other.
BinResult EmptySystemBins(int& code) {
  code = 0;
  return BinResult::NotHere;
}

bool HasSystemBins() { return false; }

namespace testing {
void SetCheckedHook(std::function<void(const std::string& path)> hook) { CheckedHook() = std::move(hook); }
}  // namespace testing

}  // namespace os::trash
