#include "os/integration.h"

#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <set>

namespace os::integration {

namespace {

// Set in every key file we create, so removal knows the whole file is ours
// and never deletes a launcher somebody else put under the same name.
const char kGeneratedKey[] = "X-Duskwatch-Generated";
const char kEntryGroup[] = "Desktop Entry";
const char kScriptsFolderName[] = "Duskwatch";

// An XDG base folder: the variable when it holds an absolute path, else the
// default below the home folder.
bool BaseFolder(const char* variable, const char* fallback, std::string& folder) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') {
    folder = value;
    return true;
  }
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/')
    return false;
  folder = std::string(home) + "/" + fallback;
  return true;
}

bool ConfigHome(std::string& folder) { return BaseFolder("XDG_CONFIG_HOME", ".config", folder); }
bool DataHome(std::string& folder) { return BaseFolder("XDG_DATA_HOME", ".local/share", folder); }

std::string AutostartEntryPath(const std::string& configHome) { return configHome + "/autostart/Duskwatch.desktop"; }
// The installed launcher's id: ours, written per user, takes its place (one
// menu entry) and goes again when the commands are removed.
std::string LauncherPath(const std::string& dataHome) {
  return dataHome + "/applications/org.duskwatch.Duskwatch.desktop";
}
std::string ServiceMenuPath(const std::string& dataHome) { return dataHome + "/kio/servicemenus/duskwatch.desktop"; }
std::string ScriptsFolder(const std::string& dataHome) {
  return dataHome + "/nautilus/scripts/" + kScriptsFolderName;
}

std::string ParentOf(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Like `mkdir -p`; new folders are private, as the base-directory rules ask.
bool MakeFolders(const std::string& folder, int& errorCode) {
  struct stat info {};
  if (stat(folder.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode))
      return true;
    errorCode = ENOTDIR;
    return false;
  }
  if (errno != ENOENT) {
    errorCode = errno;
    return false;
  }
  std::string parent = ParentOf(folder);
  if (parent != folder && !MakeFolders(parent, errorCode))
    return false;
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    errorCode = errno;
    return false;
  }
  return true;
}

// Temp file in the same folder, then rename: readers (desktops watching
// these folders) never see a half-written file.
bool WriteFileAtomically(const std::string& path, const std::string& content, mode_t mode, int& errorCode) {
  if (!MakeFolders(ParentOf(path), errorCode))
    return false;
  std::string temp = ParentOf(path) + "/.dkwt-XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) {
    errorCode = errno;
    return false;
  }
  int failure = fchmod(fd, mode) == 0 ? 0 : errno;
  for (std::size_t written = 0; failure == 0 && written < content.size();) {
    ssize_t n = write(fd, content.data() + written, content.size() - written);
    if (n > 0)
      written += static_cast<std::size_t>(n);
    else if (n == 0 || errno != EINTR)
      failure = n == 0 ? EIO : errno;
  }
  if (failure == 0 && fsync(fd) != 0)
    failure = errno;
  bool ok = failure == 0;
  if (!ok)
    errorCode = failure;
  if (close(fd) != 0 && ok) {
    ok = false;
    errorCode = errno;
  }
  if (ok && rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    errorCode = errno;
  }
  if (!ok)
    unlink(temp.c_str());
  return ok;
}

// A file that is not there (or cannot be, because a parent is no folder)
// counts as removed.
bool RemoveFile(const std::string& path, int& errorCode) {
  if (unlink(path.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR)
    return true;
  errorCode = errno;
  return false;
}

bool IsAllowedText(const std::string& text) {
  if (!g_utf8_validate(text.c_str(), static_cast<gssize>(text.size()), nullptr))
    return false;
  for (unsigned char c : text)
    if (c < 0x20 || c == 0x7f)
      return false;
  return true;
}

// One argument of an Exec line: quoted when it holds a reserved character,
// with the four characters that stay special inside quotes escaped, and '%'
// doubled so it is not taken for a field code.
std::string ExecArgument(const std::string& argument) {
  static const char kReserved[] = " \t\n\"'\\><~|&;$*?#()`";
  bool quote = argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
  std::string out = quote ? "\"" : "";
  for (char c : argument) {
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
      out += '\\';
    out += c;
    if (c == '%')
      out += '%';
  }
  if (quote)
    out += '"';
  return out;
}

std::string ExecLine(const std::string& executable, const std::vector<std::string>& arguments) {
  std::string line = ExecArgument(executable);
  for (const auto& argument : arguments) {
    line += ' ';
    line += ExecArgument(argument);
  }
  return line;
}

std::string ShellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

// Action identifiers may hold only letters, digits and '-': "Lock PC" -> "Lock-PC".
std::string ActionId(const std::string& label) {
  std::string id;
  bool pendingDash = false;
  for (unsigned char c : label) {
    if (g_ascii_isalnum(c)) {
      if (pendingDash && !id.empty())
        id += '-';
      pendingDash = false;
      id += static_cast<char>(c);
    } else {
      pendingDash = true;
    }
  }
  return id;
}

std::string ActionGroup(const std::string& id) { return "Desktop Action " + id; }

bool IsValidLabel(const std::string& label) {
  return IsAllowedText(label) && label != "." && label != ".." && label.find('/') == std::string::npos &&
         !ActionId(label).empty();
}

bool ValidateCommands(const std::vector<Command>& commands) {
  std::set<std::string> ids;
  for (const auto& command : commands) {
    if (!IsValidLabel(command.label) || !ids.insert(ActionId(command.label)).second)
      return false;
    if (command.executable.empty() || command.executable[0] != '/' || !IsAllowedText(command.executable))
      return false;
    for (const auto& argument : command.arguments)
      if (!IsAllowedText(argument))
        return false;
  }
  return true;
}

struct KeyFileDeleter {
  void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using KeyFilePtr = std::unique_ptr<GKeyFile, KeyFileDeleter>;

// Null when the file is missing or unreadable as a key file.
KeyFilePtr LoadKeyFile(const std::string& path) {
  KeyFilePtr file(g_key_file_new());
  if (!g_key_file_load_from_file(file.get(), path.c_str(),
                                 GKeyFileFlags(G_KEY_FILE_KEEP_COMMENTS | G_KEY_FILE_KEEP_TRANSLATIONS), nullptr))
    return nullptr;
  return file;
}

std::vector<std::string> ActionList(GKeyFile* file) {
  std::vector<std::string> ids;
  gsize count = 0;
  gchar** list = g_key_file_get_string_list(file, kEntryGroup, "Actions", &count, nullptr);
  for (gsize i = 0; list && i < count; ++i)
    if (list[i][0])
      ids.emplace_back(list[i]);
  g_strfreev(list);
  return ids;
}

void SetActionList(GKeyFile* file, const std::vector<std::string>& ids) {
  if (ids.empty()) {
    g_key_file_remove_key(file, kEntryGroup, "Actions", nullptr);
    return;
  }
  std::vector<const gchar*> pointers;
  for (const auto& id : ids)
    pointers.push_back(id.c_str());
  g_key_file_set_string_list(file, kEntryGroup, "Actions", pointers.data(), pointers.size());
}

bool SaveKeyFile(GKeyFile* file, const std::string& path, mode_t mode, int& errorCode) {
  gsize length = 0;
  gchar* data = g_key_file_to_data(file, &length, nullptr);
  std::string content(data, length);
  g_free(data);
  return WriteFileAtomically(path, content, mode, errorCode);
}

using KeyValues = std::vector<std::pair<const char*, std::string>>;

// Writes the commands as desktop actions of the key file at `path`. A file of
// ours gets its main keys refreshed; someone else's keeps them and only gains
// the actions.
bool WriteActionsFile(const std::string& path, const KeyValues& mainKeys, const std::vector<Command>& commands,
                      mode_t mode, int& errorCode) {
  KeyFilePtr file = LoadKeyFile(path);
  bool ours = !file || g_key_file_get_boolean(file.get(), kEntryGroup, kGeneratedKey, nullptr);
  if (!file)
    file.reset(g_key_file_new());
  if (ours) {
    for (const auto& [key, value] : mainKeys)
      g_key_file_set_string(file.get(), kEntryGroup, key, value.c_str());
    g_key_file_set_boolean(file.get(), kEntryGroup, kGeneratedKey, TRUE);
  }
  std::vector<std::string> ids = ActionList(file.get());
  for (const auto& command : commands) {
    std::string id = ActionId(command.label);
    if (std::find(ids.begin(), ids.end(), id) == ids.end())
      ids.push_back(id);
  }
  SetActionList(file.get(), ids);
  for (const auto& command : commands) {
    std::string group = ActionGroup(ActionId(command.label));
    g_key_file_remove_group(file.get(), group.c_str(), nullptr);
    g_key_file_set_string(file.get(), group.c_str(), "Name", command.label.c_str());
    g_key_file_set_string(file.get(), group.c_str(), "Exec", ExecLine(command.executable, command.arguments).c_str());
  }
  return SaveKeyFile(file.get(), path, mode, errorCode);
}

// Takes the labelled actions out; a file of ours left without actions goes.
bool RemoveActions(const std::string& path, const std::vector<std::string>& labels, mode_t mode, int& errorCode) {
  if (access(path.c_str(), F_OK) != 0)
    return true;
  KeyFilePtr file = LoadKeyFile(path);
  // No desktop reads a file that does not parse, so nothing is lost with it.
  if (!file)
    return RemoveFile(path, errorCode);
  std::vector<std::string> ids = ActionList(file.get());
  for (const auto& label : labels) {
    std::string id = ActionId(label);
    ids.erase(std::remove(ids.begin(), ids.end(), id), ids.end());
    g_key_file_remove_group(file.get(), ActionGroup(id).c_str(), nullptr);
  }
  if (ids.empty() && g_key_file_get_boolean(file.get(), kEntryGroup, kGeneratedKey, nullptr))
    return RemoveFile(path, errorCode);
  SetActionList(file.get(), ids);
  return SaveKeyFile(file.get(), path, mode, errorCode);
}

bool WriteLauncher(const std::string& dataHome, const std::vector<Command>& commands, int& errorCode) {
  const std::string& executable = commands.front().executable;
  KeyValues mainKeys = {{"Type", "Application"},
                        {"Name", "Duskwatch"},
                        {"Comment", "Shut down, restart or lock the computer after a countdown"},
                        {"Exec", ExecLine(executable, {})},
                        {"Icon", "org.duskwatch.Duskwatch"},
                        {"Terminal", "false"},
                        {"Categories", "Utility;"},
                        {"StartupWMClass", "DKWT"}};
  return WriteActionsFile(LauncherPath(dataHome), mainKeys, commands, 0644, errorCode);
}

// Dolphin (KDE 5.85 and later) ignores service menus without the execute bit.
bool WriteServiceMenu(const std::string& dataHome, const std::vector<Command>& commands, int& errorCode) {
  KeyValues mainKeys = {{"Type", "Service"},
                        {"Name", "Duskwatch"},
                        {"X-KDE-ServiceTypes", "KonqPopupMenu/Plugin"},
                        {"MimeType", "inode/directory;"},
                        {"X-KDE-Submenu", "Duskwatch"}};
  return WriteActionsFile(ServiceMenuPath(dataHome), mainKeys, commands, 0755, errorCode);
}

bool WriteScript(const std::string& dataHome, const Command& command, int& errorCode) {
  std::string script = "#!/bin/sh\nexec " + ShellQuote(command.executable);
  for (const auto& argument : command.arguments) {
    script += ' ';
    script += ShellQuote(argument);
  }
  script += '\n';
  return WriteFileAtomically(ScriptsFolder(dataHome) + "/" + command.label, script, 0755, errorCode);
}

bool RemoveScripts(const std::string& dataHome, const std::vector<std::string>& labels, int& errorCode) {
  std::string folder = ScriptsFolder(dataHome);
  for (const auto& label : labels)
    if (!RemoveFile(folder + "/" + label, errorCode))
      return false;
  rmdir(folder.c_str());  // only when empty; anything else is left alone
  return true;
}

bool Install(const std::string& dataHome, const std::vector<Command>& commands, int& errorCode) {
  if (!WriteLauncher(dataHome, commands, errorCode))
    return false;
  for (const auto& command : commands)
    if (!WriteScript(dataHome, command, errorCode))
      return false;
  return WriteServiceMenu(dataHome, commands, errorCode);
}

}  // namespace

bool AddToStartup(const std::string& executable, int& errorCode) {
  errorCode = 0;
  std::string configHome;
  if (!ConfigHome(configHome)) {
    errorCode = ENOENT;
    return false;
  }
  if (executable.empty() || executable[0] != '/' || !IsAllowedText(executable)) {
    errorCode = EINVAL;
    return false;
  }
  KeyFilePtr file(g_key_file_new());
  g_key_file_set_string(file.get(), kEntryGroup, "Type", "Application");
  g_key_file_set_string(file.get(), kEntryGroup, "Name", "Duskwatch");
  g_key_file_set_string(file.get(), kEntryGroup, "Exec", ExecLine(executable, {}).c_str());
  g_key_file_set_string(file.get(), kEntryGroup, "Terminal", "false");
  g_key_file_set_string(file.get(), kEntryGroup, "X-GNOME-Autostart-enabled", "true");
  return SaveKeyFile(file.get(), AutostartEntryPath(configHome), 0644, errorCode);
}

bool RemoveFromStartup(int& errorCode) {
  errorCode = 0;
  std::string configHome;
  if (!ConfigHome(configHome))
    return true;  // no home, so no entry either
  return RemoveFile(AutostartEntryPath(configHome), errorCode);
}

bool InstallContextCommands(const std::vector<Command>& commands, int& errorCode) {
  errorCode = 0;
  std::string dataHome;
  if (!DataHome(dataHome)) {
    errorCode = ENOENT;
    return false;
  }
  if (commands.empty())
    return true;
  if (!ValidateCommands(commands)) {
    errorCode = EINVAL;
    return false;
  }
  if (Install(dataHome, commands, errorCode))
    return true;
  std::vector<std::string> labels;
  for (const auto& command : commands)
    labels.push_back(command.label);
  int ignored = 0;
  RemoveContextCommands(labels, ignored);
  return false;
}

bool RemoveContextCommands(const std::vector<std::string>& labels, int& errorCode) {
  errorCode = 0;
  std::string dataHome;
  if (!DataHome(dataHome))
    return true;
  for (const auto& label : labels) {
    if (!IsValidLabel(label)) {
      errorCode = EINVAL;
      return false;
    }
  }
  return RemoveActions(LauncherPath(dataHome), labels, 0644, errorCode) &&
         RemoveScripts(dataHome, labels, errorCode) &&
         RemoveActions(ServiceMenuPath(dataHome), labels, 0755, errorCode);
}

}  // namespace os::integration
