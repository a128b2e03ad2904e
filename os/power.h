#pragma once
// Power and session-end actions, the sleep inhibitor and sleep notifications.
// Under the dry-run switch every action is recorded instead of done.
#include <functional>
#include <string>

namespace os::power {

enum class Action { PowerOff, Reboot, Suspend, Hibernate, LogOff };

struct Outcome {
  bool ok = false;
  int errorCode = 0;      // the system's error code when !ok (errno-style, or 1 when none)
  std::string message;    // the system's own text, for the log
};

// Enables the process's shutdown privilege where the system has one (failedStep
// 1: the token, 2: the privilege); elsewhere it succeeds and the service
// decides at the call.
bool EnableShutdownPrivilege(int& failedStep);

// Not forced: running programs and inhibitors have their say.
// Forced: goes ahead as far as the service allows this user.
Outcome Perform(Action action, bool force);

// Keeps the machine from sleeping and refuses other programs' suspend
// requests while held. Holding twice keeps one inhibitor.
bool HoldSleepInhibitor(const std::string& why);
void ReleaseSleepInhibitor();
bool SleepInhibitorHeld();

// Called on the GUI thread: true just before the system sleeps, false after
// it resumed. Returns a subscription id (0 when the bus is not reachable).
using SleepCallback = std::function<void(bool goingToSleep)>;
unsigned SubscribeSleepSignal(SleepCallback callback);
void UnsubscribeSleepSignal(unsigned id);

}  // namespace os::power
