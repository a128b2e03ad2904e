#include "ui/countdown_format.h"

#include <array>

namespace {

const std::array<const char*, kLastActionCode + 1> kTrayPrefixes = {
    "Duskwatch : Idle",
    "Duskwatch: Shuting down in ",
    "Duskwatch: Restarting PC in ",
    "Duskwatch: Standby in ",
    "Duskwatch: Hibernating in ",
    "Duskwatch: Logging Off in ",
    "Duskwatch: Time to Alarm ",
    "Duskwatch: Turning Monitor Off in ",
    "Duskwatch: Cleaning Up in ",
    "Duskwatch: Locking Workstation in ",
    "Duskwatch: Launching file in ",
};

}  // namespace

wxString FormatRemaining(std::uint32_t seconds, bool relativeMode) {
  const auto minutes = static_cast<int>((seconds % 3600) / 60);
  const auto secs = static_cast<int>(seconds % 60);
  if (relativeMode)
    return wxString::Format("%02d:%02d:%02d", static_cast<int>(seconds / 3600), minutes, secs);
  const auto days = static_cast<int>(seconds / 86400);
  const auto hours = static_cast<int>((seconds % 86400) / 3600);
  if (days > 0)
    return wxString::Format("%d %s and %02d:%02d:%02d", days, "Day(s)", hours, minutes, secs);
  return wxString::Format("%02d:%02d:%02d", hours, minutes, secs);
}

std::optional<wxString> TrayToolTip(int actionCode, std::uint32_t seconds, bool relativeMode) {
  if (actionCode < 0 || actionCode > kLastActionCode)
    return std::nullopt;
  if (actionCode == 0)
    return wxString(kTrayPrefixes[0]);
  return wxString(kTrayPrefixes[static_cast<std::size_t>(actionCode)]) + FormatRemaining(seconds, relativeMode);
}

wxString FormatWaiting(const TaskTrigger& trigger, int idleMinutesSoFar) {
  if (trigger.type == TriggerType::ProgramEnds)
    return wxString::Format("waiting for %s to end", trigger.program);
  if (trigger.type == TriggerType::Idle)
    return wxString::Format("waiting for %d min without input (%d min so far)", trigger.minutes, idleMinutesSoFar);
  return wxString();
}

wxString WaitingToolTip(const TaskTrigger& trigger, int idleMinutesSoFar) {
  const wxString text = FormatWaiting(trigger, idleMinutesSoFar);
  return "Duskwatch: " + text.Left(1).Upper() + text.Mid(1);
}
