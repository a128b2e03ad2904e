// The WinINet URL cache, the URL history object (COM) and WinINet's index
// files. Without a search pattern the cache walk sees only the content
// container, so cookies ("Cookie:") and history ("Visited:") are walked by
// their own prefixes as well. WinINet is loaded when first needed: it reads
// where its cache lives when it is loaded, and most runs never need it.
#include "os/internet_cache.h"

#include <windows.h>

#include <wininet.h>

#include <atomic>
#include <vector>

#include "os/windows/wide.h"

namespace os::internet_cache {

namespace {

// {3C374A40-BAE4-11CF-BF7D-00AA006946EE}
const CLSID kUrlHistory = {0x3c374a40, 0xbae4, 0x11cf, {0xbf, 0x7d, 0x00, 0xaa, 0x00, 0x69, 0x46, 0xee}};
// IUrlHistoryStg2 {AFA0DC11-C313-11D0-831A-00C04FD5AE38}
const IID kUrlHistoryStg2 = {0xafa0dc11, 0xc313, 0x11d0, {0x83, 0x1a, 0x00, 0xc0, 0x4f, 0xd5, 0xae, 0x38}};

// Only the slot that is called: IUnknown, IUrlHistoryStg (5 methods),
// IUrlHistoryStg2::AddUrlAndNotify, then ClearHistory.
struct UrlHistoryStg2 : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE AddUrl(LPCOLESTR, LPCOLESTR, DWORD) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeleteUrl(LPCOLESTR, DWORD) = 0;
  virtual HRESULT STDMETHODCALLTYPE QueryUrl(LPCOLESTR, DWORD, void*) = 0;
  virtual HRESULT STDMETHODCALLTYPE BindToObject(LPCOLESTR, REFIID, void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumUrls(void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddUrlAndNotify(LPCOLESTR, LPCOLESTR, DWORD, BOOL, IUnknown*,
                                                     IUnknown*) = 0;
  virtual HRESULT STDMETHODCALLTYPE ClearHistory() = 0;
};

struct WinInet {
  decltype(&FindFirstUrlCacheEntryW) findFirst = nullptr;
  decltype(&FindNextUrlCacheEntryW) findNext = nullptr;
  decltype(&FindCloseUrlCache) findClose = nullptr;
  decltype(&DeleteUrlCacheEntryW) deleteEntry = nullptr;
  DWORD loadError = 0;
};

const WinInet& Api() {
  static const WinInet api = [] {
    WinInet loaded;
    HMODULE module = LoadLibraryW(L"wininet.dll");
    if (!module) {
      loaded.loadError = GetLastError();
      return loaded;
    }
    loaded.findFirst = reinterpret_cast<decltype(&FindFirstUrlCacheEntryW)>(
        reinterpret_cast<void*>(GetProcAddress(module, "FindFirstUrlCacheEntryW")));
    loaded.findNext = reinterpret_cast<decltype(&FindNextUrlCacheEntryW)>(
        reinterpret_cast<void*>(GetProcAddress(module, "FindNextUrlCacheEntryW")));
    loaded.findClose = reinterpret_cast<decltype(&FindCloseUrlCache)>(
        reinterpret_cast<void*>(GetProcAddress(module, "FindCloseUrlCache")));
    loaded.deleteEntry = reinterpret_cast<decltype(&DeleteUrlCacheEntryW)>(
        reinterpret_cast<void*>(GetProcAddress(module, "DeleteUrlCacheEntryW")));
    if (!loaded.findFirst || !loaded.findNext || !loaded.findClose || !loaded.deleteEntry)
      loaded.loadError = ERROR_PROC_NOT_FOUND;
    return loaded;
  }();
  return api;
}

bool RunsOnWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// The three containers of the cache: content (no prefix), cookies, history.
const wchar_t* const kContainers[] = {nullptr, L"Cookie:", L"Visited:"};

// One container's entries; the buffer grows to what an entry needs.
class Walk {
 public:
  explicit Walk(const wchar_t* prefix) : m_prefix(prefix), m_buffer(4096) {}
  ~Walk() {
    if (m_handle)
      Api().findClose(m_handle);
  }
  Walk(const Walk&) = delete;
  Walk& operator=(const Walk&) = delete;

  // False at the end (code 0) or on a failure (its code).
  bool Next(int& code) {
    code = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
      DWORD size = static_cast<DWORD>(m_buffer.size());
      BOOL found;
      if (!m_handle) {
        m_handle = Api().findFirst(m_prefix, Entry(), &size);
        found = m_handle != nullptr;
      } else {
        found = Api().findNext(m_handle, Entry(), &size);
      }
      if (found)
        return true;
      const DWORD error = GetLastError();
      if (error == ERROR_INSUFFICIENT_BUFFER && size > m_buffer.size()) {
        m_buffer.resize(size);
        continue;
      }
      // An empty or absent container is no failure.
      if (error != ERROR_NO_MORE_ITEMS && error != ERROR_FILE_NOT_FOUND)
        code = static_cast<int>(error);
      return false;
    }
    code = ERROR_INSUFFICIENT_BUFFER;
    return false;
  }
  INTERNET_CACHE_ENTRY_INFOW* Entry() { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(m_buffer.data()); }

 private:
  const wchar_t* m_prefix;
  std::vector<unsigned char> m_buffer;
  HANDLE m_handle = nullptr;
};

class SystemStore final : public Store {
 public:
  Status Purge(const std::function<bool(std::uint32_t)>& remove, int& code) override {
    code = static_cast<int>(Api().loadError);
    if (code != 0)
      return Status::Failed;
    for (const wchar_t* prefix : kContainers) {
      Walk walk(prefix);
      int failure = 0;
      while (walk.Next(failure)) {
        const INTERNET_CACHE_ENTRY_INFOW* entry = walk.Entry();
        // In use or gone meanwhile: passed over, as a later start frees it.
        if (entry->lpszSourceUrlName && remove(entry->CacheEntryType))
          Api().deleteEntry(entry->lpszSourceUrlName);
      }
      if (failure != 0) {
        code = failure;
        return Status::Failed;
      }
    }
    return Status::Done;
  }

  Status ClearHistory(int& code) override {
    code = 0;
    // Wine's history object ends before ClearHistory: calling it there
    // jumps into nothing.
    if (RunsOnWine()) {
      code = static_cast<int>(E_NOTIMPL);
      return Status::Failed;
    }
    win::ComScope com;
    void* raw = nullptr;
    const HRESULT created = CoCreateInstance(kUrlHistory, nullptr, CLSCTX_INPROC_SERVER, kUrlHistoryStg2, &raw);
    if (FAILED(created)) {
      code = static_cast<int>(created);
      return Status::Failed;
    }
    auto* history = static_cast<UrlHistoryStg2*>(raw);
    const HRESULT cleared = history->ClearHistory();
    history->Release();
    if (FAILED(cleared)) {
      code = static_cast<int>(cleared);
      return Status::Failed;
    }
    return Status::Done;
  }
};

std::atomic<Store*> g_replacement{nullptr};

std::wstring WindowsPath(const std::string& path) {
  std::wstring wide = win::Wide(path);
  for (wchar_t& c : wide)
    if (c == L'/')
      c = L'\\';
  return wide;
}

// Overwrites the file's bytes with zeros through a handle that is checked to
// be a plain file (a link swapped in is opened as itself and left alone).
void ZeroFill(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;  // not opened: still deleted at the next start
  BY_HANDLE_FILE_INFORMATION info{};
  LARGE_INTEGER size{};
  if (GetFileInformationByHandle(file, &info) &&
      !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) &&
      GetFileSizeEx(file, &size)) {
    // In pieces: an index can be large, and no more than a piece is needed.
    static const std::vector<char> zeros(64 * 1024, 0);
    LONGLONG left = size.QuadPart;
    while (left > 0) {
      const DWORD piece = static_cast<DWORD>(left < static_cast<LONGLONG>(zeros.size()) ? left : zeros.size());
      DWORD written = 0;
      if (!WriteFile(file, zeros.data(), piece, &written, nullptr) || written == 0)
        break;
      left -= written;
    }
    FlushFileBuffers(file);
  }
  CloseHandle(file);
}

}  // namespace

Store& System() {
  static SystemStore store;
  return store;
}

Store& Current() {
  Store* replacement = g_replacement;
  return replacement ? *replacement : System();
}

// WinINet and its URL cache come with every Windows, browser or not.
bool Present() { return true; }

const std::vector<const char*>& ProcessNames() {
  static const std::vector<const char*> names = {"iexplore.exe"};
  return names;
}

Status RetireLockedIndex(const std::string& path, int& code) {
  code = 0;
  const std::wstring wide = WindowsPath(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
      return Status::Done;
    code = static_cast<int>(error);
    return Status::Failed;
  }
  if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) {
    code = ERROR_CANT_ACCESS_FILE;
    return Status::Failed;
  }
  ZeroFill(wide);
  if (!MoveFileExW(wide.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    code = static_cast<int>(GetLastError());
    return Status::Failed;
  }
  return Status::Done;
}

namespace testing {
void ReplaceStore(Store* store) { g_replacement = store; }
}  // namespace testing

}  // namespace os::internet_cache
