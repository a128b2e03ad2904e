#include "os/startup.h"

#include <cstdlib>

namespace os::startup {

void PrepareToolkit() {
  // GTK on X11 loads the OpenGL driver (Mesa with LLVM, some 50 MB) only to
  // pick visuals; we draw nothing with OpenGL. A user's own choice stands.
  setenv("GDK_GL", "disable", 0);
}

// A terminal program here: its output already goes to the terminal.
void UseStartingConsole() {}

}  // namespace os::startup
