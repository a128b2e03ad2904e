#pragma once
// The parts of a clean-up run that need no window: collecting the selected
// items, and closing the browsers whose items are selected.
#include <chrono>
#include <cstdint>
#include <vector>

#include "app/cleanup_selection.h"

class Clock;

namespace cleanup {

class ItemContext;

// Runs the procedure of every selected item, in catalogue order (GUI thread).
// A failing item reports and never stops the following ones.
void CollectSelectedItems(ItemContext& context);

// The browsers the clean-up closes, by the family of their items.
struct BrowserProcesses {
  BrowserFamily family;
  std::vector<const char*> executables;  // this platform's executable names
  std::chrono::milliseconds pause;       // longest wait per process
};
const std::vector<BrowserProcesses>& BrowserProcessTable();

// Asks the running browsers whose items are selected to close (forcing at
// once when asking fails) and waits until they have ended, at most the
// pauses of the table plus the closing pause; those still running then are
// forced to end. Returns the ids it asked to end.
std::vector<std::uint32_t> CloseBrowsers(const CleanupSelection& selection, Clock& clock);

}  // namespace cleanup
