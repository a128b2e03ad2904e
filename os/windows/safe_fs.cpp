// Every folder below a base is opened by name relative to its parent's
// handle (NtCreateFile with a root directory), never by a path rebuilt after
// the walk, and with FILE_OPEN_REPARSE_POINT: a junction or symbolic link is
// deleted as itself and never entered. Deletion is by handle
// (FileDispositionInfo), so what was checked is what goes.
#include "os/safe_fs.h"

#include <aclapi.h>
#include <knownfolders.h>
#include <share.h>
#include <shlobj.h>
#include <winternl.h>

#include <vector>

#include "os/windows/wide.h"

// <windows.h> renames DeleteFile to its A/W variants; ours is a method.
#undef DeleteFile

namespace os::safe_fs {

namespace {

// Deep enough for any cache; bounds the folders held open during a walk.
constexpr int kMaxDepth = 128;

// Not in every SDK's headers.
constexpr ULONG kOpenReparsePoint = 0x00200000;  // FILE_OPEN_REPARSE_POINT
constexpr ULONG kOpenForBackup = 0x00004000;     // FILE_OPEN_FOR_BACKUP_INTENT
constexpr ULONG kDirectoryFile = 0x00000001;     // FILE_DIRECTORY_FILE
constexpr ULONG kSynchronousIo = 0x00000020;     // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kOpen = 1;                       // FILE_OPEN
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

using NtCreateFileCall = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER,
                                          ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using StatusToErrorCall = ULONG(NTAPI*)(NTSTATUS);

// ntdll is in every process; looked up once rather than linked.
struct Ntdll {
  NtCreateFileCall create = nullptr;
  StatusToErrorCall toError = nullptr;
  Ntdll() {
    if (HMODULE module = GetModuleHandleW(L"ntdll.dll")) {
      create = reinterpret_cast<NtCreateFileCall>(reinterpret_cast<void*>(GetProcAddress(module, "NtCreateFile")));
      toError =
          reinterpret_cast<StatusToErrorCall>(reinterpret_cast<void*>(GetProcAddress(module, "RtlNtStatusToDosError")));
    }
  }
};

const Ntdll& Nt() {
  static const Ntdll ntdll;
  return ntdll;
}

class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : m_handle(handle) {}
  ~Handle() { Reset(); }
  Handle(Handle&& other) noexcept : m_handle(other.Release()) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      Reset();
      m_handle = other.Release();
    }
    return *this;
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return m_handle; }
  bool Valid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
  HANDLE Release() {
    HANDLE handle = m_handle;
    m_handle = nullptr;
    return handle;
  }
  void Reset() {
    if (Valid())
      CloseHandle(m_handle);
    m_handle = nullptr;
  }

 private:
  HANDLE m_handle = nullptr;
};

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::vector<std::wstring> Components(const std::wstring& path) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end]))
      ++end;
    if (end > start)
      parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Opens `name` (one component, or "" for the folder itself) relative to
// `folder` without following a reparse point. Null with the Win32 error.
Handle OpenRelative(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG options, DWORD& error) {
  error = ERROR_PROC_NOT_FOUND;
  if (!Nt().create)
    return {};
  UNICODE_STRING text;
  text.Buffer = const_cast<wchar_t*>(name.c_str());
  text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK io{};
  HANDLE handle = nullptr;
  const NTSTATUS status = Nt().create(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr, 0, kShareAll, kOpen,
                                      options | kOpenReparsePoint | kSynchronousIo | kOpenForBackup, nullptr, 0);
  if (status < 0) {
    error = Nt().toError ? Nt().toError(status) : ERROR_GEN_FAILURE;
    return {};
  }
  error = 0;
  return Handle(handle);
}

DWORD AttributesOf(HANDLE handle) {
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info))
    return INVALID_FILE_ATTRIBUTES;
  return info.FileAttributes;
}

// The path the system resolved the handle to, without its \\?\ prefix.
std::wstring FinalPath(HANDLE handle) {
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
  if (length >= path.size()) {
    path.resize(length + 1);
    length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
  }
  if (length == 0 || length >= path.size())
    return {};
  path.resize(length);
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0)
    path = L"\\\\" + path.substr(8);
  else if (path.rfind(L"\\\\?\\", 0) == 0)
    path = path.substr(4);
  while (path.size() > 3 && IsSeparator(path.back()))
    path.pop_back();
  return path;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() &&
         CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
             CSTR_EQUAL;
}

// `inner` is `outer` or lies below it.
bool IsOrBelow(const std::wstring& inner, const std::wstring& outer) {
  if (inner.empty() || outer.empty())
    return false;
  if (inner.size() == outer.size())
    return SamePath(inner, outer);
  if (inner.size() < outer.size())
    return false;
  const std::wstring head = inner.substr(0, outer.size());
  return SamePath(head, outer) && (IsSeparator(outer.back()) || IsSeparator(inner[outer.size()]));
}

std::wstring Child(const std::wstring& folder, const std::wstring& name) {
  return folder.empty() || IsSeparator(folder.back()) ? folder + name : folder + L"\\" + name;
}

// Whether the child opened as `name` inside `parent` is that very entry.
// Wine shows a Unix symbolic link as a reparse point in its folder's listing,
// yet opens its target even with FILE_OPEN_REPARSE_POINT: then the child's
// resolved path is not the parent's with the name added.
bool OpenedInPlace(const std::wstring& parentPath, HANDLE child, const std::wstring& name) {
  return !parentPath.empty() && SamePath(FinalPath(child), Child(parentPath, name));
}

std::wstring ProfilesDirectory() {
  wchar_t raw[MAX_PATH] = L"";
  DWORD size = sizeof raw;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                   L"ProfilesDirectory", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, raw,
                   &size) != ERROR_SUCCESS)
    return {};
  wchar_t expanded[MAX_PATH] = L"";
  const DWORD length = ExpandEnvironmentStringsW(raw, expanded, MAX_PATH);
  return length > 0 && length <= MAX_PATH ? std::wstring(expanded) : std::wstring();
}

std::wstring FinalPathOf(const std::wstring& path) {
  if (path.empty())
    return {};
  Handle handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return handle.Valid() ? FinalPath(handle.Get()) : std::wstring();
}

// A drive's or share's root: nothing after the first separator of its path.
bool IsVolumeRoot(const std::wstring& path) {
  if (path.size() <= 3 && path.size() >= 2 && path[1] == L':')
    return true;
  if (path.rfind(L"\\\\", 0) == 0) {
    const std::size_t share = path.find(L'\\', 2);
    return share == std::wstring::npos || path.find(L'\\', share + 1) == std::wstring::npos;
  }
  return false;
}

// The drive roots, the system's and the programs' folders, the profiles
// folder and every profile in it (the user's own and other users'), the
// user's own folders, and every parent of these: none of them may be emptied.
bool Forbidden(HANDLE folder) {
  const std::wstring path = FinalPath(folder);
  if (path.empty() || IsVolumeRoot(path))
    return true;
  std::vector<std::wstring> guarded;
  for (const wchar_t* variable : {L"USERPROFILE", L"SystemRoot", L"windir", L"ProgramFiles", L"ProgramFiles(x86)",
                                  L"ProgramW6432", L"CommonProgramFiles", L"CommonProgramFiles(x86)", L"ProgramData",
                                  L"PUBLIC", L"APPDATA", L"LOCALAPPDATA"})
    guarded.push_back(win::EnvironmentValue(variable));
  wchar_t windows[MAX_PATH] = L"";
  if (const UINT length = GetWindowsDirectoryW(windows, MAX_PATH); length > 0 && length < MAX_PATH)
    guarded.emplace_back(windows);
  for (const KNOWNFOLDERID* known :
       {&FOLDERID_Profile, &FOLDERID_Desktop, &FOLDERID_Documents, &FOLDERID_Downloads, &FOLDERID_Music,
        &FOLDERID_Pictures, &FOLDERID_Videos, &FOLDERID_RoamingAppData, &FOLDERID_LocalAppData,
        &FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86, &FOLDERID_Windows, &FOLDERID_ProgramData}) {
    PWSTR found = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(*known, KF_FLAG_DONT_VERIFY, nullptr, &found)) && found)
      guarded.emplace_back(found);
    CoTaskMemFree(found);
  }
  const std::wstring profiles = FinalPathOf(ProfilesDirectory());
  guarded.push_back(profiles);
  for (const std::wstring& each : guarded) {
    const std::wstring resolved = FinalPathOf(each);
    if (IsOrBelow(resolved, path) || IsOrBelow(each, path))
      return true;
  }
  // Every profile folder: another user's is never ours to empty.
  if (!profiles.empty() && path.size() > profiles.size() && IsOrBelow(path, profiles) &&
      path.find(L'\\', profiles.size() + 1) == std::wstring::npos)
    return true;
  return false;
}

class WindowsBase final : public Base {
 public:
  WindowsBase(Handle handle, std::string path, bool shared, std::wstring finalPath, DWORD volume)
      : m_handle(std::move(handle)),
        m_path(std::move(path)),
        m_shared(shared),
        m_finalPath(std::move(finalPath)),
        m_volume(volume) {}
  const std::string& Path() const override { return m_path; }
  bool Shared() const override { return m_shared; }
  HANDLE Native() const { return m_handle.Get(); }
  const std::wstring& FinalPath() const { return m_finalPath; }
  DWORD Volume() const { return m_volume; }

 private:
  Handle m_handle;
  std::string m_path;
  bool m_shared;
  std::wstring m_finalPath;
  DWORD m_volume;
};

const WindowsBase& Native(const Base& base) { return static_cast<const WindowsBase&>(base); }

constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL;

OpenResult ResultOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
    case ERROR_NOT_READY:
      return OpenResult::Missing;
    case ERROR_CANT_ACCESS_FILE:
    case ERROR_CANT_RESOLVE_FILENAME:
      return OpenResult::Refused;
    default:
      return OpenResult::Failed;
  }
}

// Opens `below` inside `folder` one component at a time: a reparse point or
// a component that leaves the folder is refused.
Handle OpenBeneath(HANDLE folder, const std::wstring& folderPath, const std::wstring& below, DWORD volume,
                   OpenResult& result, std::wstring& finalPath) {
  DWORD error = 0;
  Handle current = OpenRelative(folder, L"", kFolderAccess, kDirectoryFile, error);
  finalPath = folderPath;
  for (const std::wstring& part : Components(below)) {
    if (!current.Valid())
      break;
    if (part == L".")
      continue;
    if (part == L"..") {
      result = OpenResult::Refused;
      return {};
    }
    Handle next = OpenRelative(current.Get(), part, kFolderAccess, kDirectoryFile, error);
    if (!next.Valid()) {
      result = error == ERROR_DIRECTORY ? OpenResult::Missing : ResultOf(error);
      return {};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const DWORD attributes = AttributesOf(next.Get());
    const std::wstring nextPath = Child(finalPath, part);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !GetFileInformationByHandle(next.Get(), &info) || (volume && info.dwVolumeSerialNumber != volume) ||
        !OpenedInPlace(finalPath, next.Get(), part)) {
      result = OpenResult::Refused;
      return {};
    }
    finalPath = FinalPath(next.Get());
    current = std::move(next);
  }
  if (!current.Valid()) {
    result = ResultOf(error);
    return {};
  }
  result = OpenResult::Ok;
  return current;
}

std::string Join(const std::string& a, const std::string& b) {
  if (a.empty())
    return b;
  if (b.empty())
    return a;
  return a.back() == '/' || a.back() == '\\' ? a + b : a + "/" + b;
}

std::string Trimmed(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
    path.pop_back();
  while (!path.empty() && (path.front() == '/' || path.front() == '\\'))
    path.erase(0, 1);
  return path;
}

std::shared_ptr<const Base> Finish(Handle handle, std::string path, bool shared, OpenResult& result, Use use) {
  BY_HANDLE_FILE_INFORMATION info{};
  const std::wstring finalPath = FinalPath(handle.Get());
  if (!GetFileInformationByHandle(handle.Get(), &info) || finalPath.empty()) {
    result = OpenResult::Failed;
    return nullptr;
  }
  if (use == Use::Walk && Forbidden(handle.Get())) {
    result = OpenResult::Refused;
    return nullptr;
  }
  result = OpenResult::Ok;
  return std::make_shared<WindowsBase>(std::move(handle), std::move(path), shared, finalPath,
                                       info.dwVolumeSerialNumber);
}

// The account of the process, and the default owner of what it creates
// (an administrator's files may belong to the Administrators group).
struct Owners {
  std::vector<unsigned char> user, owner;
  Owners() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
      return;
    user = Query(token, TokenUser);
    owner = Query(token, TokenOwner);
    CloseHandle(token);
  }
  static std::vector<unsigned char> Query(HANDLE token, TOKEN_INFORMATION_CLASS which) {
    DWORD size = 0;
    GetTokenInformation(token, which, nullptr, 0, &size);
    std::vector<unsigned char> data(size);
    if (size == 0 || !GetTokenInformation(token, which, data.data(), size, &size))
      data.clear();
    return data;
  }
  PSID User() const { return user.empty() ? nullptr : reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid; }
  PSID Owner() const { return owner.empty() ? nullptr : reinterpret_cast<const TOKEN_OWNER*>(owner.data())->Owner; }
  bool Ours(HANDLE handle) const {
    PSID sid = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &sid, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
      return false;
    const bool ours = sid && ((User() && EqualSid(sid, User())) || (Owner() && EqualSid(sid, Owner())));
    LocalFree(descriptor);
    return ours;
  }
};

struct Walker {
  const WindowsBase& base;
  const WalkOptions& options;
  const std::function<void(const std::string&, EntryKind)>& visit;
  Owners owners;
  bool ok = true;

  bool OursByName(HANDLE folder, const std::wstring& name) const {
    DWORD error = 0;
    Handle entry = OpenRelative(folder, name, READ_CONTROL | FILE_READ_ATTRIBUTES, 0, error);
    return entry.Valid() && owners.Ours(entry.Get());
  }

  void Folder(HANDLE folder, const std::wstring& folderPath, const std::string& prefix, int depth) {
    std::vector<unsigned char> buffer(64 * 1024);
    FILE_INFO_BY_HANDLE_CLASS request = FileIdBothDirectoryRestartInfo;
    for (;;) {
      if (!GetFileInformationByHandleEx(folder, request, buffer.data(), static_cast<DWORD>(buffer.size()))) {
        if (GetLastError() != ERROR_NO_MORE_FILES)
          ok = false;
        return;
      }
      request = FileIdBothDirectoryInfo;
      std::size_t offset = 0;
      for (;;) {
        const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data() + offset);
        Entry(folder, folderPath, prefix, depth,
              std::wstring(entry->FileName, entry->FileNameLength / sizeof(wchar_t)), entry->FileAttributes);
        if (entry->NextEntryOffset == 0)
          break;
        offset += entry->NextEntryOffset;
      }
    }
  }

  void Entry(HANDLE folder, const std::wstring& folderPath, const std::string& prefix, int depth,
             const std::wstring& name, DWORD attributes) {
    if (name == L"." || name == L"..")
      return;
    const std::string narrow = win::Narrow(name);
    if (depth == 0 && options.keep && options.keep(narrow))
      return;
    const std::string relative = prefix.empty() ? narrow : prefix + "/" + narrow;
    if (base.Shared() && !OursByName(folder, name))
      return;  // someone else's
    // Any reparse point (junction, symbolic link, mount point) is the link itself.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      visit(relative, EntryKind::Link);
      return;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      visit(relative, EntryKind::File);
      return;
    }
    if (depth >= kMaxDepth)
      return;
    DWORD error = 0;
    Handle child = OpenRelative(folder, name, kFolderAccess, kDirectoryFile, error);
    if (!child.Valid())
      return;  // unreadable: skipped, as a folder that cannot be opened
    BY_HANDLE_FILE_INFORMATION info{};
    const DWORD own = AttributesOf(child.Get());
    if (own == INVALID_FILE_ATTRIBUTES || (own & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !GetFileInformationByHandle(child.Get(), &info) || info.dwVolumeSerialNumber != base.Volume() ||
        !OpenedInPlace(folderPath, child.Get(), name))
      return;
    visit(relative, EntryKind::Folder);
    Folder(child.Get(), Child(folderPath, name), relative, depth + 1);
  }
};

// Clears or sets the read-only attribute through an open handle.
bool SetReadOnly(HANDLE handle, DWORD attributes, bool readOnly) {
  FILE_BASIC_INFO info{};  // zero times: left as they are
  info.FileAttributes = readOnly ? (attributes | FILE_ATTRIBUTE_READONLY) : (attributes & ~FILE_ATTRIBUTE_READONLY);
  if (info.FileAttributes == 0)
    info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(handle, FileBasicInfo, &info, sizeof info);
}

// Marks the open entry for deletion (done when its last handle closes). A
// read-only entry loses that attribute first, and gets it back when it
// cannot be deleted all the same.
bool DeleteByHandle(HANDLE handle, DWORD attributes) {
  FILE_DISPOSITION_INFO disposition{TRUE};
  if (SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition))
    return true;
  if (!(attributes & FILE_ATTRIBUTE_READONLY) || GetLastError() != ERROR_ACCESS_DENIED ||
      !SetReadOnly(handle, attributes, false))
    return false;
  if (SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition))
    return true;
  SetReadOnly(handle, attributes & ~FILE_ATTRIBUTE_READONLY, true);
  return false;
}

// With the right to change attributes where the user has it (a read-only
// entry needs it), else with the right to delete only.
Handle OpenForDeletion(HANDLE parent, const std::wstring& name, ULONG options) {
  DWORD error = 0;
  Handle entry = OpenRelative(parent, name, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, options, error);
  if (!entry.Valid() && error == ERROR_ACCESS_DENIED)
    entry = OpenRelative(parent, name, DELETE | FILE_READ_ATTRIBUTES, options, error);
  return entry;
}

std::wstring FinalPathOfParent(const Base& base, const std::string& parent) {
  std::wstring path = Native(base).FinalPath();
  for (const std::wstring& part : Components(win::Wide(parent)))
    path = Child(path, part);
  return path;
}

}  // namespace

std::shared_ptr<const Base> OpenBase(const std::string& root, const std::string& below, bool shared,
                                     OpenResult& result, Use use) {
  result = OpenResult::Failed;
  if (root.empty()) {
    result = OpenResult::Missing;
    return nullptr;
  }
  // The configured folder is the user's own choice: a junction on its way
  // (a relocated profile) is followed.
  Handle rootHandle(CreateFileW(win::Wide(root).c_str(), kFolderAccess, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!rootHandle.Valid()) {
    result = ResultOf(GetLastError());
    return nullptr;
  }
  const DWORD attributes = AttributesOf(rootHandle.Get());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    result = OpenResult::Missing;
    return nullptr;
  }
  const std::string inside = Trimmed(below);
  std::wstring finalPath;
  Handle handle = OpenBeneath(rootHandle.Get(), FinalPath(rootHandle.Get()), win::Wide(inside), 0, result, finalPath);
  if (!handle.Valid())
    return nullptr;
  return Finish(std::move(handle), Join(root, inside), shared, result, use);
}

std::shared_ptr<const Base> OpenBelow(const Base& parent, const std::string& below, bool shared, OpenResult& result,
                                      Use use) {
  const std::string inside = Trimmed(below);
  std::wstring finalPath;
  Handle handle =
      OpenBeneath(Native(parent).Native(), Native(parent).FinalPath(), win::Wide(inside), 0, result, finalPath);
  if (!handle.Valid())
    return nullptr;
  return Finish(std::move(handle), Join(parent.Path(), inside), shared, result, use);
}

FolderStatus StatusOf(const Base& base) {
  FolderStatus status;
  status.ownedByUser = Owners().Ours(Native(base).Native());
  return status;
}

bool IsFileOrLink(const Base& base, const std::string& name) {
  if (name.empty() || name.find_first_of("/\\") != std::string::npos || name == "." || name == "..")
    return false;
  DWORD error = 0;
  Handle entry = OpenRelative(Native(base).Native(), win::Wide(name), FILE_READ_ATTRIBUTES, 0, error);
  if (!entry.Valid())
    return false;
  const DWORD attributes = AttributesOf(entry.Get());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !(attributes & FILE_ATTRIBUTE_DIRECTORY));
}

// Files in use cannot be deleted here anyway: the deletion fails and the
// file stays (OpenFilesBlockDeletion).
std::set<FileId> OpenFilesOfUser() { return {}; }

bool Walk(const Base& base, const WalkOptions& options,
          const std::function<void(const std::string& relative, EntryKind kind)>& visit) {
  const WindowsBase& native = Native(base);
  // A handle of its own: a listing's position belongs to its handle.
  DWORD error = 0;
  Handle handle = OpenRelative(native.Native(), L"", kFolderAccess, kDirectoryFile, error);
  if (!handle.Valid())
    return false;
  Walker walker{native, options, visit, {}};
  walker.Folder(handle.Get(), native.FinalPath(), "", 0);
  return walker.ok;
}

Deleter::Deleter() = default;

Deleter::~Deleter() {
  if (m_parentHandle != -1)
    CloseHandle(reinterpret_cast<HANDLE>(m_parentHandle));
}

std::intptr_t Deleter::ParentOf(const Base& base, const std::string& relative, std::string& name) {
  const std::size_t slash = relative.find_last_of("/\\");
  const std::string parent = slash == std::string::npos ? std::string() : relative.substr(0, slash);
  name = slash == std::string::npos ? relative : relative.substr(slash + 1);
  if (name.empty() || name == "." || name == "..")
    return -1;
  if (m_base == &base && m_parent == parent && m_parentHandle != -1)
    return m_parentHandle;
  if (m_parentHandle != -1)
    CloseHandle(reinterpret_cast<HANDLE>(m_parentHandle));
  m_parentHandle = -1;
  m_base = &base;
  m_parent = parent;
  OpenResult result = OpenResult::Failed;
  std::wstring finalPath;
  Handle handle = OpenBeneath(Native(base).Native(), Native(base).FinalPath(), win::Wide(parent),
                              Native(base).Volume(), result, finalPath);
  if (handle.Valid())
    m_parentHandle = reinterpret_cast<std::intptr_t>(handle.Release());
  return m_parentHandle;
}

double Deleter::Size(const Base& base, const std::string& relative) {
  std::string name;
  const std::intptr_t parent = ParentOf(base, relative, name);
  if (parent == -1)
    return 0;
  DWORD error = 0;
  Handle entry = OpenRelative(reinterpret_cast<HANDLE>(parent), win::Wide(name), FILE_READ_ATTRIBUTES, 0, error);
  FILE_STANDARD_INFO info{};
  if (!entry.Valid() || !GetFileInformationByHandleEx(entry.Get(), FileStandardInfo, &info, sizeof info) ||
      info.Directory)
    return 0;
  return static_cast<double>(info.EndOfFile.QuadPart);
}

bool Deleter::DeleteFile(const Base& base, const std::string& relative) {
  std::string name;
  const std::intptr_t parent = ParentOf(base, relative, name);
  if (parent == -1)
    return false;
  const std::wstring wide = win::Wide(name);
  Handle entry = OpenForDeletion(reinterpret_cast<HANDLE>(parent), wide, 0);
  if (!entry.Valid())
    return false;
  const DWORD attributes = AttributesOf(entry.Get());
  // A folder put in the file's place stays; so does whatever a link that
  // could not be opened as itself leads to.
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) ||
      !OpenedInPlace(FinalPathOfParent(base, m_parent), entry.Get(), wide))
    return false;
  return DeleteByHandle(entry.Get(), attributes);
}

bool Deleter::RemoveFolder(const Base& base, const std::string& relative) {
  std::string name;
  const std::intptr_t parent = ParentOf(base, relative, name);
  if (parent == -1)
    return false;
  const std::wstring wide = win::Wide(name);
  Handle entry = OpenForDeletion(reinterpret_cast<HANDLE>(parent), wide, kDirectoryFile);
  if (!entry.Valid())
    return false;
  const DWORD attributes = AttributesOf(entry.Get());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
      !OpenedInPlace(FinalPathOfParent(base, m_parent), entry.Get(), wide))
    return false;
  // The cached parent may be the folder being removed (its own children
  // came first): its handle goes first, so the removal is not held back.
  if (m_base == &base && (m_parent == relative || m_parent.starts_with(relative + "/"))) {
    CloseHandle(reinterpret_cast<HANDLE>(m_parentHandle));
    m_parentHandle = -1;
  }
  // Only an empty folder: the system refuses the others.
  return DeleteByHandle(entry.Get(), attributes);
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
