#include "os/clipboard.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <initializer_list>

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

bool EmptyBoth() {
  // A connection of our own: the toolkit's would deliver the selection
  // requests to its own clipboard code.
  Display* display = XOpenDisplay(nullptr);
  if (!display)
    return false;
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
  return ok;
}

}  // namespace os::clipboard
