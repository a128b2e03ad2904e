#include "ui/now_confirm.h"

#include <wx/defs.h>
#include <wx/string.h>

#include "app/message_box.h"
#include "os/platform_texts.h"

namespace {

struct NowQuestion {
  int code;
  const char* text;
};

const NowQuestion kNowQuestions[] = {
    {1, os::texts::Get(os::texts::Text::ConfirmShutdown)},
    {2, os::texts::Get(os::texts::Text::ConfirmRestart)},
    {3, "Standby now, are you sure?\n\nYou can disable this warning in OPTIONS Menu."},
    {4, "Hibernate now, are you sure? (if not supported by your System, System will Standby)\n\n"
        "You can disable this warning in OPTIONS Menu."},
    {5, "Please save any opened documents and press OK to Log Off or press CANCEL to abort.\n\n"
        "You can disable this warning in OPTIONS Menu."},
    {7, os::texts::Get(os::texts::Text::ConfirmLock)},
};

}  // namespace

bool ConfirmNowAction(int code, bool showWarnings, wxWindow* parent) {
  if (!showWarnings)
    return true;
  for (const auto& question : kNowQuestions)
    if (question.code == code)
      return ShowMessage(question.text, "Warning", wxOK | wxCANCEL | wxICON_WARNING, parent) == wxOK;
  return true;  // the monitor switch is harmless and never asks
}
