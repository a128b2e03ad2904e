#pragma once
// The values of the extras window's pages, as the task engine and the task
// file writer read them. The extras window implements this; until it has
// been opened, every page is off.
#include <cstdint>

#include <wx/datetime.h>
#include <wx/string.h>

struct CleanupSelection;

class ExtrasPages {
 public:
  virtual ~ExtrasPages() = default;

  // Options page: the reminder.
  virtual bool ReminderEnabled() const { return false; }
  virtual int ReminderMinutes() const { return 0; }
  virtual int ReminderSeconds() const { return 0; }
  virtual wxString ReminderText() const { return wxString(); }

  // Monitor page: how long the monitor stays off.
  virtual bool MonitorPageOn() const { return false; }
  virtual bool MonitorRelative() const { return true; }
  virtual int MonitorHours() const { return 0; }
  virtual int MonitorMinutes() const { return 0; }
  virtual int MonitorSeconds() const { return 0; }
  virtual wxDateTime MonitorDate() const { return wxDateTime(); }
  virtual bool MonitorAbsolute() const { return false; }

  // Alarm page.
  virtual bool AlarmPageOn() const { return false; }
  virtual bool AlarmDefaultPlayTime() const { return true; }
  virtual int AlarmHours() const { return 0; }
  virtual int AlarmMinutes() const { return 0; }
  virtual int AlarmSeconds() const { return 0; }
  virtual int AlarmVolume() const { return 50; }
  // The page is enabled for the current action (as opposed to switched on).
  virtual bool AlarmPageEnabled() const { return false; }
  virtual bool AlarmDefaultSound() const { return true; }
  virtual wxString AlarmSoundPath() const { return wxString(); }

  // Wakeup page: the system wake-up delay.
  virtual bool WakeupPageOn() const { return false; }
  virtual bool WakeupRelative() const { return true; }
  virtual int WakeupHours() const { return 0; }
  virtual int WakeupMinutes() const { return 0; }
  virtual int WakeupSeconds() const { return 0; }
  virtual wxDateTime WakeupDate() const { return wxDateTime(); }
  virtual bool WakeupAbsolute() const { return false; }

  // Launch page.
  virtual bool LaunchPageOn() const { return false; }
  virtual bool ExitAfterLaunch() const { return false; }

  // Cleanup page: copies the ticked items into `selection`; false when
  // nothing is ticked.
  virtual bool CollectCleanupSelection(CleanupSelection& selection) const;

  // The wake-up delays, computed when a task starts. They tell the user
  // themselves why a time is refused; `valid` is false then and 0 returned.
  // Relative delays come back with one second added.
  struct WakeUpRequest {
    bool mainAbsolute = false;        // the main window counts to a date and time
    wxDateTime mainTarget;            // that date and time (absolute mode)
    std::uint32_t countdownSeconds = 0;
  };
  virtual std::int64_t SystemWakeUpDelay(const WakeUpRequest& request, bool& valid) const;
  virtual std::int64_t MonitorWakeUpDelay(const WakeUpRequest& request, bool& valid) const;
};

inline bool ExtrasPages::CollectCleanupSelection(CleanupSelection&) const { return false; }
inline std::int64_t ExtrasPages::SystemWakeUpDelay(const WakeUpRequest&, bool& valid) const {
  valid = false;
  return 0;
}
inline std::int64_t ExtrasPages::MonitorWakeUpDelay(const WakeUpRequest&, bool& valid) const {
  valid = false;
  return 0;
}
