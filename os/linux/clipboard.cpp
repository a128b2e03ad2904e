// The clipboard: the compositor's data control on Wayland, X11 selections
// otherwise (and under XWayland, which Mutter bridges to Wayland clients).
#include "os/clipboard.h"

#include <cerrno>
#include <cstdlib>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <initializer_list>

#include "os/linux/clipboard_internal.h"

namespace os::clipboard {

namespace {

// A server time stamp: selection ownership must not use CurrentTime.
Time ServerTime(Display* display, Window window) {
  const Atom stamp = XInternAtom(display, "DKWT_TIMESTAMP", False);
  XChangeProperty(display, window, stamp, XA_STRING, 8, PropModeAppend, nullptr, 0);
  XEvent event;
  XWindowEvent(display, window, PropertyChangeMask, &event);
  return event.xproperty.time;
}

}  // namespace

internal::Route internal::X11Empty(int& code) {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name)
    return Route::NotHere;
  // A connection of our own: the toolkit's would deliver the selection
  // requests to its own clipboard code.
  Display* display = XOpenDisplay(nullptr);
  if (!display)
    return Route::NotHere;
  XSetWindowAttributes attributes{};
  attributes.event_mask = PropertyChangeMask;
  const Window window = XCreateWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, CopyFromParent, InputOnly,
                                      CopyFromParent, CWEventMask, &attributes);
  const Time now = ServerTime(display, window);
  bool ok = true;
  for (const char* name : {"CLIPBOARD", "PRIMARY"}) {
    const Atom selection = XInternAtom(display, name, False);
    // Taking it over makes the owner drop its content; giving it up then
    // leaves the selection with no owner and nothing in it.
    XSetSelectionOwner(display, selection, window, now);
    if (XGetSelectionOwner(display, selection) != window)
      ok = false;
    XSetSelectionOwner(display, selection, None, now);
  }
  XDestroyWindow(display, window);
  XCloseDisplay(display);
  code = ok ? 0 : EBUSY;  // someone took it back at once
  return ok ? Route::Done : Route::Failed;
}

bool EmptyBoth(int& errorCode) {
  using internal::Route;
  errorCode = 0;
  const Route wayland = internal::WaylandEmpty(errorCode);
  if (wayland == Route::Done || wayland == Route::Failed)
    return wayland == Route::Done;
  // No data control: only XWayland's selections are left to empty.
  const Route x11 = internal::X11Empty(errorCode);
  if (x11 == Route::Done || x11 == Route::Failed)
    return x11 == Route::Done;
  errorCode = wayland == Route::NoWay ? ENOTSUP : ENXIO;
  return false;
}

}  // namespace os::clipboard
