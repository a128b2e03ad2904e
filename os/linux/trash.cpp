#include "os/trash.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace os::trash {

namespace {

// mountinfo escapes blanks and a few other bytes as \ooo.
std::string Unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string octal = field.substr(i + 1, 3);
      char* end = nullptr;
      const long value = std::strtol(octal.c_str(), &end, 8);
      if (end && *end == 0) {
        out += static_cast<char>(value);
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

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
    // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
    std::istringstream fields(line);
    std::string id, parent, device, root, point, options;
    if (!(fields >> id >> parent >> device >> root >> point >> options))
      continue;
    std::string word, type;
    while (fields >> word && word != "-") {
    }
    fields >> type;
    bool pseudo = false;
    for (const char* name : kPseudo)
      pseudo = pseudo || type == name;
    if (pseudo || options.rfind("ro", 0) == 0)
      continue;
    const std::string path = Unescape(point);
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

namespace testing {
void SetCheckedHook(std::function<void(const std::string& path)> hook) { CheckedHook() = std::move(hook); }
}  // namespace testing

}  // namespace os::trash
