// Opening files: programs and scripts run directly, everything else goes to
// the default application GIO finds for its content type.
#include "os/shell.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "os/dry_run.h"

#include <gio/gio.h>
#include <wx/mimetype.h>

namespace os::shell {

namespace {

struct Errno {
  int code;
  int value;
};

// GLib reports failures in its own codes; callers log system error numbers.
constexpr Errno kSpawnErrors[] = {
    {G_SPAWN_ERROR_FORK, EAGAIN},       {G_SPAWN_ERROR_READ, EIO},
    {G_SPAWN_ERROR_CHDIR, ENOENT},      {G_SPAWN_ERROR_ACCES, EACCES},
    {G_SPAWN_ERROR_PERM, EPERM},        {G_SPAWN_ERROR_TOO_BIG, E2BIG},
    {G_SPAWN_ERROR_NOEXEC, ENOEXEC},    {G_SPAWN_ERROR_NAMETOOLONG, ENAMETOOLONG},
    {G_SPAWN_ERROR_NOENT, ENOENT},      {G_SPAWN_ERROR_NOMEM, ENOMEM},
    {G_SPAWN_ERROR_NOTDIR, ENOTDIR},    {G_SPAWN_ERROR_LOOP, ELOOP},
    {G_SPAWN_ERROR_TXTBUSY, ETXTBSY},   {G_SPAWN_ERROR_IO, EIO},
    {G_SPAWN_ERROR_NFILE, ENFILE},      {G_SPAWN_ERROR_MFILE, EMFILE},
    {G_SPAWN_ERROR_INVAL, EINVAL},      {G_SPAWN_ERROR_ISDIR, EISDIR},
    {G_SPAWN_ERROR_LIBBAD, ELIBBAD},
};

constexpr Errno kIoErrors[] = {
    {G_IO_ERROR_NOT_FOUND, ENOENT},          {G_IO_ERROR_EXISTS, EEXIST},
    {G_IO_ERROR_IS_DIRECTORY, EISDIR},       {G_IO_ERROR_NOT_DIRECTORY, ENOTDIR},
    {G_IO_ERROR_PERMISSION_DENIED, EACCES},  {G_IO_ERROR_NOT_SUPPORTED, EOPNOTSUPP},
    {G_IO_ERROR_INVALID_ARGUMENT, EINVAL},   {G_IO_ERROR_FILENAME_TOO_LONG, ENAMETOOLONG},
    {G_IO_ERROR_NO_SPACE, ENOSPC},           {G_IO_ERROR_TIMED_OUT, ETIMEDOUT},
    {G_IO_ERROR_BUSY, EBUSY},                {G_IO_ERROR_TOO_MANY_OPEN_FILES, EMFILE},
};

int ErrnoOf(const GError* error) {
  if (!error)
    return EIO;
  auto find = [&](const auto& table) {
    for (const Errno& entry : table)
      if (entry.code == error->code)
        return entry.value;
    return EIO;
  };
  if (error->domain == G_SPAWN_ERROR)
    return find(kSpawnErrors);
  if (error->domain == G_IO_ERROR)
    return find(kIoErrors);
  return EIO;
}

void TakeError(GError* error, int& errorCode, std::string& errorText) {
  errorCode = ErrnoOf(error);
  errorText = (error && error->message) ? error->message : std::strerror(errorCode);
  if (error)
    g_error_free(error);
}

// Existence first, so that a missing file fails alike with and without the dry-run switch.
bool Inspect(const std::string& path, struct stat& info, int& errorCode, std::string& errorText) {
  if (path.empty() || ::stat(path.c_str(), &info) != 0) {
    errorCode = path.empty() ? ENOENT : errno;
    errorText = std::strerror(errorCode);
    return false;
  }
  return true;
}

// An executable regular file that is a program or a script with "#!"; an
// executable text file (a document on a FAT stick) opens in its application.
bool RunsDirectly(const std::string& path, const struct stat& info) {
  if (!S_ISREG(info.st_mode) || ::access(path.c_str(), X_OK) != 0)
    return false;
  std::ifstream in(path, std::ios::binary);
  char magic[4] = {};
  in.read(magic, sizeof magic);
  std::streamsize got = in.gcount();
  return (got >= 2 && magic[0] == '#' && magic[1] == '!') ||
         (got == 4 && std::memcmp(magic, "\x7f" "ELF", 4) == 0);
}

bool Spawn(const std::string& path, int& errorCode, std::string& errorText) {
  std::string folder = std::filesystem::path(path).parent_path().string();
  char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
  GError* error = nullptr;
  // GLib reaps the program through an intermediate child: no zombies.
  if (!g_spawn_async(folder.empty() ? nullptr : folder.c_str(), argv, nullptr, G_SPAWN_DEFAULT, nullptr, nullptr,
                     nullptr, &error)) {
    TakeError(error, errorCode, errorText);
    return false;
  }
  return true;
}

bool OpenWithDefault(const std::string& path, int& errorCode, std::string& errorText) {
  GFile* file = g_file_new_for_path(path.c_str());
  char* uri = g_file_get_uri(file);
  g_object_unref(file);
  GError* error = nullptr;
  gboolean launched = g_app_info_launch_default_for_uri(uri, nullptr, &error);
  g_free(uri);
  if (!launched) {
    TakeError(error, errorCode, errorText);
    return false;
  }
  return true;
}

std::string Absolute(const std::string& path) {
  std::error_code ignored;
  std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  return absolute.empty() ? path : absolute.lexically_normal().string();
}

}  // namespace

bool LaunchDefault(const std::string& path, int& errorCode, std::string& errorText) {
  errorCode = 0;
  errorText.clear();
  struct stat info {};
  if (!Inspect(path, info, errorCode, errorText))
    return false;
  if (dry_run::Active()) {
    dry_run::Record("launch", {{"path", path}});
    return true;
  }
  // The program runs in its own folder, so its path must not depend on ours.
  std::string absolute = Absolute(path);
  if (RunsDirectly(absolute, info))
    return Spawn(absolute, errorCode, errorText);
  return OpenWithDefault(absolute, errorCode, errorText);
}

bool OpenFolder(const std::string& path, int& errorCode) {
  errorCode = 0;
  std::string errorText;
  struct stat info {};
  if (!Inspect(path, info, errorCode, errorText))
    return false;
  if (!S_ISDIR(info.st_mode)) {
    errorCode = ENOTDIR;
    return false;
  }
  if (dry_run::Active()) {
    dry_run::Record("open", {{"path", path}});
    return true;
  }
  return OpenWithDefault(Absolute(path), errorCode, errorText);
}

bool OpenDocument(const std::string& path, int& errorCode) {
  errorCode = 0;
  std::string errorText;
  struct stat info {};
  if (!Inspect(path, info, errorCode, errorText))
    return false;
  if (!S_ISREG(info.st_mode)) {
    errorCode = EISDIR;
    return false;
  }
  if (dry_run::Active()) {
    dry_run::Record("open", {{"path", path}});
    return true;
  }
  return OpenWithDefault(Absolute(path), errorCode, errorText);
}

bool KnowsHowToLaunch(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return false;
  if (RunsDirectly(path, info))
    return true;
  // shared-mime-info's magic first: Linux files often have no extension.
  std::ifstream in(path, std::ios::binary);
  char head[4096];
  in.read(head, sizeof head);
  const auto got = static_cast<gsize>(in.gcount());
  gboolean uncertain = FALSE;
  gchar* type = g_content_type_guess(nullptr, reinterpret_cast<const guchar*>(head), got, &uncertain);
  const bool byContent = type && !g_content_type_is_unknown(type);
  g_free(type);
  if (byContent)
    return true;
  // Only the file's own name has an extension, never a folder on its path.
  return IsKnownExtension(std::filesystem::path(path).extension().string());
}

bool IsKnownExtension(const std::string& extension) {
  std::string bare = (!extension.empty() && extension[0] == '.') ? extension.substr(1) : extension;
  if (bare.empty() || !wxTheMimeTypesManager)
    return false;
  std::unique_ptr<wxFileType> type(wxTheMimeTypesManager->GetFileTypeFromExtension(wxString::FromUTF8(bare)));
  return type != nullptr;
}

}  // namespace os::shell
