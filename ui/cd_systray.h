#pragma once
// The notification-area icon of the main window: shows the armed action and
// the time left, restores the window and offers the now-commands.
#include <memory>
#include <vector>

#include <wx/event.h>
#include <wx/iconbndl.h>

#include "os/tray.h"

// What the tray icon asks of the window that owns it.
class TrayHost {
 public:
  virtual ~TrayHost() = default;
  // A task is armed (countdown, alarm or monitor watch in progress).
  virtual bool IsArmed() const = 0;
  // The program was started with a task file.
  virtual bool IsTaskFileRun() const = 0;
  // The "Warnings" option: ask before a now-command.
  virtual bool ShowWarnings() const = 0;
  // Runs a now-command (1 shut down, 2 restart, 3 stand by, 4 hibernate,
  // 5 log off, 6 monitor off, 7 lock) once the user agreed.
  virtual bool RunNow(int code) = 0;
  // Brings the window back, only while the icon is shown and the window hidden.
  virtual void RestoreFromTray() = 0;
  // The same as the window's "Full Clean-Up Now".
  virtual void FullCleanupNow() = 0;
  // Closes the main window without a veto; the program ends.
  virtual void ExitProgram() = 0;
  // The icon failed after it was shown (the panel refused it, the bus went
  // away): the window must not stay hidden behind an icon nobody sees.
  virtual void TrayIconFailed(int code, const wxString& message) = 0;
};

// The icon itself is the platform's (os/tray.h): a StatusNotifierItem, the
// toolkit's tray icon or none. Its commands come back here as menu events.
class CDSysTray : public wxEvtHandler {
 public:
  // Menu ids: 9999 restore, 10000..10006 the now-commands 1..7, 10007 full
  // clean-up, 10008 exit.
  enum : int {
    kRestore = 9999,
    kShutdownNow = 10000,
    kRestartNow = 10001,
    kStandbyNow = 10002,
    kHibernateNow = 10003,
    kLogOffNow = 10004,
    kMonitorOffNow = 10005,
    kLockNow = 10006,
    kFullCleanupNow = 10007,
    kExit = 10008,
  };

  explicit CDSysTray(TrayHost* host = nullptr, os::tray::Kind kind = os::tray::Kind::None);
  ~CDSysTray() override;

  void SetHost(TrayHost* host) { m_host = host; }

  // The tray this desktop offers. None: the icon could not be seen or
  // clicked, so the window must stay reachable in the task bar instead.
  static os::tray::Kind DesktopTray() { return os::tray::Choose(os::tray::Probe()); }

  // Shows the icon (or updates it) with its tool-tip. False when there is no icon to show.
  bool ShowStatus(const wxIconBundle& icon, const wxString& toolTip);
  bool RemoveIcon();
  bool IsIconInstalled() const;

  // The menu a right-click shows; empty (no menu) while a task is armed.
  std::vector<os::tray::MenuItem> MenuItems() const;

  // The icon's primary action: restores the window after a short pause.
  void Activated();

 private:
  void OnRestore(wxCommandEvent& event);
  void OnNowCommand(wxCommandEvent& event);
  void OnFullCleanupNow(wxCommandEvent& event);
  void OnExit(wxCommandEvent& event);

  TrayHost* m_host = nullptr;
  std::unique_ptr<os::tray::Icon> m_icon;

  wxDECLARE_EVENT_TABLE();
};
