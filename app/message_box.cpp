#include "app/message_box.h"

#include <wx/msgdlg.h>

namespace {

class ToolkitPrompter : public MessagePrompter {
 public:
  int Show(const wxString& text, const wxString& caption, long style, wxWindow* parent) override {
    return wxMessageBox(text, caption, style, parent);
  }
};

ToolkitPrompter g_toolkitPrompter;
MessagePrompter* g_prompter = &g_toolkitPrompter;

}  // namespace

int ShowMessage(const wxString& text, const wxString& caption, long style, wxWindow* parent) {
  return g_prompter->Show(text, caption, style, parent);
}

MessagePrompter* SetMessagePrompter(MessagePrompter* prompter) {
  MessagePrompter* previous = g_prompter;
  g_prompter = prompter ? prompter : &g_toolkitPrompter;
  return previous == &g_toolkitPrompter ? nullptr : previous;
}
