#include "exec/now_action.h"

#include <chrono>

#include "app/clock.h"
#include "app/task.h"
#include "app/task_host.h"
#include "os/display.h"
#include "os/power.h"

bool RunNowAction(Task& task, TaskHost& host, int code) {
  int failedStep = 0;
  if (!os::power::EnableShutdownPrivilege(failedStep)) {
    host.LogError(failedStep == 1 ? 10615 : 10616, "Unable To perform current Task. Check DKWT_Error_.log file .",
                  true);
    return false;
  }
  switch (code) {
    case 1: return os::power::Perform(os::power::Action::PowerOff, true).ok;
    case 2: return os::power::Perform(os::power::Action::Reboot, true).ok;
    case 3: return os::power::Perform(os::power::Action::Suspend, true).ok;
    case 4: return os::power::Perform(os::power::Action::Hibernate, true).ok;
    case 5: return os::power::Perform(os::power::Action::LogOff, true).ok;
    case 6: {
      // Let the click's own input settle, or it would wake the display again.
      CurrentClock().Sleep(std::chrono::milliseconds(1000));
      int error = 0;
      if (!os::display::MonitorOff(error)) {
        host.LogError(error, "Can't Power the Monitor Off.", false);
        return false;
      }
      return true;
    }
    case 7: return task.LockWorkstation() == 0;
    default: return true;
  }
}
