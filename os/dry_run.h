#pragma once
// DKWT_DRY_RUN=<file>: every state-changing platform call appends one line
// "<verb> key=value ..." to the file and reports success instead of acting.
#include <string>
#include <utility>
#include <vector>

namespace os::dry_run {

bool Active();

// Appends "verb k1=v1 k2=v2" to the dry-run file. Values with blanks are quoted.
void Record(const std::string& verb, const std::vector<std::pair<std::string, std::string>>& args = {});

}  // namespace os::dry_run
