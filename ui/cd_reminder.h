#pragma once
// The small always-on-top window that counts the last minutes before the
// armed action and shows the user's reminder text.
#include <wx/frame.h>

class wxBoxSizer;
class wxMouseEvent;
class wxStaticText;

// What the reminder asks of the window that owns it.
class ReminderHost {
 public:
  virtual ~ReminderHost() = default;
  // Double-click: stop the task (a task-file run ends the program instead).
  virtual void OnReminderStop() = 0;
  // Right-click: the reminder has hidden itself and reset to 00:00 with no
  // heading; it must stay away for the rest of this countdown.
  virtual void OnReminderDismissed() = 0;
};

class CDReminder : public wxFrame {
 public:
  static constexpr wxWindowID kId = 7007;
  static constexpr wxWindowID kHeadingId = 9108;
  static constexpr wxWindowID kMessageId = 9109;
  static constexpr wxWindowID kHintId = 9110;
  static constexpr long kStyle =
      wxCAPTION | wxRAISED_BORDER | wxSTAY_ON_TOP | wxFRAME_NO_TASKBAR | wxFRAME_SHAPED;
  static constexpr unsigned char kAlpha = 240;
  // Action index with no heading (used while hidden).
  static constexpr int kNoAction = 99;

  CDReminder(wxWindow* parent = nullptr, wxWindowID id = kId, const wxString& title = wxString(),
             const wxPoint& position = wxDefaultPosition, const wxSize& size = wxSize(288, 180),
             long style = kStyle, const wxString& name = "nCDReminder");

  void SetHost(ReminderHost* host) { m_host = host; }

  // Minutes and seconds shown by the next SetAction.
  void SetMinutes(int minutes) { m_minutes = minutes; }
  void SetSeconds(int seconds) { m_seconds = seconds; }
  // Heading for a task-choice index 0..9; any other index clears it.
  void SetAction(int actionIndex);
  void SetMessage(const wxString& message);

  int Minutes() const { return m_minutes; }
  int Seconds() const { return m_seconds; }
  int ActionIndex() const { return m_actionIndex; }
  // The alpha the window asked for (the desktop may lack compositing).
  unsigned char Alpha() const { return m_alpha; }

 private:
  void OnDoubleClick(wxMouseEvent& event);
  void OnRightUp(wxMouseEvent& event);

  ReminderHost* m_host = nullptr;
  wxStaticText* m_heading = nullptr;
  wxStaticText* m_message = nullptr;
  wxStaticText* m_hint = nullptr;
  wxBoxSizer* m_mainSizer = nullptr;
  wxBoxSizer* m_messageRow = nullptr;
  wxBoxSizer* m_hintRow = nullptr;
  int m_minutes = 0;
  int m_seconds = 0;
  int m_actionIndex = kNoAction;
  wxString m_messageText;
  unsigned char m_alpha = 255;

  wxDECLARE_EVENT_TABLE();
};
