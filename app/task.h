#pragma once
// The one record of the current task, owned by the main window.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <wx/string.h>

#include "app/cd_sound.h"
#include "app/task_trigger.h"
#include "os/display.h"

class TaskHost;

// Monitor power-state answers.
constexpr int kMonitorOn = 10469;
constexpr int kMonitorStandbyOrOff = 10470;
constexpr int kMonitorSuspended = 10471;
constexpr int kMonitorUnknown = 10473;

// Operating-system family codes.
constexpr std::uint16_t kOsWin9x = 10999;
constexpr std::uint16_t kOsNt = 11999;
constexpr std::uint16_t kOsLinux = 12999;
constexpr std::uint16_t kOsUnsupported = 13999;

class Task {
 public:
  explicit Task(TaskHost* host = nullptr) : m_host(host) {}

  void SetHost(TaskHost* host) { m_host = host; }
  TaskHost* Host() const { return m_host; }

  // Clears the ten action flags.
  void ClearActions();
  // Index (0-9) of the armed action, -1 when none.
  int ArmedIndex() const;
  // Arms exactly the action of the given index.
  void ArmAction(int index);

  // System information.
  void CheckSystem();
  int InternetExplorerVersion();
  wxString DescribeSystem();

  // Execution (what happens when the countdown reaches zero).
  void execute();
  bool PowerAction(int code);
  bool PlayAlarm();
  void StopAlarm();
  int LockWorkstation();
  bool MonitorOff();

  // Launching files and monitors.
  bool LaunchFile(const wxString& path);
  bool MonitorSupported();
  int MonitorPowerState();
  void ListMonitors(std::vector<os::display::MonitorInfo>& list);

  // The armed action.
  bool m_shutdown = false;
  bool m_restart = false;
  bool m_standby = false;
  bool m_hibernate = false;
  bool m_logoff = false;
  bool m_alarm = false;
  bool m_monitorOff = false;
  bool m_cleanup = false;
  bool m_lock = false;
  bool m_launch = false;

  bool m_force = false;
  bool m_monitorWakeUp = false;
  std::int32_t m_monitorWakeSeconds = 0;
  bool m_systemWakeUp = false;
  std::int64_t m_wakeUpSeconds = 0;
  std::int64_t m_activeWakeUpSeconds = 0;
  std::int64_t m_wakeUpDueTime = 0;
  std::int32_t m_alarmSeconds = 20;
  CDSound m_alarmSound;                   // the built-in tone
  std::unique_ptr<CDSound> m_customAlarm;  // built from m_tonePath at each custom alarm
  bool m_customTone = false;
  wxString m_tonePath;
  wxString m_launchPath;
  TaskTrigger m_trigger;  // when the countdown starts
  std::int32_t m_ieVersion = 0;

  // System information.
  std::uint16_t m_osCode = 0;
  bool m_win9xFamily = false;
  bool m_ntFamily = false;
  bool m_otherFamily = false;
  bool m_unsupported = false;
  bool m_vistaOrLater = false;
  bool m_win7OrLater = false;

  // Browsers, filled by the browser discovery before each clean-up.
  bool FirefoxInstalled = false;
  int FirefoxVersionCode = 0;          // 0, 1, 15, 20, 30 or 40
  long FirefoxVersionNumber = 0;       // the version's digits read as one number
  bool FirefoxVersionKnown = false;    // the Firefox items run only when set
  wxString FirefoxProfileFolder;
  wxString FirefoxProfileRelativePath;
  bool FirefoxProfileIsRelative = false;
  int OperaOldVersionCode = 0;         // 0, 8, 9, 95, 999, -1
  int OperaNewVersionCode = 0;         // 0, 10, 11, 999, -1
  wxString OperaOldProfileFolder;
  wxString OperaNewProfileFolder;
  wxString OperaInstallFolder;
  wxString OperaInstallName;
  bool OperaMultiUserOld = false;
  bool OperaMultiUserNew = false;
  bool OperaLookupFailed = false;
  wxString OperaChromiumFolder;        // today's Opera, built on Chromium; empty when absent

  // Runtime state of the execution.
  bool m_suspendRequested = false;
  bool m_monitorOffPending = false;
  bool m_defaultAlarmPlaying = false;
  bool m_customAlarmPlaying = false;
  bool m_fileLaunched = false;
  bool m_preventStandby = false;
  bool m_executionStateHeld = false;
  bool m_resumedByOwnTimer = false;
  bool m_launchAfterWakeUp = false;

  // Arms the system wake-up timer before a suspend; installed by the owner
  // of the wake-up settings.
  std::function<bool()> m_armWakeUpTimer;

 private:
  void LogError(int code, const wxString& message) const;
  // The alarm after actions that are no power action.
  bool AlarmExtraWanted() const;

  TaskHost* m_host = nullptr;
};
