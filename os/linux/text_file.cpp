#include "os/linux/text_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <unordered_set>

namespace os::text_file {

namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor() {
    if (m_fd >= 0)
      ::close(m_fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return m_fd; }
  // Closes now so the caller sees a failed close (deferred write errors).
  bool Close() {
    int fd = m_fd;
    m_fd = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int m_fd;
};

// Where the bytes really go: renaming over a symbolic link would replace the
// link itself, so write next to its target instead.
bool ResolveTarget(const std::string& path, std::string& target) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
    target = path;
    return true;
  }
  char resolved[PATH_MAX];
  if (!::realpath(path.c_str(), resolved))
    return false;  // a dangling link: refuse rather than replace the link
  target = resolved;
  return true;
}

std::string TemporaryName(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  std::string name = "." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-" +
                     std::to_string(counter++) + "-" + std::to_string(ticks % 1000000);
  return (target.parent_path() / name).string();
}

// A writer killed half-way leaves its temporary file: the next write of the
// same file removes those of writers that no longer run.
void RemoveAbandonedTemporaries(const std::filesystem::path& target) {
  const std::string prefix = "." + target.filename().string() + ".tmp-";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(target.parent_path(), error)) {
    const std::string name = entry.path().filename().string();
    if (name.compare(0, prefix.size(), prefix) != 0)
      continue;
    char* end = nullptr;
    const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
    if (pid <= 0 || !end || *end != '-' || pid == ::getpid())
      continue;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
      ::unlink(entry.path().c_str());
  }
}

void SyncFolder(const std::filesystem::path& folder) {
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return;
  ::fsync(fd);  // best effort: readers already see the whole new file
  ::close(fd);
}

}  // namespace

bool WriteAll(int fd, const std::string& content) {
  std::size_t done = 0;
  while (done < content.size()) {
    ssize_t written = ::write(fd, content.data() + done, content.size() - done);
    if (written < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    done += static_cast<std::size_t>(written);
  }
  return true;
}

ReadStatus Read(const std::string& path, std::string& content, std::size_t limit) {
  content.clear();
  if (path.empty())
    return ReadStatus::Failed;
  // O_NONBLOCK so that a FIFO in place of the file cannot hang the program.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.Get() < 0)
    return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
    return ReadStatus::Failed;
  if (static_cast<unsigned long long>(info.st_size) > limit)
    return ReadStatus::Failed;
  content.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR)
        continue;
      content.clear();
      return ReadStatus::Failed;
    }
    if (got == 0)
      break;
    if (content.size() + static_cast<std::size_t>(got) > limit) {  // grew while we read
      content.clear();
      return ReadStatus::Failed;
    }
    content.append(buffer, static_cast<std::size_t>(got));
  }
  return ReadStatus::Ok;
}

bool Replace(const std::string& path, const std::string& content) {
  std::string targetName;
  if (path.empty() || !ResolveTarget(path, targetName))
    return false;
  std::filesystem::path target(targetName);

  struct stat existing {};
  bool exists = ::stat(target.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode))
    return false;

  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = TemporaryName(target);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0 && errno != EEXIST)
      return false;
  }
  if (fd < 0)
    return false;
  FileDescriptor file(fd);

  bool ok = WriteAll(file.Get(), content);
  if (ok && exists)
    ok = ::fchmod(file.Get(), existing.st_mode & 07777) == 0;
  ok = ok && ::fsync(file.Get()) == 0;
  ok = file.Close() && ok;
  ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename is atomic; syncing the folder makes it last through a crash.
  SyncFolder(target.parent_path());
  RemoveAbandonedTemporaries(target);
  return true;
}

bool RenameOver(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0)
    return false;
  SyncFolder(std::filesystem::path(to).parent_path());
  return true;
}

std::string Lines::Join() const {
  std::size_t size = bom.size();
  for (const Line& line : lines)
    size += line.text.size() + line.eol.size();
  std::string joined;
  joined.reserve(size);
  joined += bom;
  for (const Line& line : lines) {
    joined += line.text;
    joined += line.eol;
  }
  return joined;
}

std::string Lines::LineEnd() const {
  for (const Line& line : lines) {
    if (!line.eol.empty())
      return line.eol;
  }
  return "\n";
}

void Lines::Insert(std::size_t index, std::string text) {
  std::string eol = LineEnd();
  if (index > lines.size())
    index = lines.size();
  if (index > 0 && lines[index - 1].eol.empty())
    lines[index - 1].eol = eol;
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(index), Line{std::move(text), eol});
}

Lines Split(const std::string& content) {
  Lines result;
  std::size_t start = 0;
  static const char kBom[] = "\xEF\xBB\xBF";
  if (content.compare(0, 3, kBom) == 0) {
    result.bom = kBom;
    start = 3;
  }
  while (start < content.size()) {
    std::size_t newline = content.find('\n', start);
    if (newline == std::string::npos) {
      result.lines.push_back({content.substr(start), ""});
      break;
    }
    std::size_t end = newline;
    std::string eol = "\n";
    if (end > start && content[end - 1] == '\r') {
      --end;
      eol = "\r\n";
    }
    result.lines.push_back({content.substr(start, end - start), eol});
    start = newline + 1;
  }
  return result;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z')
      x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z')
      y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y)
      return false;
  }
  return true;
}

void KeepFirstNoCase(std::vector<std::string>& names) {
  std::unordered_set<std::string> seen;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::string folded = names[i];
    for (char& c : folded) {
      if (c >= 'A' && c <= 'Z')
        c = static_cast<char>(c - 'A' + 'a');
    }
    if (!seen.insert(std::move(folded)).second)
      continue;
    if (kept != i)
      names[kept] = std::move(names[i]);
    ++kept;
  }
  names.resize(kept);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

}  // namespace os::text_file
