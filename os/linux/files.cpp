#include "os/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "os/linux/text_file.h"

namespace os::files {


bool WriteLocked(const std::string& path, const std::string& text, bool truncate, int& errorCode) {
  errorCode = 0;
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (truncate ? O_TRUNC : O_APPEND);
  int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) {
    errorCode = errno;
    return false;
  }
  if (::flock(fd, LOCK_EX) != 0) {
    errorCode = errno;
    ::close(fd);
    return false;
  }
  bool ok = text_file::WriteAll(fd, text);
  if (!ok)
    errorCode = errno;
  ::close(fd);  // also releases the lock
  return ok;
}

bool WriteAtomically(const std::string& path, const std::string& content, int& errorCode) {
  errno = 0;
  bool ok = text_file::Replace(path, content);
  errorCode = ok ? 0 : (errno != 0 ? errno : EIO);
  return ok;
}

bool ReplaceWithFile(const std::string& finished, const std::string& path, int& errorCode) {
  errno = 0;
  bool ok = text_file::RenameOver(finished, path);
  errorCode = ok ? 0 : (errno != 0 ? errno : EIO);
  return ok;
}

}  // namespace os::files
