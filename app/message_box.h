#pragma once
// Every message box and confirmation goes through here, so tests can answer
// them. The default shows the toolkit's message box.
#include <wx/string.h>

class wxWindow;

class MessagePrompter {
 public:
  virtual ~MessagePrompter() = default;
  // style: wxOK / wxYES_NO / wxOK | wxCANCEL plus an icon flag.
  // Returns wxOK, wxYES, wxNO or wxCANCEL.
  virtual int Show(const wxString& text, const wxString& caption, long style, wxWindow* parent) = 0;
  // An open-file dialog; the chosen path, or empty when cancelled. wildcard
  // in the toolkit's "Label|*.ext" form; style: wxFD_* flags.
  virtual wxString ChooseFile(const wxString&, const wxString&, long, wxWindow*) { return wxString(); }
};

// Shows a message through the installed prompter.
int ShowMessage(const wxString& text, const wxString& caption, long style, wxWindow* parent = nullptr);

// Shows an open-file dialog through the installed prompter.
wxString ChooseFile(const wxString& title, const wxString& wildcard, long style, wxWindow* parent = nullptr);

// Installs a prompter (nullptr restores the default). Returns the previous one.
MessagePrompter* SetMessagePrompter(MessagePrompter* prompter);
