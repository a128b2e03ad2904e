#pragma once
// Special folders of the current user and the program's own folders.
#include <string>

namespace os::folders {

enum class Special {
  Desktop,
  AppData,        // roaming application data
  LocalAppData,   // local (cache-like) application data
  Profile,        // the user's home
  InternetCache,
  InternetCookies,
  InternetHistory,
  CdBurning,
  CommonAppData,
  Recent,
  Templates,
};

// False when the platform has no such folder or it cannot be determined.
bool GetSpecialFolder(Special which, std::string& path);

// The folder of saved task files: the user's data folder, then the program's
// name followed by "-Tasks". No trailing separator.
std::string TasksFolder(const std::string& programName);

// Creates one level of folder. On failure `errorCode` holds the system's code.
bool CreateFolder(const std::string& path, int& errorCode);
// Creates the folder with any missing parents (a fresh account may not have
// its data folder yet).
bool CreateFolderPath(const std::string& path, int& errorCode);

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

// The platform's path separator ("/" here, "\\" on Windows).
char PathSeparator();

// Temporary folder: TMP, else TMPDIR, else the system default; a relative
// TMP or TMPDIR counts as unset.
std::string TempFolder();

std::string CurrentFolder();

}  // namespace os::folders
