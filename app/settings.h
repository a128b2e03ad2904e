#pragma once
// The user's eight on/off options, kept as "Yes"/"No" under the settings key
// of the current user's store, and the two options that change the desktop:
// starting with the session and the right-click commands.
#include <array>

#include <wx/string.h>

struct Settings {
  bool m_showWarnings = true;
  bool m_startWithWindows = false;
  bool m_explorerCommands = false;
  bool m_closeBrowsers = false;
  bool m_logDeletedFiles = false;
  bool m_silentMode = false;
  bool m_disableErrorLogging = false;
  bool m_ignoreBrowserVersion = false;
};

enum class SettingOption {
  Warnings,
  Startup,
  Context,
  CloseBrowsers,
  LogDeletedFiles,
  SilentMode,
  DisableErrorLogging,
  IgnoreBrowserVersion,
};

// Every option, in the order they are read.
inline constexpr std::array<SettingOption, 8> kSettingOptions = {
    SettingOption::Warnings,      SettingOption::Startup,         SettingOption::Context,
    SettingOption::CloseBrowsers, SettingOption::LogDeletedFiles, SettingOption::SilentMode,
    SettingOption::DisableErrorLogging, SettingOption::IgnoreBrowserVersion,
};

// Key of the options in the current user's store.
extern const char kSettingsKey[];

// The stored value name, e.g. "Close Internet Browsers".
const char* SettingValueName(SettingOption option);
// The member holding the option; the main window checks its menu items and
// check boxes from these after LoadSettings.
bool& SettingMember(Settings& settings, SettingOption option);
bool SettingMember(const Settings& settings, SettingOption option);

// Reads every option: "No" (exactly) is off, any other text on, a missing
// value keeps the default. Without a settings key only "Warnings" is on.
void LoadSettings(Settings& settings);

// Sets a plain option and stores it; store failures are silent. Startup and
// Context change the desktop and go through the two toggles below instead.
void ToggleOption(Settings& settings, SettingOption option, bool checked);

// Adds or removes the autostart entry for `executable` (full path), tells the
// user when it fails, stores "Startup" and returns the resulting state, which
// the caller shows as its menu item's check.
bool ToggleStartWithSystem(Settings& settings, bool checked, const wxString& executable);

// Installs or removes the seven right-click commands; their mode ("confirm"
// or "quiet") follows the Warnings option at the time of installing. Stores
// "Context" and returns the resulting state.
bool ToggleContextCommands(Settings& settings, bool checked, const wxString& executable, bool isAdmin);

// The right-click commands: menu text and command-line option.
struct ContextCommand {
  const char* label;
  const char* option;
};
extern const std::array<ContextCommand, 7> kContextCommands;
