#include "os/session.h"

#include <string>
#include <vector>

#include "os/dry_run.h"
#include "os/linux/logind.h"

namespace os::session {

bool Lock(int& errorCode) {
  errorCode = 0;
  if (dry_run::Active()) {
    dry_run::Record("lock");
    return true;
  }
  logind::Error error;
  logind::Bus bus;
  if (bus.Open(logind::BusType::System, error)) {
    std::string path;
    // logind asks the session's screen locker to lock.
    if (logind::FindOwnSession(bus, path, error) &&
        bus.CallNoReply(logind::kService, path.c_str(), logind::kSessionInterface, "Lock", nullptr,
                        logind::kQueryTimeoutMs, error))
      return true;
    if (!logind::IsServiceMissing(error)) {
      errorCode = error.code;
      return false;
    }
  }
  // Without an id loginctl locks the session it runs in.
  std::vector<std::string> argv = {"loginctl", "lock-session"};
  std::string id = logind::OwnSessionId();
  if (!id.empty())
    argv.push_back(id);
  logind::Error toolError;
  if (logind::RunTool(argv, toolError))
    return true;
  errorCode = toolError.code;
  return false;
}

}  // namespace os::session
