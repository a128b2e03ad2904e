// Installs the right-click commands for the program named on the command
// line, with warnings off (so the commands run without asking), the way the
// options menu does. Used by integration_commands.sh.
#include <cstdio>

#include "app/message_box.h"
#include "app/settings.h"

namespace {

class PrintingPrompter : public MessagePrompter {
 public:
  int Show(const wxString& text, const wxString&, long, wxWindow*) override {
    std::printf("%s\n", text.utf8_string().c_str());
    return wxOK;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <program>\n", argv[0]);
    return 2;
  }
  PrintingPrompter prompter;
  SetMessagePrompter(&prompter);
  Settings settings;
  LoadSettings(settings);
  ToggleOption(settings, SettingOption::Warnings, false);
  bool installed = ToggleContextCommands(settings, true, wxString::FromUTF8(argv[1]), false);
  SetMessagePrompter(nullptr);
  return installed ? 0 : 1;
}
