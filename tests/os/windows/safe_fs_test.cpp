// Deleting below a folder on Windows: protected folders refused, links
// deleted as themselves and never entered, deletions bound to the walked
// folder, read-only and open files.
#include <gtest/gtest.h>

// Before <windows.h>, which renames DeleteFile.
#include "os/safe_fs.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "windows_test_support.h"

#undef DeleteFile

namespace {

namespace fs = std::filesystem;
using os::safe_fs::EntryKind;
using os::safe_fs::OpenResult;

// A junction where the system makes one (no privilege needed); under Wine,
// which makes neither junctions nor symbolic links, a Unix symbolic link,
// which Wine lists as a reparse point.
bool MakeFolderLink(const fs::path& link, const fs::path& target) {
  fs::create_directory(link);
  HANDLE handle = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    const std::wstring substitute = L"\\??\\" + fs::absolute(target).wstring();
    const auto bytes = static_cast<USHORT>(substitute.size() * sizeof(wchar_t));
    std::vector<unsigned char> buffer(8 + 8 + bytes + 2 * sizeof(wchar_t), 0);
    auto* header = reinterpret_cast<DWORD*>(buffer.data());
    header[0] = IO_REPARSE_TAG_MOUNT_POINT;
    reinterpret_cast<USHORT*>(buffer.data())[2] = static_cast<USHORT>(buffer.size() - 8);
    auto* offsets = reinterpret_cast<USHORT*>(buffer.data() + 8);
    offsets[0] = 0;
    offsets[1] = bytes;
    offsets[2] = static_cast<USHORT>(bytes + sizeof(wchar_t));
    offsets[3] = 0;
    std::memcpy(buffer.data() + 16, substitute.c_str(), bytes);
    DWORD returned = 0;
    const BOOL made = DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, buffer.data(),
                                      static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
    CloseHandle(handle);
    if (made)
      return true;
  }
  fs::remove(link);
  using UnixName = char*(CDECL*)(const wchar_t*);
  auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName)
    return false;
  auto quoted = [&](const fs::path& path) {
    char* name = unixName(path.c_str());
    std::string text = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return std::wstring(L"\"") + std::wstring(text.begin(), text.end()) + L"\"";
  };
  std::wstring command = L"start.exe /wait /unix /bin/ln -s " + quoted(target) + L" " + quoted(link);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &process))
    return false;
  WaitForSingleObject(process.hProcess, 30000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return (GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
         fs::is_symlink(fs::symlink_status(link));
}

void Write(const fs::path& path, const std::string& text = "data") {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

struct Found {
  std::string relative;
  EntryKind kind;
};

std::vector<Found> WalkAll(const os::safe_fs::Base& base) {
  std::vector<Found> found;
  EXPECT_TRUE(os::safe_fs::Walk(base, {}, [&](const std::string& relative, EntryKind kind) {
    found.push_back({relative, kind});
  }));
  return found;
}

TEST(WindowsSafeFs, ProtectedFoldersAreRefusedAndOthersOpen) {
  wchar_t windows[MAX_PATH] = L"";
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::string windowsFolder = wintest::Utf8(windows);
  const std::string profile = wintest::Utf8(_wgetenv(L"USERPROFILE"));
  const std::string programs = wintest::Utf8(_wgetenv(L"ProgramFiles"));
  const std::string system = windowsFolder.substr(0, 3);
  // Another user's profile: a sibling of the profiles folder's own entries.
  const std::string profiles = wintest::Utf8(fs::path(wintest::Utf8(_wgetenv(L"PUBLIC"))).parent_path());
  struct Case {
    std::string root, below;
  } refused[] = {
      {system, ""},       {windowsFolder, ""},          {programs, ""},
      {profile, ""},      {profiles, ""},               {profiles, "Public"},
      {windowsFolder, ".."},
  };
  for (const Case& each : refused) {
    OpenResult result = OpenResult::Ok;
    EXPECT_EQ(os::safe_fs::OpenBase(each.root, each.below, false, result), nullptr) << each.root << " " << each.below;
    EXPECT_EQ(result, OpenResult::Refused) << each.root << " " << each.below;
  }
  // Inside them is fine: the system's own temporary folder lies in Windows.
  wintest::TempFolder folder;
  fs::create_directories(folder.Path() / "a" / "b");
  OpenResult result = OpenResult::Failed;
  EXPECT_NE(os::safe_fs::OpenBase(folder.File("a"), "b", false, result), nullptr);
  EXPECT_EQ(result, OpenResult::Ok);
  EXPECT_EQ(os::safe_fs::OpenBase(folder.File("a"), "missing", false, result), nullptr);
  EXPECT_EQ(result, OpenResult::Missing);
  // A named-files base may be a protected folder: nothing is walked in it.
  EXPECT_NE(os::safe_fs::OpenBase(profile, "", false, result, os::safe_fs::Use::NamedFiles), nullptr);
}

TEST(WindowsSafeFs, WalkDeletesEverythingButNeverFollowsALink) {
  wintest::TempFolder folder;
  const fs::path base = folder.Path() / "base";
  const fs::path outside = folder.Path() / "outside";
  Write(outside / "keep.txt", "precious");
  Write(outside / "inner" / "deep.txt", "precious");
  Write(base / "a" / "b" / "file.bin", "12345");
  Write(base / "a" / "readonly.txt");
  SetFileAttributesW((base / "a" / "readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  Write(base / "top.txt");
  ASSERT_TRUE(MakeFolderLink(base / "a" / "link", outside));
  ASSERT_TRUE(MakeFolderLink(base / "outerlink", outside));

  OpenResult result = OpenResult::Failed;
  auto opened = os::safe_fs::OpenBase(folder.File("base"), "", false, result);
  ASSERT_NE(opened, nullptr);
  const std::vector<Found> found = WalkAll(*opened);
  std::vector<std::string> links;
  for (const Found& entry : found) {
    EXPECT_EQ(entry.relative.find("keep.txt"), std::string::npos) << "entered a link: " << entry.relative;
    if (entry.kind == EntryKind::Link)
      links.push_back(entry.relative);
  }
  EXPECT_EQ(links, (std::vector<std::string>{"a/link", "outerlink"})) << "links seen";

  os::safe_fs::Deleter deleter;
  for (const Found& entry : found)
    if (entry.kind != EntryKind::Folder) {
      const bool deleted = deleter.DeleteFile(*opened, entry.relative);
      // Wine opens a Unix link's target whatever it is asked: such a link stays.
      EXPECT_TRUE(deleted || entry.kind == EntryKind::Link) << entry.relative;
    }
  EXPECT_EQ(deleter.Size(*opened, "top.txt"), 0);
  for (auto it = found.rbegin(); it != found.rend(); ++it)
    if (it->kind == EntryKind::Folder)
      deleter.RemoveFolder(*opened, it->relative);

  EXPECT_TRUE(fs::exists(outside / "keep.txt"));
  EXPECT_TRUE(fs::exists(outside / "inner" / "deep.txt"));
  EXPECT_FALSE(fs::exists(base / "top.txt"));
  EXPECT_FALSE(fs::exists(base / "a" / "b"));
  EXPECT_FALSE(fs::exists(base / "a" / "readonly.txt"));
  EXPECT_TRUE(fs::is_directory(base)) << "the walked folder itself stays";
}

TEST(WindowsSafeFs, DeletionStaysInTheWalkedFolderWhenItsPartsAreSwapped) {
  wintest::TempFolder folder;
  const fs::path base = folder.Path() / "base";
  const fs::path outside = folder.Path() / "outside";
  Write(base / "cache" / "entry");
  Write(outside / "entry", "precious");
  OpenResult result = OpenResult::Failed;
  auto opened = os::safe_fs::OpenBase(folder.File("base"), "", false, result);
  ASSERT_NE(opened, nullptr);
  ASSERT_EQ(WalkAll(*opened).size(), 2u);

  // After the walk the folder is swapped for a link to somewhere else.
  fs::rename(base / "cache", base / "moved");
  ASSERT_TRUE(MakeFolderLink(base / "cache", outside));
  os::safe_fs::Deleter deleter;
  EXPECT_FALSE(deleter.DeleteFile(*opened, "cache/entry"));
  EXPECT_FALSE(deleter.RemoveFolder(*opened, "cache"));
  EXPECT_TRUE(fs::exists(outside / "entry"));
  // And a link on the way below a base is refused, never followed.
  EXPECT_EQ(os::safe_fs::OpenBase(folder.File("base"), "cache", false, result), nullptr);
  EXPECT_EQ(result, OpenResult::Refused);
  EXPECT_EQ(os::safe_fs::OpenBelow(*opened, "cache", false, result), nullptr);
  EXPECT_EQ(result, OpenResult::Refused);
}

TEST(WindowsSafeFs, AFileHeldOpenIsNotDeletedAndAFolderInItsPlaceStays) {
  ASSERT_TRUE(os::safe_fs::OpenFilesBlockDeletion());
  wintest::TempFolder folder;
  Write(folder.Path() / "busy.db", "1234");
  fs::create_directories(folder.Path() / "was-a-file" / "inside");
  OpenResult result = OpenResult::Failed;
  auto opened = os::safe_fs::OpenBase(folder.File(""), "", false, result);
  ASSERT_NE(opened, nullptr);
  os::safe_fs::Deleter deleter;
  {
    // Opened without sharing deletion, as a running program holds its database.
    HANDLE busy = CreateFileW((folder.Path() / "busy.db").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    EXPECT_EQ(deleter.Size(*opened, "busy.db"), 4);
    EXPECT_FALSE(deleter.DeleteFile(*opened, "busy.db"));
    CloseHandle(busy);
  }
  EXPECT_TRUE(deleter.DeleteFile(*opened, "busy.db"));
  EXPECT_FALSE(deleter.DeleteFile(*opened, "was-a-file"));
  EXPECT_FALSE(deleter.RemoveFolder(*opened, "was-a-file")) << "not empty";
  EXPECT_TRUE(fs::exists(folder.Path() / "was-a-file" / "inside"));
}

}  // namespace
