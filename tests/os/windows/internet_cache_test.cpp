// Internet Explorer's stores through the real calls, as far as Wine has
// them: the URL cache's three containers, the URL history object, and an
// index file held open by another handle.
#include <gtest/gtest.h>
#include <windows.h>

#include <wininet.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "os/internet_cache.h"
#include "tests/support/sandbox.h"

namespace {

using os::internet_cache::Status;

// WinINet decides where its cache lives when it is loaded: it must not be
// loaded before the sandbox's folders are in place.
struct CacheCalls {
  decltype(&CommitUrlCacheEntryW) commit = nullptr;
  decltype(&GetUrlCacheEntryInfoW) info = nullptr;
  decltype(&CreateUrlCacheEntryW) create = nullptr;
};

template <typename T>
T Function(HMODULE module, const char* name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

CacheCalls LoadCacheCalls() {
  HMODULE module = LoadLibraryW(L"wininet.dll");
  if (!module)
    return {};
  return {Function<decltype(&CommitUrlCacheEntryW)>(module, "CommitUrlCacheEntryW"),
          Function<decltype(&GetUrlCacheEntryInfoW)>(module, "GetUrlCacheEntryInfoW"),
          Function<decltype(&CreateUrlCacheEntryW)>(module, "CreateUrlCacheEntryW")};
}

bool Cached(const CacheCalls& calls, const wchar_t* url) {
  std::vector<unsigned char> buffer(8192);
  DWORD size = static_cast<DWORD>(buffer.size());
  return calls.info(url, reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data()), &size) ||
         GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

const wchar_t kPage[] = L"http://example.com/page.html";
const wchar_t kCookie[] = L"Cookie:user@example.com/";
const wchar_t kVisit[] = L"Visited: user@http://example.com/page.html";

void Seed(const CacheCalls& calls) {
  wchar_t file[MAX_PATH] = L"";
  ASSERT_TRUE(calls.create(kPage, 0, L"html", file, 0)) << GetLastError();
  std::ofstream(std::filesystem::path(file)) << "<html></html>";
  const FILETIME never{};
  ASSERT_TRUE(calls.commit(kPage, file, never, never, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr))
      << GetLastError();
  ASSERT_TRUE(calls.commit(kCookie, nullptr, never, never, COOKIE_CACHE_ENTRY, nullptr, 0, nullptr, nullptr))
      << GetLastError();
  ASSERT_TRUE(calls.commit(kVisit, nullptr, never, never, URLHISTORY_CACHE_ENTRY, nullptr, 0, nullptr, nullptr))
      << GetLastError();
}

}  // namespace

TEST(InternetCache, EachContainerIsWalkedAndOnlyTheChosenTypeGoes) {
  ASSERT_EQ(GetModuleHandleW(L"wininet.dll"), nullptr) << "WinINet would use the prefix's own cache";
  Sandbox sandbox;
  const CacheCalls calls = LoadCacheCalls();
  ASSERT_TRUE(calls.commit && calls.info && calls.create);
  ASSERT_NO_FATAL_FAILURE(Seed(calls));
  ASSERT_TRUE(Cached(calls, kPage) && Cached(calls, kCookie) && Cached(calls, kVisit));

  struct Step {
    std::uint32_t bit;
    const wchar_t* gone;
  };
  std::vector<const wchar_t*> left = {kPage, kCookie, kVisit};
  for (const Step step : {Step{COOKIE_CACHE_ENTRY, kCookie}, Step{URLHISTORY_CACHE_ENTRY, kVisit},
                          Step{NORMAL_CACHE_ENTRY, kPage}}) {
    int code = -1;
    EXPECT_EQ(os::internet_cache::System().Purge([&](std::uint32_t type) { return (type & step.bit) != 0; }, code),
              Status::Done)
        << code;
    std::erase(left, step.gone);
    EXPECT_FALSE(Cached(calls, step.gone));
    for (const wchar_t* url : left)
      EXPECT_TRUE(Cached(calls, url)) << "only the chosen type goes";
  }
}

TEST(InternetCache, HistoryObjectAnswersOrItsFailureCarriesACode) {
  Sandbox sandbox;
  int code = 0;
  const Status status = os::internet_cache::System().ClearHistory(code);
  // Wine's history object may be a stub: then the failure must say so.
  EXPECT_TRUE(status == Status::Done || (status == Status::Failed && code != 0)) << code;
  RecordProperty("ClearHistory", status == Status::Done ? "done" : std::to_string(code));
}

namespace {

const wchar_t kPending[] = L"System\\CurrentControlSet\\Control\\Session Manager";

std::wstring PendingRenames() {
  std::vector<wchar_t> data(65536);
  DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kPending, L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr,
                   data.data(), &size) != ERROR_SUCCESS)
    return {};
  return std::wstring(data.data(), size / sizeof(wchar_t));
}

}  // namespace

TEST(InternetCache, LockedIndexIsZeroedAndDeletedAtTheNextStart) {
  Sandbox sandbox;
  const std::filesystem::path index = sandbox.Tmp() / "Content.IE5" / "index.dat";
  std::filesystem::create_directories(index.parent_path());
  Sandbox::WriteFile(index, std::string(100000, 'u'));
  const std::wstring before = PendingRenames();
  {
    // Held the way WinINet holds it: others may read and write, not delete.
    HANDLE held = CreateFileW(index.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_FALSE(DeleteFileW(index.c_str())) << "the file must be locked for this test";
    int code = -1;
    EXPECT_EQ(os::internet_cache::RetireLockedIndex(index.string(), code), Status::Done) << code;
    CloseHandle(held);
  }
  EXPECT_EQ(Sandbox::ReadFile(index), std::string(100000, '\0'));
  const std::wstring after = PendingRenames();
  EXPECT_NE(after.find(index.filename().wstring()), std::wstring::npos);
  EXPECT_NE(after.find(index.parent_path().filename().wstring()), std::wstring::npos);
  // This prefix is the test's: leave its list as it was.
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPending, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    if (before.empty())
      RegDeleteValueW(key, L"PendingFileRenameOperations");
    else
      RegSetValueExW(key, L"PendingFileRenameOperations", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(before.data()),
                     static_cast<DWORD>(before.size() * sizeof(wchar_t)));
    RegCloseKey(key);
  }
}

TEST(InternetCache, AFolderInAnIndexFilesPlaceIsLeftAlone) {
  Sandbox sandbox;
  const std::filesystem::path folder = sandbox.Tmp() / "index.dat";
  std::filesystem::create_directories(folder);
  Sandbox::WriteFile(folder / "inside", "kept");
  int code = 0;
  EXPECT_EQ(os::internet_cache::RetireLockedIndex(folder.string(), code), Status::Failed);
  EXPECT_NE(code, 0);
  EXPECT_EQ(Sandbox::ReadFile(folder / "inside"), "kept");
  EXPECT_EQ(os::internet_cache::RetireLockedIndex((sandbox.Tmp() / "gone" / "index.dat").string(), code),
            Status::Done);
}
