#pragma once
// The desktop's clipboard and its primary selection.
namespace os::clipboard {

// Empties both, also when another program owns them: this program takes
// them over and gives them up with nothing in them. False when there is no
// display to reach.
bool EmptyBoth();

}  // namespace os::clipboard
