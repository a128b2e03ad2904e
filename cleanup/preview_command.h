#pragma once
// "DKWT -preview <task file> [--json]": what the clean-up of a task file would
// delete, printed without a window (no display needed).
#include <iosfwd>

namespace cleanup {

// -1 when the arguments are no preview command; otherwise the exit status:
// 0 done, 1 the task file cannot be read, 2 wrong arguments.
int RunPreviewCommand(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace cleanup
