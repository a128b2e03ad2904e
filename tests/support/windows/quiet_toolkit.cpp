#include "tests/support/quiet_toolkit.h"

// wxMSW writes no diagnostics of its own to the console.
void QuietToolkit() {}
