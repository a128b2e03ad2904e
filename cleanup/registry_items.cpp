// The registry rows: values and keys that Windows and its applets keep as
// histories. They go through the current user's settings store, which also
// holds this program's own options: nothing here may ever touch those.
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/task.h"
#include "cleanup/preview.h"
#include "cleanup/registry_procedures.h"
#include "cleanup/system_items.h"
#include "os/recent_documents.h"
#include "os/registry.h"

namespace cleanup {

namespace {

using os::registry::Hive;
using os::registry::Result;

constexpr char kExplorer[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
constexpr char kComDlg[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\";
constexpr char kAcMru[] = "Software\\Microsoft\\Search Assistant\\ACMru\\";
constexpr char kExplorerBars[] =
    "Software\\Microsoft\\Internet Explorer\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\\";
constexpr char kUserAssist[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\";

std::string Normalized(const std::string& key) {
  std::string out;
  for (char c : key)
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  while (!out.empty() && out.back() == '\\')
    out.pop_back();
  while (!out.empty() && out.front() == '\\')
    out.erase(0, 1);
  return out;
}

std::string Shown(const std::string& key) { return "HKEY_CURRENT_USER\\" + key; }

}  // namespace

bool IsProtectedKey(const std::string& key) {
  const std::string own = Normalized(kSettingsKey);
  const std::string path = Normalized(key);
  // The options key itself, anything in it, and every key above it.
  if (path == own || path.starts_with(own + "\\"))
    return true;
  return path.empty() || own.starts_with(path + "\\");
}

bool DeleteKeyTree(const std::string& key, PreviewRecorder* preview) {
  if (IsProtectedKey(key))
    return false;
  if (preview) {
    if (!os::registry::KeyExists(Hive::CurrentUser, key))
      return false;
    preview->WouldClear("key " + Shown(key) + " with its sub-keys");
    return true;
  }
  return os::registry::DeleteTree(Hive::CurrentUser, key) == Result::Ok;
}

void WipeRegistryValues(const std::string& key, bool skipDefault, PreviewRecorder* preview) {
  if (IsProtectedKey(key))
    return;
  if (preview) {
    std::vector<std::string> names;
    if (os::registry::ValueNames(Hive::CurrentUser, key, names) != Result::Ok)
      return;
    std::erase_if(names, [&](const std::string& name) { return skipDefault && (name == "(Default)" || name.empty()); });
    if (!names.empty())
      preview->WouldClear(std::to_string(names.size()) + (names.size() == 1 ? " value of " : " values of ") +
                          Shown(key));
    return;
  }
  // Start over after every deletion, as the value order changes; a pass that
  // deletes nothing ends it.
  for (;;) {
    std::vector<std::string> names;
    if (os::registry::ValueNames(Hive::CurrentUser, key, names) != Result::Ok || names.empty())
      return;
    bool deleted = false;
    for (const std::string& name : names) {
      if (skipDefault && (name == "(Default)" || name.empty()))
        continue;
      if (os::registry::DeleteValue(Hive::CurrentUser, key, name) == Result::Ok) {
        deleted = true;
        break;
      }
    }
    if (!deleted)
      return;
  }
}

void DeleteNumberedValues(PreviewRecorder* preview) {
  const std::string stream = std::string(kExplorer) + "StreamMRU";
  std::vector<std::string> names;
  if (os::registry::ValueNames(Hive::CurrentUser, stream, names) == Result::Ok) {
    std::size_t numbered = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (!preview)
        os::registry::DeleteValue(Hive::CurrentUser, stream, std::to_string(i));
      else if (std::find(names.begin(), names.end(), std::to_string(i)) != names.end())
        ++numbered;
    }
    if (numbered != 0)
      preview->WouldClear(std::to_string(numbered) + (numbered == 1 ? " value of " : " values of ") + Shown(stream));
  }
  const std::string streams = std::string(kExplorer) + "Streams";
  std::vector<std::string> subKeys;
  if (os::registry::SubKeys(Hive::CurrentUser, streams, subKeys) == Result::Ok)
    for (std::size_t i = 0; i < subKeys.size(); ++i)
      DeleteKeyTree(streams + "\\" + std::to_string(i), preview);
}

void CleanSavedWindowInformation(ItemContext& context) { DeleteNumberedValues(context.Previewer()); }

void CleanRegistryEditor(ItemContext& context) {
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
  if (PreviewRecorder* preview = context.Previewer()) {
    std::string value;
    if (os::registry::ReadString(Hive::CurrentUser, key, "LastKey", value) == Result::Ok)
      preview->WouldClear("value LastKey of " + Shown(key));
    return;
  }
  os::registry::DeleteValue(Hive::CurrentUser, key, "LastKey");
}

void CleanMsPaint(ItemContext& context) {
  WipeRegistryValues("Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List", true,
                     context.Previewer());
}

void CleanWordPad(ItemContext& context) {
  WipeRegistryValues("Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\Recent File List", true,
                     context.Previewer());
}

void CleanWindowsMediaPlayer(ItemContext& context) {
  WipeRegistryValues("Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList", true, context.Previewer());
  WipeRegistryValues("Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList", true, context.Previewer());
}

void CleanOpenCloseDialogs(ItemContext& context) {
  if (context.CurrentTask().m_vistaOrLater) {
    for (const char* key : {"OpenSavePidlMRU", "CIDSizeMRU", "LastVisitedPidlMRU", "FirstFolder",
                            "OpenSavePidlMRULegacy"})
      DeleteKeyTree(std::string(kComDlg) + key, context.Previewer());
  } else {
    DeleteKeyTree(std::string(kComDlg) + "OpenSaveMRU", context.Previewer());
    WipeRegistryValues(std::string(kComDlg) + "LastVisitedMRU", true, context.Previewer());
  }
}

void CleanComputerSearch(ItemContext& context) {
  WipeRegistryValues(std::string(kAcMru) + "5607", true, context.Previewer());
  WipeRegistryValues(context.CurrentTask().m_win9xFamily ? std::string(kExplorer) + "FindComputerMRU"
                                                         : std::string(kAcMru) + "5604",
                     true, context.Previewer());
}

void CleanInternetSearchAssistant(ItemContext& context) {
  WipeRegistryValues(std::string(kAcMru) + "5601", true, context.Previewer());
}

void CleanFileSearch(ItemContext& context) {
  DeleteKeyTree(std::string(kExplorer) + "WordWheelQuery", context.Previewer());
  WipeRegistryValues(std::string(kExplorerBars) + "ContainingTextMRU", true, context.Previewer());
  WipeRegistryValues(std::string(kExplorerBars) + "FilesNamedMRU", true, context.Previewer());
  WipeRegistryValues(context.CurrentTask().m_win9xFamily ? std::string(kExplorer) + "Doc Find S" "pec MRU"
                                                         : std::string(kAcMru) + "5603",
                     true, context.Previewer());
}

void CleanRunHistory(ItemContext& context) {
  WipeRegistryValues(std::string(kExplorer) + "RunMRU", true, context.Previewer());
}

void CleanAccessedPrograms(ItemContext& context) {
  const bool seven = context.CurrentTask().m_win7OrLater;
  const char* const modern[] = {"{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}", "{F4E57C4B-2036-45F0-A9AB-443BCFE33D9F}"};
  const char* const older[] = {"{75048700-EF1F-11D0-9888-006097DEACF9}", "{5E6AB780-7743-11CF-A12B-00AA004AE837}"};
  for (const char* guid : seven ? modern : older)
    WipeRegistryValues(std::string(kUserAssist) + guid + "\\Count", false, context.Previewer());
  // The start menu shows these from memory until told.
  if (!context.Previewer())
    os::recent_documents::NotifyProgramListsChanged();
}

void CleanMsn(ItemContext& context) {
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\UnreadMail";
  std::vector<std::string> subKeys;
  if (os::registry::SubKeys(Hive::CurrentUser, key, subKeys) == Result::Ok && !subKeys.empty())
    DeleteKeyTree(key + "\\" + subKeys.front(), context.Previewer());
}

void CleanIeTypedUrls(ItemContext& context) {
  WipeRegistryValues("Software\\Microsoft\\Internet Explorer\\TypedURLs", true, context.Previewer());
}

void CleanIeAutoComplete(ItemContext& context) {
  WipeRegistryValues("Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage1", false, context.Previewer());
}

void CleanIePasswords(ItemContext& context) {
  if (context.CurrentTask().m_ieVersion >= 7) {
    WipeRegistryValues("Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage2", false, context.Previewer());
    return;
  }
  DeleteKeyTree("Software\\Microsoft\\Internet Explorer\\IntelliForms\\SPW", context.Previewer());
  // The Protected Storage entries live in the machine's hive, which this
  // store does not have.
}

void CleanIeCompatibility(ItemContext& context) {
  WipeRegistryValues("Software\\Microsoft\\Internet Explorer\\BrowserEmulation\\ClearableListData", true,
                     context.Previewer());
}

void CleanIePopups(ItemContext& context) {
  WipeRegistryValues("Software\\Microsoft\\Internet Explorer\\New Windows\\Allow", true, context.Previewer());
}

}  // namespace cleanup
