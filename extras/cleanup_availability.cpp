#include "extras/cleanup_availability.h"

CleanupAvailability CleanupItemAvailability(std::size_t) { return {}; }
