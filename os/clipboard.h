#pragma once
// The desktop's clipboard and its primary selection.
namespace os::clipboard {

// Empties both, also when another program owns them: this program takes
// them over and gives them up with nothing in them (X11), or unsets them
// through the compositor's data control (Wayland). False with an errno-style
// code when it cannot: ENXIO without a display to reach, ENOTSUP when the
// compositor offers no way (GNOME without XWayland), else what failed.
bool EmptyBoth(int& errorCode);

}  // namespace os::clipboard
