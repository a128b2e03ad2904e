#include "app/message_box.h"

#include <wx/filedlg.h>
#include <wx/msgdlg.h>

namespace {

class ToolkitPrompter : public MessagePrompter {
 public:
  int Show(const wxString& text, const wxString& caption, long style, wxWindow* parent) override {
    return wxMessageBox(text, caption, style, parent);
  }
  wxString ChooseFile(const wxString& title, const wxString& wildcard, long style, wxWindow* parent) override {
    wxFileDialog dialog(parent, title, wxString(), wxString(), wildcard, style);
    return dialog.ShowModal() == wxID_OK ? dialog.GetPath() : wxString();
  }
};

ToolkitPrompter g_toolkitPrompter;
MessagePrompter* g_prompter = &g_toolkitPrompter;

}  // namespace

int ShowMessage(const wxString& text, const wxString& caption, long style, wxWindow* parent) {
  return g_prompter->Show(text, caption, style, parent);
}

wxString ChooseFile(const wxString& title, const wxString& wildcard, long style, wxWindow* parent) {
  return g_prompter->ChooseFile(title, wildcard, style, parent);
}

MessagePrompter* SetMessagePrompter(MessagePrompter* prompter) {
  MessagePrompter* previous = g_prompter;
  g_prompter = prompter ? prompter : &g_toolkitPrompter;
  return previous == &g_toolkitPrompter ? nullptr : previous;
}
