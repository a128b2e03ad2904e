#include "ui/cd_reminder.h"

#include <array>

#include <wx/colour.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace {

const wxColour kBackground(170, 190, 170);
const wxColour kHeadingColour(20, 21, 110);
const wxColour kMessageColour(100, 10, 0);

const char kHint[] = "Double-click to stop the Task, or right-click to close this window.";

// By task-choice index; minutes and seconds follow.
const std::array<const char*, 10> kHeadings = {
    "System Shutdown in %02d:%02d",     "System Restart in %02d:%02d",   "System Standby in %02d:%02d",
    "System Hibernation in %02d:%02d",  "Log Off in %02d:%02d",          "Alarm in %02d:%02d",
    "Turn Monitor Off in %02d:%02d",    "System Clean-Up in %02d:%02d",  "Lock Workstation in %02d:%02d",
    "Launch File in %02d:%02d",
};

constexpr int kMessageWrap = 256;
constexpr int kHintWrap = 260;

}  // namespace

wxBEGIN_EVENT_TABLE(CDReminder, wxFrame)
  EVT_LEFT_DCLICK(CDReminder::OnDoubleClick)
  EVT_RIGHT_UP(CDReminder::OnRightUp)
wxEND_EVENT_TABLE()

CDReminder::CDReminder(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& position,
                       const wxSize& size, long style, const wxString& name)
    : wxFrame(parent, id, title, position, size, style, name) {
  SetBackgroundColour(kBackground);

  m_heading = new wxStaticText(this, kHeadingId, wxString(), wxDefaultPosition, wxDefaultSize, 0, "staticText");
  m_heading->SetForegroundColour(kHeadingColour);
  m_heading->SetFont(m_heading->GetFont().Bold());

  m_message = new wxStaticText(this, kMessageId, wxString(), wxDefaultPosition, wxSize(260, 80),
                               wxST_NO_AUTORESIZE, "staticText");
  m_message->SetForegroundColour(kMessageColour);
  m_message->SetBackgroundColour(kBackground);
  m_message->Wrap(kMessageWrap);

  m_hint = new wxStaticText(this, kHintId, kHint, wxDefaultPosition, wxDefaultSize, 0, "staticText");
  m_hint->Wrap(kHintWrap);

  SetToolTip(kHint);
  m_heading->SetToolTip(kHint);
  m_message->SetToolTip(kHint);

  // Mouse events of the texts do not reach the window: route them to the same handlers.
  for (wxStaticText* text : {m_heading, m_message, m_hint}) {
    text->Bind(wxEVT_LEFT_DCLICK, &CDReminder::OnDoubleClick, this);
    text->Bind(wxEVT_RIGHT_UP, &CDReminder::OnRightUp, this);
  }

  m_messageRow = new wxBoxSizer(wxHORIZONTAL);
  m_messageRow->AddSpacer(3);
  m_messageRow->Add(m_message);
  m_messageRow->AddSpacer(3);

  m_hintRow = new wxBoxSizer(wxHORIZONTAL);
  m_hintRow->AddSpacer(3);
  m_hintRow->Add(m_hint);
  m_hintRow->AddSpacer(3);

  m_mainSizer = new wxBoxSizer(wxVERTICAL);
  m_mainSizer->AddSpacer(5);
  m_mainSizer->Add(m_heading, 0, wxALIGN_CENTER_HORIZONTAL);
  m_mainSizer->AddSpacer(15);
  m_mainSizer->Add(m_messageRow, 0, wxALIGN_CENTER_HORIZONTAL);
  m_mainSizer->AddSpacer(8);
  m_mainSizer->Add(m_hintRow, 0, wxALIGN_CENTER_HORIZONTAL);
  m_mainSizer->AddSpacer(2);
  SetSizer(m_mainSizer);

  // The desktop may have no compositor; the window then stays opaque.
  if (SetTransparent(kAlpha))
    m_alpha = kAlpha;
  Layout();
  Centre(wxCENTRE_ON_SCREEN | wxHORIZONTAL);
}

void CDReminder::SetAction(int actionIndex) {
  m_actionIndex = actionIndex;
  wxString heading;
  if (actionIndex >= 0 && actionIndex < static_cast<int>(kHeadings.size()))
    heading = wxString::Format(kHeadings[static_cast<std::size_t>(actionIndex)], m_minutes, m_seconds);
  if (heading != m_heading->GetLabelText()) {
    m_heading->SetLabelText(heading);
    Layout();
  }
}

void CDReminder::SetMessage(const wxString& message) {
  // Called every second with the same text: re-wrapping it each time would flicker.
  if (message == m_messageText)
    return;
  m_messageText = message;
  // The user's text is shown as typed: '&' is not a mnemonic here.
  m_message->SetLabelText(message);
  m_message->Wrap(kMessageWrap);
  m_messageRow->Layout();
  Layout();
}

void CDReminder::OnDoubleClick(wxMouseEvent&) {
  if (m_host)
    m_host->OnReminderStop();
}

void CDReminder::OnRightUp(wxMouseEvent&) {
  Hide();
  m_minutes = 0;
  m_seconds = 0;
  SetAction(kNoAction);
  if (m_host)
    m_host->OnReminderDismissed();
}
