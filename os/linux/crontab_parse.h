#pragma once
// The reading side of our crontab lines, apart so that it can be tested and
// fuzzed without running crontab: the table is whatever `crontab -l` printed.
#include <string>
#include <vector>

#include "os/scheduler.h"

namespace os::scheduler::crontab {

// Our entries in the table (lines ending in " # DKWT-task:<id>").
std::vector<Entry> Entries(const std::string& table);

// The table without the named entry's line; every other line kept byte for byte.
std::string WithoutEntry(const std::string& table, const std::string& name, bool& found);

}  // namespace os::scheduler::crontab
