// Deleting below a folder is not built for Windows yet: every base is
// refused (the caller logs that it could not be opened), nothing is walked
// and nothing is deleted. Never a pretended success.
#include "os/safe_fs.h"

#include <share.h>

#include "os/windows/wide.h"

// <windows.h> renames DeleteFile to its A/W variants; ours is a method.
#undef DeleteFile

namespace os::safe_fs {

std::shared_ptr<const Base> OpenBase(const std::string&, const std::string&, bool, OpenResult& result, Use) {
  result = OpenResult::Refused;
  return nullptr;
}

std::shared_ptr<const Base> OpenBelow(const Base&, const std::string&, bool, OpenResult& result, Use) {
  result = OpenResult::Refused;
  return nullptr;
}

FolderStatus StatusOf(const Base&) { return {}; }

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

// Written deny-write, as one writer at a time appends to it. A link or
// junction at the path (any reparse point) and a folder are never written.
std::FILE* OpenOwnFileForAppend(const std::string& path, bool truncate, int& error, bool& refused) {
  error = 0;
  refused = false;
  const std::wstring wide = win::Wide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))) {
    refused = true;
    error = ERROR_CANT_ACCESS_FILE;
    return nullptr;
  }
  std::FILE* file = _wfsopen(wide.c_str(), truncate ? L"wb" : L"ab", _SH_DENYWR);
  if (!file)
    error = static_cast<int>(GetLastError());
  return file;
}

namespace testing {
// There is no openat2 here; nothing to force.
void ForceOpenat2Error(int) {}
}  // namespace testing

}  // namespace os::safe_fs
