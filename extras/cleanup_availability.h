#pragma once
// Which clean-up items this system has data for.
#include <cstddef>

#include <wx/string.h>

struct CleanupAvailability {
  bool available = true;
  wxString reason;  // why not, for the user
};

// `item` in the flat order of CleanupSelection.
CleanupAvailability CleanupItemAvailability(std::size_t item);
