// The preview runs the clean-up's own procedures without changing anything,
// and lists exactly what a run then deletes.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <sstream>

#include "cleanup/browser_items.h"
#include "cleanup/preview.h"
#include "os/registry.h"
#include "os/sysinfo.h"
#include "tests/cleanup/cleanup_harness.h"
#include "tools/fixtures/browser_fixtures.h"

namespace {

// Kind, mode, size, times and contents of everything below `root`.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> out;
  std::vector<std::string> paths = Tree(root);
  paths.push_back(".");
  for (const std::string& relative : paths) {
    const fs::path path = root / relative;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
      continue;
    std::ostringstream line;
    line << info.st_mode << ' ' << info.st_size << ' ' << info.st_mtim.tv_sec << '.' << info.st_mtim.tv_nsec << ' '
         << info.st_ctim.tv_sec << '.' << info.st_ctim.tv_nsec;
    if (S_ISREG(info.st_mode))
      line << ' ' << std::hash<std::string>{}(Sandbox::ReadFile(path));
    out[relative] = line.str();
  }
  return out;
}

// The paths whose snapshot differs, with both sides.
std::vector<std::string> Changes(const std::map<std::string, std::string>& before,
                                 const std::map<std::string, std::string>& after) {
  std::vector<std::string> changes;
  for (const auto& [path, state] : before)
    if (auto found = after.find(path); found == after.end() || found->second != state)
      changes.push_back(path + ": " + state + " -> " + (found == after.end() ? "gone" : found->second));
  for (const auto& [path, state] : after)
    if (!before.count(path))
      changes.push_back(path + ": new");
  return changes;
}

fixtures::Scale SmallScale() {
  fixtures::Scale scale;
  scale.places = 60;
  scale.visits = 90;
  scale.bookmarks = 5;
  scale.cookies = 7;
  scale.cacheFiles = 12;
  return scale;
}

// Profiles of both families, temporary files, a trash, a registry history.
void Populate(CleanupRun& run) {
  const std::string home = run.sandbox.Home().string();
  fixtures::MakeFirefoxProfile(home, run.sandbox.ConfigHome().string(), run.sandbox.CacheHome().string(), SmallScale());
  fixtures::MakeChromiumProfile(run.sandbox.ConfigHome().string(), run.sandbox.CacheHome().string(), "chromium",
                                "Default", SmallScale());
  Touch(run.sandbox.Tmp() / "a/b/old.tmp", std::string(3000, 'x'));
  Touch(run.sandbox.DataHome() / "Trash/files/gone.txt", "gone");
  Touch(run.sandbox.DataHome() / "Trash/info/gone.txt.trashinfo", "[Trash Info]\n");
  os::registry::WriteString(os::registry::Hive::CurrentUser,
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU", "a", "notepad");
}

void SelectAll(CleanupRun& run) {
  for (const CleanupItem& item : CleanupItems())
    run.Select(item.id);
}

const cleanup::PreviewItem* ItemOf(const cleanup::Preview& preview, ItemId id) {
  for (const cleanup::PreviewItem& item : preview.items)
    if (item.id == id)
      return &item;
  return nullptr;
}

bool Says(const cleanup::PreviewItem* item, const std::string& text) {
  if (!item)
    return false;
  return std::any_of(item->entries.begin(), item->entries.end(),
                     [&](const cleanup::PreviewEntry& entry) { return entry.what.find(text) != std::string::npos; });
}

}  // namespace

TEST(Preview, ChangesNothingAnywhereInTheSandbox) {
  CleanupRun run;
  Populate(run);
  SelectAll(run);
  // A database another program holds in WAL mode, its -wal and -shm present.
  const std::string held = (run.sandbox.ConfigHome() / "chromium/Default/Cookies").string();
  int ready[2], release[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t holder = ::fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    sqlite3* db = nullptr;
    const bool held_ok = sqlite3_open(held.c_str(), &db) == SQLITE_OK &&
                         sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; DELETE FROM cookies "
                                          "WHERE rowid = (SELECT min(rowid) FROM cookies)",
                                      nullptr, nullptr, nullptr) == SQLITE_OK;
    char c = held_ok ? 'y' : 'n';
    (void)!::write(ready[1], &c, 1);
    (void)!::read(release[0], &c, 1);
    ::_exit(0);  // as a program that ends without closing
  }
  char answer = 'n';
  ASSERT_EQ(::read(ready[0], &answer, 1), 1);
  ASSERT_EQ(answer, 'y');

  const auto before = Snapshot(run.sandbox.Root());
  const cleanup::Preview preview = cleanup::RunPreview(run.selection, run.task, run.settings, run.host);
  const auto after = Snapshot(run.sandbox.Root());
  (void)!::write(release[1], "x", 1);
  ::waitpid(holder, nullptr, 0);

  EXPECT_EQ(Changes(before, after), std::vector<std::string>{});
  EXPECT_TRUE(run.host.errors.empty()) << "nothing goes to the error log";
  EXPECT_EQ(preview.items.size(), cleanup::Catalogue().size());
  EXPECT_FALSE(preview.cancelled);
  // What the database steps would delete, counted as they stand. The
  // holder's delete sits only in its -wal, which the superuser does not open.
  EXPECT_TRUE(Says(ItemOf(preview, ItemId::BrowserHistoryFirefox), "90 visits in "));
  const std::string cookies = os::sysinfo::IsAdministrator() ? "7 cookies in " : "6 cookies in ";
  EXPECT_TRUE(Says(ItemOf(preview, ItemId::CookiesChrome), cookies + held));
  EXPECT_TRUE(Says(ItemOf(preview, ItemId::HistoryRunHistory), "1 value of HKEY_CURRENT_USER\\Software"));
  EXPECT_TRUE(Says(ItemOf(preview, ItemId::HistoryClipboard), "clipboard"));
  const cleanup::PreviewItem* temp = ItemOf(preview, ItemId::FreeSpaceTemp);
  ASSERT_NE(temp, nullptr);
  EXPECT_EQ(temp->Bytes(), 3000u);
  EXPECT_TRUE(Says(ItemOf(preview, ItemId::FreeSpaceRecycleBin), "Trash/files/gone.txt"));
  const cleanup::PreviewItem* safari = ItemOf(preview, ItemId::CacheSafari);
  ASSERT_NE(safari, nullptr);
  EXPECT_FALSE(safari->availability.available);
}

TEST(Preview, ListsExactlyTheFilesARunLogs) {
  CleanupRun run;
  Populate(run);
  SelectAll(run);
  // The clipboard needs a display and is no file.
  run.selection.Set(ItemId::HistoryClipboard, false);
  const cleanup::Preview preview = cleanup::RunPreview(run.selection, run.task, run.settings, run.host);
  std::vector<std::string> listed;
  for (const cleanup::PreviewItem& item : preview.items)
    for (const cleanup::PreviewEntry& entry : item.entries)
      if (entry.kind == cleanup::PreviewEntry::Kind::File || entry.kind == cleanup::PreviewEntry::Kind::Folder)
        listed.push_back(entry.what);
  ASSERT_GT(listed.size(), 30u);

  run.settings.m_logDeletedFiles = true;
  cleanup::DiscoverBrowsers(run.task);
  run.Clean();
  std::vector<fs::path> logs;
  for (const auto& entry : fs::directory_iterator(run.sandbox.Desktop()))
    logs.push_back(entry.path());
  ASSERT_EQ(logs.size(), 1u);
  std::vector<std::string> logged;
  std::ifstream log(logs.front());
  for (std::string line; std::getline(log, line);) {
    if (const std::size_t file = line.find("   FILE:   "); file != std::string::npos) {
      const std::size_t start = file + 11;
      logged.push_back(line.substr(start, line.rfind(" *****") - start));
    } else if (const std::size_t folder = line.find("   FOLDER: "); folder != std::string::npos) {
      logged.push_back(line.substr(folder + 11));
    }
  }
  std::sort(listed.begin(), listed.end());
  std::sort(logged.begin(), logged.end());
  EXPECT_EQ(listed, logged);
  EXPECT_NE(Sandbox::ReadFile(logs.front()).find("Total Space freed"), std::string::npos);
}
