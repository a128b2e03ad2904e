// The Windows items that are no file walks, on the real registry (the test
// sandbox's private HKEY_CURRENT_USER), the real clipboard and real
// processes of this test's own.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/clock.h"
#include "app/settings.h"
#include "app/task.h"
#include "app/task_host.h"
#include "cleanup/cleanup_state.h"
#include "cleanup/item_context.h"
#include "cleanup/registry_procedures.h"
#include "cleanup/runner.h"
#include "os/registry.h"
#include "tests/support/sandbox.h"

namespace {

using os::registry::Hive;
using os::registry::Result;

struct RecordingHost : TaskHost {
  void LogError(int code, const wxString& message, bool) override { errors.push_back({code, message.utf8_string()}); }
  bool IsTaskFileRun() const override { return false; }
  bool FileAlarmExtra() const override { return false; }
  bool AlarmPageOn() const override { return false; }
  bool IgnoreBrowserVersion() const override { return false; }
  void CloseMainWindow() override {}
  std::vector<std::pair<int, std::string>> errors;
};

// One item on today's Windows (7 or later, Internet Explorer 11).
std::vector<std::pair<int, std::string>> RunItem(ItemId item) {
  RecordingHost host;
  Task task(&host);
  task.m_vistaOrLater = task.m_win7OrLater = true;
  task.m_win9xFamily = false;
  task.m_ieVersion = 11;
  Settings settings;
  CleanupSelection selection;
  selection.Set(item, true);
  selection.anySelected = true;
  cleanup::CleanupState state;
  cleanup::ItemContext context(state, task, settings, selection, host);
  cleanup::CollectSelectedItems(context);
  return host.errors;
}

constexpr char kExplorer[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
constexpr char kComDlg[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\";
constexpr char kAcMru[] = "Software\\Microsoft\\Search Assistant\\ACMru\\";
constexpr char kBars[] =
    "Software\\Microsoft\\Internet Explorer\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\\";
constexpr char kUserAssist[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\";
constexpr char kIe[] = "Software\\Microsoft\\Internet Explorer\\";
constexpr char kApplets[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\";

// A value, or with `tree` the whole key that holds it. `owner` deletes it;
// every other item leaves it. None: it stays whatever runs.
struct Seed {
  ItemId owner;
  std::string key;
  const char* value;  // "" is the key's default value
  bool tree = false;
};
constexpr ItemId kNone = ItemId::HistoryClipboard;

std::vector<Seed> Seeds() {
  const std::string e = kExplorer, c = kComDlg, a = kAcMru, b = kBars, u = kUserAssist, ie = kIe, ap = kApplets;
  return {
      {ItemId::HistorySavedWindowInformation, e + "StreamMRU", "0"},
      {ItemId::HistorySavedWindowInformation, e + "StreamMRU", "1"},
      {kNone, e + "StreamMRU", "MRUListEx"},
      {ItemId::HistorySavedWindowInformation, e + "Streams\\0", "Settings", true},
      {ItemId::HistorySavedWindowInformation, e + "Streams\\1\\Deep", "Settings", true},
      {ItemId::HistoryRegistryEditor, ap + "Regedit", "LastKey"},
      {kNone, ap + "Regedit", "View"},
      {ItemId::HistoryMsPaint, ap + "Paint\\Recent File List", "File1"},
      {kNone, ap + "Paint\\Recent File List", ""},
      {ItemId::HistoryWordPad, ap + "Wordpad\\Recent File List", "File1"},
      {kNone, ap + "Wordpad\\Recent File List", ""},
      {ItemId::HistoryWindowsMediaPlayer, "Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList", "URL0"},
      {ItemId::HistoryWindowsMediaPlayer, "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList", "File0"},
      {ItemId::HistoryOpenCloseDialogs, c + "OpenSavePidlMRU\\txt", "0", true},
      {ItemId::HistoryOpenCloseDialogs, c + "CIDSizeMRU", "0", true},
      {ItemId::HistoryOpenCloseDialogs, c + "LastVisitedPidlMRU", "0", true},
      {ItemId::HistoryOpenCloseDialogs, c + "FirstFolder", "0", true},
      {ItemId::HistoryOpenCloseDialogs, c + "OpenSavePidlMRULegacy", "0", true},
      {kNone, c + "LastVisitedMRU", "a"},  // Windows before Vista only
      {ItemId::HistoryComputerSearch, a + "5607", "000"},
      {ItemId::HistoryComputerSearch, a + "5604", "000"},
      {kNone, e + "FindComputerMRU", "a"},  // Windows 9x only
      {ItemId::HistoryInternetSearchAssistant, a + "5601", "000"},
      {ItemId::HistoryFileSearch, e + "WordWheelQuery", "0", true},
      {ItemId::HistoryFileSearch, b + "ContainingTextMRU", "a"},
      {ItemId::HistoryFileSearch, b + "FilesNamedMRU", "a"},
      {ItemId::HistoryFileSearch, a + "5603", "000"},
      {kNone, e + "Doc Find S" "pec MRU", "a"},  // Windows 9x only
      {ItemId::HistoryRunHistory, e + "RunMRU", "a"},
      {ItemId::HistoryRunHistory, e + "RunMRU", "MRUList"},
      {kNone, e + "RunMRU", ""},
      {ItemId::HistoryAccessedPrograms, u + "{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}\\Count", "HRZR_PGYFRFFVBA"},
      {ItemId::HistoryAccessedPrograms, u + "{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}\\Count", ""},
      {ItemId::HistoryAccessedPrograms, u + "{F4E57C4B-2036-45F0-A9AB-443BCFE33D9F}\\Count", "a"},
      {kNone, u + "{75048700-EF1F-11D0-9888-006097DEACF9}\\Count", "a"},  // before Windows 7
      {ItemId::HistoryMsn, "Software\\Microsoft\\Windows\\CurrentVersion\\UnreadMail\\a@example.com", "MessageCount",
       true},
      {kNone, "Software\\Microsoft\\Windows\\CurrentVersion\\UnreadMail\\b@example.com", "MessageCount"},
      {ItemId::TypedUrlsInternetExplorer, ie + "TypedURLs", "url1"},
      {kNone, ie + "TypedURLs", ""},
      {ItemId::AutoCompleteInternetExplorer, ie + "IntelliForms\\Storage1", "hash"},
      {ItemId::PasswordsInternetExplorer, ie + "IntelliForms\\Storage2", "hash"},
      {kNone, ie + "IntelliForms\\SPW", "a"},  // Internet Explorer 6 only
      {ItemId::InternetExplorerCompatibility, ie + "BrowserEmulation\\ClearableListData", "UserFilter"},
      {ItemId::InternetExplorerPopups, ie + "New Windows\\Allow", "*.example.com"},
      {kNone, ie + "New Windows\\Allow", ""},
      {kNone, kSettingsKey, "Close Internet Browsers"},
      {kNone, kSettingsKey, ""},
  };
}

bool Present(const Seed& seed) {
  if (seed.tree && !os::registry::KeyExists(Hive::CurrentUser, seed.key))
    return false;
  std::string value;
  return os::registry::ReadString(Hive::CurrentUser, seed.key, seed.value, value) == Result::Ok;
}

}  // namespace

TEST(WindowsRegistryItems, EachItemDeletesExactlyWhatItNames) {
  const ItemId items[] = {
      ItemId::HistorySavedWindowInformation, ItemId::HistoryRegistryEditor,      ItemId::HistoryMsPaint,
      ItemId::HistoryWordPad,                ItemId::HistoryWindowsMediaPlayer,  ItemId::HistoryOpenCloseDialogs,
      ItemId::HistoryComputerSearch,         ItemId::HistoryInternetSearchAssistant, ItemId::HistoryFileSearch,
      ItemId::HistoryRunHistory,             ItemId::HistoryAccessedPrograms,    ItemId::HistoryMsn,
      ItemId::TypedUrlsInternetExplorer,     ItemId::AutoCompleteInternetExplorer, ItemId::PasswordsInternetExplorer,
      ItemId::InternetExplorerCompatibility, ItemId::InternetExplorerPopups,
  };
  for (ItemId item : items) {
    Sandbox sandbox;
    for (const Seed& seed : Seeds())
      ASSERT_EQ(os::registry::WriteString(Hive::CurrentUser, seed.key, seed.value, "seeded"), Result::Ok) << seed.key;
    EXPECT_TRUE(RunItem(item).empty()) << ItemRow(item).token;
    for (const Seed& seed : Seeds())
      EXPECT_EQ(Present(seed), seed.owner != item)
          << ItemRow(item).token << ": " << seed.key << " [" << seed.value << "]";
  }
}

TEST(WindowsRegistryItems, OwnOptionsKeyIsNeverDeleted) {
  Sandbox sandbox;
  os::registry::WriteString(Hive::CurrentUser, std::string(kSettingsKey) + "Sub", "x", "y");
  EXPECT_FALSE(cleanup::DeleteKeyTree("Software\\DUSKWATCH"));
  EXPECT_FALSE(cleanup::DeleteKeyTree("Software"));
  cleanup::WipeRegistryValues(std::string(kSettingsKey) + "Sub", false);
  EXPECT_TRUE(os::registry::KeyExists(Hive::CurrentUser, std::string(kSettingsKey) + "Sub"));
  std::string value;
  EXPECT_EQ(os::registry::ReadString(Hive::CurrentUser, std::string(kSettingsKey) + "Sub", "x", value), Result::Ok);
}

namespace {

void PutText(const wchar_t* text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const std::size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(memory), text, bytes);
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

}  // namespace

TEST(WindowsClipboardItem, EmptiesAndWaitsBrieflyForAnotherHolder) {
  struct Case {
    int holdMs;  // another thread keeps the clipboard open this long
    bool emptied;
  };
  for (const Case c : {Case{0, true}, Case{150, true}, Case{3000, false}}) {
    Sandbox sandbox;
    PutText(L"secret");
    std::atomic<bool> holding{false};
    std::thread holder([&] {
      if (c.holdMs == 0)
        return;
      // Held by a window, as programs hold it.
      HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
      if (OpenClipboard(window)) {
        holding = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(c.holdMs));
        CloseClipboard();
      }
      DestroyWindow(window);
    });
    while (c.holdMs && !holding)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto errors = RunItem(ItemId::HistoryClipboard);
    holder.join();
    EXPECT_EQ(IsClipboardFormatAvailable(CF_UNICODETEXT) == FALSE, c.emptied) << c.holdMs;
    if (c.emptied) {
      EXPECT_TRUE(errors.empty()) << c.holdMs;
    } else {
      ASSERT_EQ(errors.size(), 1u);
      EXPECT_NE(errors[0].first, 0) << "logged with the system's code";
    }
  }
}

namespace {

std::filesystem::path HelperProgram() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return std::filesystem::path(self).parent_path() / DKWT_CLOSABLE_WINDOW;
}

struct Child {
  PROCESS_INFORMATION info{};
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
  }
  ~Child() {
    if (info.hProcess) {
      // Never left behind by a failed test: it is ours.
      if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(info.hProcess, 99);
      CloseHandle(info.hProcess);
      CloseHandle(info.hThread);
    }
  }
};

void Start(Child& child, const std::filesystem::path& program, const wchar_t* arguments) {
  std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  ASSERT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &child.info));
  WaitForInputIdle(child.info.hProcess, 10000);
}

}  // namespace

TEST(WindowsCloseBrowsers, AsksFirstAndEndsOnlyWhatDidNotCloseWithinThePause) {
  Sandbox sandbox;
  // A browser's executable name on a program of our own.
  const std::filesystem::path browser = sandbox.Tmp() / "opera.exe";
  std::filesystem::copy_file(HelperProgram(), browser);
  Child polite, stubborn;
  Start(polite, browser, L"");
  Start(stubborn, browser, L"--keep-open");
  CleanupSelection selection;
  selection.Set(ItemId::CacheOpera, true);
  const std::vector<std::uint32_t> asked = cleanup::CloseBrowsers(selection, CurrentClock());
  EXPECT_EQ(asked.size(), 2u);
  ASSERT_EQ(WaitForSingleObject(polite.info.hProcess, 5000), WAIT_OBJECT_0);
  ASSERT_EQ(WaitForSingleObject(stubborn.info.hProcess, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(polite.ExitCode(), 7u) << "closed its window when asked";
  EXPECT_EQ(stubborn.ExitCode(), 1u) << "ended by force after the pause";
}
