#pragma once
// The clean-up catalogue: one row per clean-up item, walked in processing
// order by the runner. A row says what the item is (key and token of the task
// file), what it does while the clean-up collects (its procedure), and the
// message and codes its failures are reported with. Where an item acts on this
// platform is data in the platform's location tables; the rows stay the same
// on every platform.
#include <cstddef>
#include <string_view>
#include <vector>

#include <wx/string.h>

namespace cleanup {

class ItemContext;

// Runs on the GUI thread while the clean-up collects: adds what the item
// deletes to the pending lists through the context, and does at once what is
// no file deletion (registry values, database rows, the clipboard).
using ItemProcedure = void (*)(ItemContext& context);

// The five codes of an item that collects a folder; 0 = not reported.
struct ItemCodes {
  int lookupFailed = 0;     // the base folder's lookup failed
  int invalidArgument = 0;  // the base folder's lookup was given a bad argument
  int emptyBase = 0;        // the base folder resolved to an empty name
  int notOpened = 0;        // the folder exists but cannot be opened (or is refused)
  int traversal = 0;        // the walk failed part-way
};

// Whether an item does anything on this system, and if not, why (shown by the
// extras window beside the greyed-out check box).
struct Availability {
  bool available = true;
  wxString reason;  // empty when available
};

// Decides availability at run time (e.g. a browser row: available when the
// browser's location table has a row for this platform).
using AvailabilityProbe = Availability (*)();

struct CatalogueRow {
  const char* key;          // task-file key, e.g. "Free_Space"
  const char* token;        // task-file token, e.g. "Temp"
  ItemProcedure collect;    // null: the item does nothing here
  const char* message;      // reported with every code of the item ("" when it reports nothing)
  ItemCodes codes;
  // Null: available. Otherwise the reason the item is not available here.
  const char* unavailableReason;
  // When set, decides instead of unavailableReason.
  AvailabilityProbe probe = nullptr;
};

// Standard reasons.
extern const char kNoSuchData[];      // "This system keeps no such data."
extern const char kNoSuchBrowser[];   // "This browser does not exist on this system."
extern const char kNoSuchHistory[];   // "No program on this system keeps this history."

// Every row, in processing order: the system rows, then BrowserCatalogue().
const std::vector<CatalogueRow>& Catalogue();

// The row of a flat item index of CleanupSelection (order of
// app/cleanup_selection.cpp); null for an index out of range.
const CatalogueRow* RowOfItem(std::size_t item);

// Flat index of (key, token) in CleanupSelection; kCleanupItemCount when
// there is no such item.
std::size_t ItemIndex(std::string_view key, std::string_view token);

// Whether the item of this flat index is available on this system.
Availability ItemAvailability(std::size_t item);

}  // namespace cleanup
