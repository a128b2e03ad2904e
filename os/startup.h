#pragma once
// What the process arranges before the toolkit starts.

namespace os::startup {

// Call first thing in main(), before the toolkit reads its environment.
void PrepareToolkit();

// A command that only prints (the clean-up preview) writes to the console it
// was started from, also where the program is a windowed one that gets none.
// Output already redirected to a file or pipe stays where it goes.
void UseStartingConsole();

}  // namespace os::startup
