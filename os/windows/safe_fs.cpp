// Deleting below a folder is not built for Windows yet: every base is
// refused (the caller logs that it could not be opened), nothing is walked
// and nothing is deleted. Never a pretended success.
#include "os/safe_fs.h"

namespace os::safe_fs {

std::shared_ptr<const Base> OpenBase(const std::string&, const std::string&, bool, OpenResult& result, Use) {
  result = OpenResult::Refused;
  return nullptr;
}

bool IsFileOrLink(const Base&, const std::string&) { return false; }

std::set<FileId> OpenFilesOfUser() { return {}; }

bool Walk(const Base&, const WalkOptions&, const std::function<void(const std::string&, EntryKind)>&) {
  return false;
}

Deleter::Deleter() = default;
Deleter::~Deleter() = default;

double Deleter::Size(const Base&, const std::string&) { return 0; }
bool Deleter::DeleteFile(const Base&, const std::string&) { return false; }
bool Deleter::RemoveFolder(const Base&, const std::string&) { return false; }

int Deleter::ParentOf(const Base&, const std::string&, std::string& name) {
  name.clear();
  return -1;
}

// A file another process holds open cannot be deleted on Windows.
bool OpenFilesBlockDeletion() { return true; }

}  // namespace os::safe_fs
