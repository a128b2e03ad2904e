#pragma once
// The browser items (Firefox, Opera, Chrome, Safari) of the clean-up
// catalogue and the browser discovery that fills the browser fields of Task
// before they run.
#include <vector>

#include "cleanup/catalogue.h"

class Task;

namespace cleanup {

// The browser entries, in processing order (after the system entries).
const std::vector<CatalogueEntry>& BrowserCatalogue();

// Fills the browser fields of the task; reports through task.Host().
// Called at start-up and at the start of every clean-up.
void DiscoverBrowsers(Task& task);

}  // namespace cleanup
