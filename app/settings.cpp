#include "app/settings.h"

#include <string>
#include <vector>

#include <wx/defs.h>

#include "app/message_box.h"
#include "os/integration.h"
#include "os/platform_texts.h"
#include "os/registry.h"
#include "os/sysinfo.h"

const char kSettingsKey[] = "Software\\Duskwatch\\";

const std::array<ContextCommand, 7> kContextCommands = {{
    {"Shutdown", "-shutdown"},
    {"Restart", "-restart"},
    {"Standby", "-standby"},
    {"Hibernate", "-hibernate"},
    {"Logout", "-logout"},
    {"Lock PC", "-lock"},
    {"Turn Monitor off", "-monitor"},
}};

namespace {

struct OptionInfo {
  SettingOption option;
  const char* valueName;
  bool Settings::*member;
};

const OptionInfo kOptionInfo[] = {
    {SettingOption::Warnings, "Warnings", &Settings::m_showWarnings},
    {SettingOption::Startup, "Startup", &Settings::m_startWithWindows},
    {SettingOption::Context, "Context", &Settings::m_explorerCommands},
    {SettingOption::CloseBrowsers, "Close Internet Browsers", &Settings::m_closeBrowsers},
    {SettingOption::LogDeletedFiles, "Log deleted files", &Settings::m_logDeletedFiles},
    {SettingOption::SilentMode, "Silent Mode", &Settings::m_silentMode},
    {SettingOption::DisableErrorLogging, "Disable error logging", &Settings::m_disableErrorLogging},
    {SettingOption::IgnoreBrowserVersion, "Ignore browser version", &Settings::m_ignoreBrowserVersion},
};

const OptionInfo& InfoOf(SettingOption option) {
  for (const auto& info : kOptionInfo)
    if (info.option == option)
      return info;
  return kOptionInfo[0];  // unreachable: the table covers every option
}

using os::texts::Text;

void Tell(Text text) { ShowMessage(os::texts::Get(text), "Message", wxOK | wxICON_INFORMATION); }

void Store(SettingOption option, bool on) {
  os::registry::WriteString(os::registry::Hive::CurrentUser, kSettingsKey, InfoOf(option).valueName, on ? "Yes" : "No");
}

std::vector<os::integration::Command> CommandsFor(const wxString& executable, bool confirm) {
  std::vector<os::integration::Command> commands;
  for (const auto& command : kContextCommands)
    commands.push_back({command.label, executable.utf8_string(), {command.option, confirm ? "confirm" : "quiet"}});
  return commands;
}

std::vector<std::string> CommandLabels() {
  std::vector<std::string> labels;
  for (const auto& command : kContextCommands)
    labels.emplace_back(command.label);
  return labels;
}

}  // namespace

const char* SettingValueName(SettingOption option) { return InfoOf(option).valueName; }

bool& SettingMember(Settings& settings, SettingOption option) { return settings.*InfoOf(option).member; }

bool SettingMember(const Settings& settings, SettingOption option) { return settings.*InfoOf(option).member; }

void LoadSettings(Settings& settings) {
  const auto hive = os::registry::Hive::CurrentUser;
  if (!os::registry::KeyExists(hive, kSettingsKey)) {
    settings.m_showWarnings = true;
    return;
  }
  for (const auto& info : kOptionInfo) {
    std::string value;
    if (os::registry::ReadString(hive, kSettingsKey, info.valueName, value) == os::registry::Result::Ok)
      settings.*info.member = value != "No";
    else if (info.option == SettingOption::Warnings)
      settings.m_showWarnings = true;
  }
}

void ToggleOption(Settings& settings, SettingOption option, bool checked) {
  if (option == SettingOption::Startup || option == SettingOption::Context)
    return;
  SettingMember(settings, option) = checked;
  Store(option, checked);
}

bool ToggleStartWithSystem(Settings& settings, bool checked, const wxString& executable) {
  int errorCode = 0;
  if (checked) {
    bool added = os::integration::AddToStartup(executable.utf8_string(), errorCode);
    Tell(added ? Text::StartupAdded : Text::StartupAddFailed);
    settings.m_startWithWindows = added;
  } else {
    bool removed = os::integration::RemoveFromStartup(errorCode);
    if (!removed)
      Tell(Text::StartupRemoveFailed);
    settings.m_startWithWindows = !removed;
  }
  Store(SettingOption::Startup, settings.m_startWithWindows);
  return settings.m_startWithWindows;
}

bool ToggleContextCommands(Settings& settings, bool checked, const wxString& executable, bool isAdmin) {
  int errorCode = 0;
  bool modern = os::sysinfo::ModernPowerApi();
  bool adminMissing = modern && !isAdmin;
  if (checked) {
    bool installed =
        os::integration::InstallContextCommands(CommandsFor(executable, settings.m_showWarnings), errorCode);
    if (installed)
      Tell(modern ? Text::CommandsAdded : Text::CommandsAddedEarlier);
    else
      Tell(adminMissing ? Text::CommandsAddFailedAdmin : Text::CommandsAddFailed);
    settings.m_explorerCommands = installed;
  } else {
    bool removed = os::integration::RemoveContextCommands(CommandLabels(), errorCode);
    if (!removed)
      Tell(adminMissing ? Text::CommandsRemoveFailedAdmin : Text::CommandsRemoveFailed);
    settings.m_explorerCommands = !removed;
  }
  Store(SettingOption::Context, settings.m_explorerCommands);
  return settings.m_explorerCommands;
}
