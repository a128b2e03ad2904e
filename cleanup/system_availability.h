#pragma once
// Availability of the items whose stores the system keeps itself (registry
// histories, the URL cache, the shell's recycle bins and recent documents):
// there where the system has them, else where the location table has a row.
#include "cleanup/catalogue.h"

namespace cleanup {

Availability RegistryHistoryAvailability();
Availability IeRegistryAvailability();
Availability IeCacheAvailability();
Availability IeCookiesAvailability();
Availability IeHistoryAvailability();
Availability RecycleBinAvailability();
Availability RecentDocumentsAvailability();

}  // namespace cleanup
