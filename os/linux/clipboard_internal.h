#pragma once
// Internal to the Linux platform layer: the ways of emptying the clipboard.

namespace os::clipboard::internal {

// Done, failed with its code, or not this way: NotHere lets the next way
// try, NoWay says a Wayland compositor is there but offers nothing.
enum class Route { NotHere, NoWay, Done, Failed };

// The compositor's data-control protocol (ext or wlroots).
Route WaylandEmpty(int& code);
// X11 selections; under XWayland, Mutter passes them on to Wayland clients.
Route X11Empty(int& code);

}  // namespace os::clipboard::internal
