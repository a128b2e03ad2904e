#pragma once
// What each clean-up item does, in processing order: one entry per item
// (app/cleanup_items.h holds everything else about it: its task-file key and
// token, its message and codes, why it may be unavailable). Where an item acts
// on this platform is data in the platform's location tables; the entries
// stay the same on every platform.
#include <vector>

#include <wx/string.h>

#include "app/cleanup_items.h"

namespace cleanup {

class ItemContext;

// Runs on the GUI thread while the clean-up collects: adds what the item
// deletes to the pending lists through the context, and does at once what is
// no file deletion (registry values, database rows, the clipboard).
using ItemProcedure = void (*)(ItemContext& context);

// Whether an item does anything on this system, and if not, why (shown by the
// extras window beside the greyed-out check box).
struct Availability {
  bool available = true;
  wxString reason;  // empty when available
};

// Decides availability at run time (e.g. a browser item: available when the
// browser's location table has a row for this platform).
using AvailabilityProbe = Availability (*)();

struct CatalogueEntry {
  ItemId id;
  ItemProcedure collect;  // null: the item does nothing here
  // When set, decides instead of the row's unavailable reason.
  AvailabilityProbe probe = nullptr;
};

// Every item once, in processing order: the system entries, then
// BrowserCatalogue().
const std::vector<CatalogueEntry>& Catalogue();

// The entry of an item; null when it has none.
const CatalogueEntry* EntryOf(ItemId id);

// Whether the item is available on this system: its probe decides when it has
// one; otherwise it is when its row gives no reason, or when the location
// table has a row for it. An item without an entry never is.
Availability ItemAvailability(ItemId id);

}  // namespace cleanup
