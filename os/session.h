#pragma once
// The user's graphical session.
#include <string>

namespace os::session {

// Locks the caller's session. False with the system's error code when the
// session cannot be locked. Recorded instead of done under the dry-run switch.
bool Lock(int& errorCode);

}  // namespace os::session
