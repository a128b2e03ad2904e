#include "tests/support/quiet_toolkit.h"

#include <wx/app.h>

void QuietToolkit() {
  wxApp::GTKAllowDiagnosticsControl();
  wxApp::GTKSuppressDiagnostics();
}
