#pragma once
// What the process arranges before the toolkit starts.

namespace os::startup {

// Call first thing in main(), before the toolkit reads its environment.
void PrepareToolkit();

}  // namespace os::startup
