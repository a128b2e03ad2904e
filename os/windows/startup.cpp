#include "os/startup.h"

namespace os::startup {

// The toolkit needs nothing set up here.
void PrepareToolkit() {}

}  // namespace os::startup
