// A stand-in for a browser: one visible top-level window. With
// "--keep-open" it refuses WM_CLOSE, as a browser asking "close all tabs?"
// does; otherwise it ends when asked.
#include <windows.h>

#include <cwchar>

namespace {

bool g_keepOpen = false;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE && g_keepOpen)
    return 0;
  if (message == WM_DESTROY) {
    PostQuitMessage(7);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  g_keepOpen = std::wcsstr(GetCommandLineW(), L"--keep-open") != nullptr;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"DkwtClosableWindow";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowW(L"DkwtClosableWindow", L"Closable window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                              100, nullptr, nullptr, instance, nullptr);
  if (!window)
    return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
