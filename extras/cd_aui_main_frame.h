#pragma once
// The extras window: the clean-up selection and the extras of the chosen
// action, on six pages. Created once, then only hidden: its controls are the
// store of the extras for the rest of the run, and the task engine reads them
// through ExtrasPages.
#include <array>
#include <memory>
#include <vector>

#include <wx/frame.h>

#include "app/extras_pages.h"
#include "extras/extras_host.h"

class CDAuiChildFrame;
class wxNotebook;
class wxTextCtrl;
class wxToggleButton;
class wxButton;
class wxBookCtrlEvent;

// The pages in tab order.
enum class ExtrasPageId { Cleanup, Alarm, Monitor, Wakeup, Launch, Options };
constexpr std::size_t kExtrasPageCount = 6;

class CDAuiMainFrame : public wxFrame, public ExtrasPages {
 public:
  // Room for the longest clean-up label and the fifteen History boxes in
  // GTK's fonts and spacing.
  static constexpr int kWidth = 860;
  static constexpr int kHeight = 640;
  static constexpr long kStyle = wxCLIP_CHILDREN | wxCAPTION | wxFRAME_TOOL_WINDOW | wxFRAME_FLOAT_ON_PARENT;

  CDAuiMainFrame(wxWindow* parent, std::unique_ptr<ExtrasHost> host, const wxString& title);
  ~CDAuiMainFrame() override;

  // The title of the window for a task-choice index ("" when out of range).
  static wxString TitleFor(int choiceIndex);
  // Settings applied when the window is created for this action.
  void ApplyFirstTimeSettings(int choiceIndex);
  // Title, page enabling, modal show and focus for the chosen action.
  void Configure(int choiceIndex);
  // The task-choice index the window was last configured for.
  int Action() const { return m_action; }

  // Every enabled state that follows from the action, the switches and the
  // modes (the pages call it after each change).
  void UpdateStates();

  void SetInfo(const wxString& text);
  wxString Info() const;
  wxToggleButton* FullToggle() const { return m_fullToggle; }
  CDAuiChildFrame* Page(ExtrasPageId page) const { return m_pages[static_cast<std::size_t>(page)]; }
  wxNotebook* Notebook() const { return m_notebook; }
  ExtrasHost& Host() { return *m_host; }
  const ExtrasHost& Host() const { return *m_host; }
  bool Modal() const { return m_modal; }

  // Close with validation (the "Close" button): false when a blocking check
  // failed and the window stays open.
  bool CloseWithChecks();

  // ExtrasPages (extras_values.cpp).
  bool ReminderEnabled() const override;
  int ReminderMinutes() const override;
  int ReminderSeconds() const override;
  wxString ReminderText() const override;
  bool MonitorPageOn() const override;
  bool MonitorRelative() const override;
  int MonitorHours() const override;
  int MonitorMinutes() const override;
  int MonitorSeconds() const override;
  wxDateTime MonitorDate() const override;
  bool MonitorAbsolute() const override;
  bool AlarmPageOn() const override;
  bool AlarmDefaultPlayTime() const override;
  int AlarmHours() const override;
  int AlarmMinutes() const override;
  int AlarmSeconds() const override;
  int AlarmVolume() const override;
  bool AlarmPageEnabled() const override;
  bool AlarmDefaultSound() const override;
  wxString AlarmSoundPath() const override;
  bool WakeupPageOn() const override;
  bool WakeupRelative() const override;
  int WakeupHours() const override;
  int WakeupMinutes() const override;
  int WakeupSeconds() const override;
  wxDateTime WakeupDate() const override;
  bool WakeupAbsolute() const override;
  bool LaunchPageOn() const override;
  bool ExitAfterLaunch() const override;
  bool CollectCleanupSelection(CleanupSelection& selection) const override;
  std::int64_t SystemWakeUpDelay(const WakeUpRequest& request, bool& valid) const override;
  std::int64_t MonitorWakeUpDelay(const WakeUpRequest& request, bool& valid) const override;

 private:
  void BuildLayout();
  void EnterModal();
  void LeaveModal();
  std::int64_t WakeUpDelay(const CDAuiChildFrame& page, bool monitor, const WakeUpRequest& request,
                           bool& valid) const;

  // The checks made on "Close" (cd_aui_main_frame_close.cpp).
  void SoundCheck();
  void PlayTimeCheck();
  bool LaunchCheck();
  bool TimeCheck(ExtrasPageId page);
  void FocusPage(ExtrasPageId page);

  void OnCloseButton(wxCommandEvent& event);
  void OnFullToggle(wxCommandEvent& event);
  void OnCloseWindow(wxCloseEvent& event);
  void OnPageChanged(wxBookCtrlEvent& event);

  std::unique_ptr<ExtrasHost> m_host;
  wxTextCtrl* m_info = nullptr;
  wxButton* m_closeButton = nullptr;
  wxToggleButton* m_fullToggle = nullptr;
  wxNotebook* m_notebook = nullptr;
  std::array<CDAuiChildFrame*, kExtrasPageCount> m_pages{};
  bool m_building = true;
  int m_action = -1;
  bool m_modal = false;
  bool m_monitorDetected = false;  // checked when configured for Monitor off
  std::vector<wxWindow*> m_disabled;  // what the modal show disabled

  wxDECLARE_EVENT_TABLE();
};
