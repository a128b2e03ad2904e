#pragma once
// Captures every message box and answers it as the test scripted.
#include <deque>
#include <vector>

#include "app/message_box.h"

struct RecordedMessage {
  wxString text;
  wxString caption;
  long style = 0;
};

class MessageRecorder : public MessagePrompter {
 public:
  MessageRecorder() { m_previous = SetMessagePrompter(this); }
  ~MessageRecorder() override { SetMessagePrompter(m_previous); }

  int Show(const wxString& text, const wxString& caption, long style, wxWindow*) override {
    messages.push_back({text, caption, style});
    if (!answers.empty()) {
      int answer = answers.front();
      answers.pop_front();
      return answer;
    }
    return (style & wxYES_NO) ? wxYES : wxOK;
  }

  wxString ChooseFile(const wxString& title, const wxString& wildcard, long style, wxWindow*) override {
    fileDialogs.push_back({title, wildcard, style});
    if (files.empty())
      return wxString();
    wxString path = files.front();
    files.pop_front();
    return path;
  }

  std::vector<RecordedMessage> messages;
  std::vector<RecordedMessage> fileDialogs;  // title, wildcard, style
  std::deque<wxString> files;                // answers of file dialogs; empty = cancelled
  std::deque<int> answers;  // wxYES, wxNO, wxOK, wxCANCEL in order; default Yes/OK

 private:
  MessagePrompter* m_previous = nullptr;
};
