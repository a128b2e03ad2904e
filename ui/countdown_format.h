#pragma once
// Texts of the countdown: the time left under the progress bar and in the
// tray tool-tip.
#include <cstdint>
#include <optional>

#include <wx/string.h>

#include "app/task_trigger.h"

// Highest action code (1..10 are the task-choice entries + 1; 0 is idle).
constexpr int kLastActionCode = 10;

// Relative mode: "HH:MM:SS" with hours not limited to 23. Absolute mode adds
// "<d> Day(s) and " in front once a day or more is left.
wxString FormatRemaining(std::uint32_t seconds, bool relativeMode);

// The tray tool-tip for an action code: "Duskwatch : Idle" for 0, otherwise
// the action's prefix and the time left. Nothing for unknown codes.
std::optional<wxString> TrayToolTip(int actionCode, std::uint32_t seconds, bool relativeMode);

// What a countdown waits for before it starts: "waiting for <program> to
// end", "waiting for 15 min without input (3 min so far)".
wxString FormatWaiting(const TaskTrigger& trigger, int idleMinutesSoFar);

// The tray tool-tip while waiting: "Duskwatch: Waiting for ...".
wxString WaitingToolTip(const TaskTrigger& trigger, int idleMinutesSoFar);
