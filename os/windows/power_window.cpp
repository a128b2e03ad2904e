#include "os/windows/power_window.h"

#include <map>
#include <mutex>

namespace os::win::power_window {

const wchar_t kClassName[] = L"DuskwatchPowerEvents";

namespace {

struct Subscription {
  std::function<void(bool)> callback;
  std::function<bool()> refuseSuspend;
  bool asleep = false;
};

std::mutex g_mutex;
std::map<unsigned, HWND> g_windows;
unsigned g_next = 1;

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* subscription = reinterpret_cast<Subscription*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_POWERBROADCAST && subscription)
    return Handle(wParam, subscription->callback, subscription->refuseSuspend, subscription->asleep);
  if (message == WM_NCDESTROY && subscription) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    delete subscription;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterClassOnce() {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

}  // namespace

LRESULT Handle(WPARAM event, const std::function<void(bool)>& callback, const std::function<bool()>& refuseSuspend,
               bool& asleep) {
  switch (event) {
    case PBT_APMQUERYSUSPEND:
      return (refuseSuspend && refuseSuspend()) ? BROADCAST_QUERY_DENY : TRUE;
    case PBT_APMSUSPEND:
      asleep = true;
      if (callback)
        callback(true);
      break;
    case PBT_APMRESUMEAUTOMATIC:
    case PBT_APMRESUMESUSPEND:
    case PBT_APMRESUMECRITICAL:
      // Several of these follow one sleep: the first one tells.
      if (asleep) {
        asleep = false;
        if (callback)
          callback(false);
      }
      break;
    default:
      break;
  }
  return TRUE;
}

unsigned Subscribe(std::function<void(bool)> callback, std::function<bool()> refuseSuspend) {
  if (!RegisterClassOnce())
    return 0;
  // A top-level popup that is never shown: broadcasts reach it, the user never sees it.
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (!window)
    return 0;
  SetWindowLongPtrW(window, GWLP_USERDATA,
                    reinterpret_cast<LONG_PTR>(new Subscription{std::move(callback), std::move(refuseSuspend)}));
  std::lock_guard<std::mutex> lock(g_mutex);
  const unsigned id = g_next++;
  g_windows[id] = window;
  return id;
}

void Unsubscribe(unsigned id) {
  HWND window = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto found = g_windows.find(id);
    if (found == g_windows.end())
      return;
    window = found->second;
    g_windows.erase(found);
  }
  // Only its own thread may destroy it; from elsewhere it is asked to close.
  if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
    DestroyWindow(window);
  else
    PostMessageW(window, WM_CLOSE, 0, 0);
}

}  // namespace os::win::power_window
