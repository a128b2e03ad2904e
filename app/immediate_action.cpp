#include "app/immediate_action.h"

#include <array>

#include <wx/msgdlg.h>

#include "app/message_box.h"
#include "os/power.h"

namespace {

struct ImmediateAction {
  os::power::Action action;
  const char* question;
};

const std::array<ImmediateAction, 5> kActions = {{
    {os::power::Action::PowerOff, "Shutdown the system now?"},
    {os::power::Action::Reboot, "Restart the system now?"},
    {os::power::Action::Suspend, "Go to Standby now?"},
    {os::power::Action::Hibernate, "hibernate the system now?"},
    {os::power::Action::LogOff, "Logout now?"},
}};

}  // namespace

int RunImmediateAction(int action, bool quiet) {
  int failedStep = 0;
  if (!os::power::EnableShutdownPrivilege(failedStep))
    return failedStep == 1 ? kImmediateNoToken : kImmediateNoPrivilege;
  if (action < 1 || action > static_cast<int>(kActions.size()))
    return kImmediateDeclined;
  const ImmediateAction& entry = kActions[static_cast<std::size_t>(action - 1)];
  if (!quiet && ShowMessage(entry.question, "Duskwatch", wxYES_NO | wxICON_QUESTION) != wxYES)
    return kImmediateDeclined;
  return os::power::Perform(entry.action, true).ok ? kImmediateDone : kImmediateCallFailed;
}
