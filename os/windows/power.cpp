// Power actions through ExitWindowsEx and SetSuspendState; the sleep
// inhibitor is a thread that holds an execution state (which belongs to the
// thread that set it); sleep notifications arrive as WM_POWERBROADCAST at a
// hidden top-level window of the subscribing (GUI) thread.
//
// Forced: EWX_FORCE, and SetSuspendState's force argument. Not forced:
// EWX_FORCEIFHUNG, so programs that answer may still object.
#include "os/power.h"

#include <windows.h>

#include <powrprof.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "os/dry_run.h"
#include "os/windows/power_window.h"
#include "os/windows/wide.h"

namespace os::power {

namespace {

void RecordDryRun(Action action, bool force) {
  const std::string forced = force ? "1" : "0";
  switch (action) {
    case Action::PowerOff: dry_run::Record("poweroff", {{"force", forced}}); break;
    case Action::Reboot: dry_run::Record("reboot", {{"force", forced}}); break;
    case Action::Suspend: dry_run::Record("suspend", {{"hibernate", "0"}, {"force", forced}}); break;
    case Action::Hibernate: dry_run::Record("suspend", {{"hibernate", "1"}, {"force", forced}}); break;
    case Action::LogOff: dry_run::Record("logoff", {{"force", forced}}); break;
  }
}

Outcome Result(bool ok) {
  Outcome outcome;
  outcome.ok = ok;
  if (!ok) {
    const DWORD error = GetLastError();
    outcome.errorCode = error != 0 ? static_cast<int>(error) : 1;
    outcome.message = win::SystemText(error);
  }
  return outcome;
}

UINT ExitFlags(Action action, bool force) {
  const UINT mode = force ? EWX_FORCE : EWX_FORCEIFHUNG;
  switch (action) {
    case Action::PowerOff: return EWX_SHUTDOWN | mode;
    case Action::Reboot: return EWX_REBOOT | mode;
    case Action::LogOff: return EWX_LOGOFF | mode;
    case Action::Suspend:
    case Action::Hibernate: break;
  }
  return 0;
}

// The inhibitor's thread sets the execution state and keeps it until told to
// end; the state ends with the thread.
std::mutex g_inhibitorMutex;
std::thread g_inhibitorThread;
HANDLE g_inhibitorStop = nullptr;
bool g_inhibitorRecorded = false;  // held under the dry-run switch
std::atomic<bool> g_inhibitorHeld{false};

}  // namespace

bool EnableShutdownPrivilege(int& failedStep) {
  failedStep = 0;
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    failedStep = 1;
    return false;
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  bool ok = LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid) &&
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
            GetLastError() == ERROR_SUCCESS;  // ERROR_NOT_ALL_ASSIGNED: not granted
  CloseHandle(token);
  if (!ok)
    failedStep = 2;
  return ok;
}

Outcome Perform(Action action, bool force) {
  if (dry_run::Active()) {
    RecordDryRun(action, force);
    return Result(true);
  }
  if (action == Action::Suspend || action == Action::Hibernate) {
    // Wake events stay enabled, so a wake-up timer can end the sleep.
    return Result(SetSuspendState(action == Action::Hibernate, force, FALSE) != FALSE);
  }
  return Result(ExitWindowsEx(ExitFlags(action, force), SHTDN_REASON_FLAG_PLANNED) != FALSE);
}

bool HoldSleepInhibitor(const std::string&) {
  std::lock_guard<std::mutex> lock(g_inhibitorMutex);
  if (g_inhibitorThread.joinable() || g_inhibitorRecorded)
    return true;
  if (dry_run::Active()) {
    dry_run::Record("inhibit", {{"what", "sleep:idle"}, {"mode", "block"}});
    g_inhibitorRecorded = true;
    g_inhibitorHeld = true;
    return true;
  }
  HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!stop || !started) {
    if (stop)
      CloseHandle(stop);
    if (started)
      CloseHandle(started);
    return false;
  }
  std::atomic<bool> set{false};
  g_inhibitorThread = std::thread([stop, started, &set] {
    const bool held = SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) != 0;
    set = held;
    SetEvent(started);  // `set` and `started` are the caller's: not touched after this
    if (held)
      WaitForSingleObject(stop, INFINITE);
  });
  WaitForSingleObject(started, INFINITE);
  CloseHandle(started);
  if (!set) {
    g_inhibitorThread.join();
    CloseHandle(stop);
    return false;
  }
  g_inhibitorStop = stop;
  g_inhibitorHeld = true;
  return true;
}

void ReleaseSleepInhibitor() {
  std::lock_guard<std::mutex> lock(g_inhibitorMutex);
  if (g_inhibitorThread.joinable()) {
    SetEvent(g_inhibitorStop);
    g_inhibitorThread.join();
    CloseHandle(g_inhibitorStop);
    g_inhibitorStop = nullptr;
  }
  if (g_inhibitorRecorded) {
    dry_run::Record("uninhibit");
    g_inhibitorRecorded = false;
  }
  g_inhibitorHeld = false;
}

bool SleepInhibitorHeld() { return g_inhibitorHeld; }

unsigned SubscribeSleepSignal(SleepCallback callback) {
  return win::power_window::Subscribe(
      std::move(callback), [] { return g_inhibitorHeld.load(); });
}

void UnsubscribeSleepSignal(unsigned id) { win::power_window::Unsubscribe(id); }

}  // namespace os::power
