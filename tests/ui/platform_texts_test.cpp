// What the user reads names the system the program runs on: no text of the
// main window, its menus, tool-tips, tray menu or confirmations speaks of
// another system's parts.
#include <cctype>
#include <memory>

#include <wx/menu.h>

#include "app/settings.h"
#include "os/platform_texts.h"
#include "tests/ui/frame_fixture.h"
#include "tests/ui/visible_texts.h"
#include "ui/cd_ids.h"
#include "ui/cd_systray.h"

namespace {

using PlatformTexts = FrameTest;

// A whole word (".exe" counts as one) of another system's names.
bool NamesForeignSystem(const std::string& text) {
  for (const std::string word : {"Windows", "Explorer", "WTS", ".exe"}) {
    for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
      const auto end = at + word.size();
      const bool startsWord = at == 0 || !std::isalnum(static_cast<unsigned char>(text[at - 1])) || word[0] == '.';
      const bool endsWord = end == text.size() || !std::isalnum(static_cast<unsigned char>(text[end]));
      if (startsWord && endsWord)
        return true;
    }
  }
  return false;
}

void ExpectNoForeignSystem(const std::vector<VisibleText>& texts) {
  for (const auto& [where, text] : texts)
    EXPECT_FALSE(NamesForeignSystem(text)) << where << ": " << text;
}

struct QuietTrayHost : TrayHost {
  bool IsArmed() const override { return false; }
  bool IsTaskFileRun() const override { return false; }
  bool ShowWarnings() const override { return true; }
  bool RunNow(int) override { return true; }
  void RestoreFromTray() override {}
  void FullCleanupNow() override {}
  void ExitProgram() override {}
  void TrayIconFailed(int, const wxString&) override {}
};

TEST(ForeignSystemNames, WholeWordsOnly) {
  EXPECT_TRUE(NamesForeignSystem("&Start with Windows"));
  EXPECT_TRUE(NamesForeignSystem("Use dkwt.exe -help"));
  EXPECT_FALSE(NamesForeignSystem("Saved window information"));
  EXPECT_FALSE(NamesForeignSystem("WindowsMediaPlayerX"));
}

TEST_F(PlatformTexts, WindowMenusToolTipsAndTrayNameThisSystem) {
  VisibleTextWalker walker;
  walker.Walk(frame);
  QuietTrayHost host;
  CDSysTray tray(&host);
  wxMenu trayMenu;
  for (const auto& item : tray.MenuItems())
    trayMenu.Append(item.id, wxString::FromUTF8(item.label));
  walker.Walk(&trayMenu, "tray");
  // The walk reaches the texts that used to name the other system.
  std::vector<std::string> seen;
  for (const auto& entry : walker.texts)
    seen.push_back(entry.text);
  for (auto id : {os::texts::Text::StartupMenuItem, os::texts::Text::ContextMenuHelp, os::texts::Text::ShutdownNow,
                  os::texts::Text::LockNow, os::texts::Text::StartButtonTip})
    EXPECT_NE(std::find(seen.begin(), seen.end(), os::texts::Get(id)), seen.end()) << os::texts::Get(id);
  EXPECT_GT(walker.texts.size(), 80u);
  ExpectNoForeignSystem(walker.texts);
}

TEST_F(PlatformTexts, ConfirmationsAndSettingMessagesNameThisSystem) {
  // Every now-button that asks (Cancel: nothing happens; the monitor never
  // asks), then the two options that change the desktop tell their outcome,
  // succeeding and failing.
  for (int id : {ids::kShutdownNow, ids::kRestartNow, ids::kStandbyNow, ids::kHibernateNow, ids::kLogOffNow,
                 ids::kLockNow}) {
    messages.answers = {wxCANCEL};
    Click(frame->FindWindow(id));
  }
  Menu(ids::kMenuStartup, true);
  Menu(ids::kMenuStartup, false);
  Menu(ids::kMenuContextCommands, true);
  Menu(ids::kMenuContextCommands, false);
  Sandbox::WriteFile(sandbox.ConfigHome() / "autostart", "a file where the folder belongs");
  Sandbox::WriteFile(sandbox.DataHome() / "nautilus", "a file where the folder belongs");
  Menu(ids::kMenuStartup, true);
  Menu(ids::kMenuContextCommands, true);
  EXPECT_EQ(DryRun(), "");
  EXPECT_GE(messages.messages.size(), 9u);
  std::vector<VisibleText> texts;
  for (const auto& message : messages.messages)
    texts.push_back({message.caption.utf8_string(), message.text.utf8_string()});
  ExpectNoForeignSystem(texts);
}

}  // namespace
