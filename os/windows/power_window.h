#pragma once
// The hidden top-level window that receives WM_POWERBROADCAST (message-only
// windows get no broadcasts). One window per subscription, owned by the
// thread that subscribed, so its callback runs on that thread's message loop.
#include <windows.h>

#include <functional>

namespace os::win::power_window {

// The window class, for tests that send it power messages.
extern const wchar_t kClassName[];

// `refuseSuspend` answers the (pre-Vista) suspend query. 0 when the window
// cannot be created.
unsigned Subscribe(std::function<void(bool goingToSleep)> callback, std::function<bool()> refuseSuspend);
void Unsubscribe(unsigned id);

// What a window does with one WM_POWERBROADCAST.
LRESULT Handle(WPARAM event, const std::function<void(bool)>& callback, const std::function<bool()>& refuseSuspend,
               bool& asleep);

}  // namespace os::win::power_window
