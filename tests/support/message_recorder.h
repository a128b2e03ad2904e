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

  std::vector<RecordedMessage> messages;
  std::deque<int> answers;  // wxYES, wxNO, wxOK, wxCANCEL in order; default Yes/OK

 private:
  MessagePrompter* m_previous = nullptr;
};
