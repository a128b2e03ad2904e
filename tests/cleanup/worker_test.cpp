// The worker: order of its events, Cancel, the deleted-files log.
#include <sys/stat.h>

#include <cerrno>
#include <sstream>

#include <wx/app.h>

#include "app/clock.h"
#include "cleanup/deleted_files_log.h"
#include "tests/cleanup/cleanup_harness.h"
#include "tests/support/fake_clock.h"

namespace {

void SeedTemp(const Sandbox& sandbox, int files, int folders) {
  for (int d = 0; d < folders; ++d)
    for (int f = 0; f < files / folders; ++f)
      Touch(sandbox.Tmp() / ("d" + std::to_string(d)) / ("f" + std::to_string(f)), std::string(1024, 'x'));
}

fs::path OnlyLog(const Sandbox& sandbox) {
  std::vector<fs::path> logs;
  for (const auto& entry : fs::directory_iterator(sandbox.Desktop()))
    if (const std::string name = entry.path().filename().string();
        name.starts_with("DKWT_") && name.ends_with("_.log") && name.size() > 10 &&
        name.find_first_not_of("0123456789", 5) == name.size() - 5)
      logs.push_back(entry.path());
  EXPECT_EQ(logs.size(), 1u);
  return logs.empty() ? fs::path() : logs.front();
}

}  // namespace

TEST(CleanupWorker, ProgressIsThrottledAndEndsWithTheLastEntry) {
  CleanupRun run;
  SeedTemp(run.sandbox, 3000, 30);
  run.Select(ItemId::FreeSpaceTemp);
  run.Select(ItemId::BrowserHistoryInternetExplorer);
  run.Clean();
  const std::vector<int> values = run.target.Values();
  ASSERT_GE(values.size(), 3u);
  EXPECT_EQ(values.back(), cleanup::kWorkerFinished);
  EXPECT_EQ(values[values.size() - 2], cleanup::kIeHistoryStage) << "-2 comes before -1";
  EXPECT_EQ(values[values.size() - 3], 3000 + 30 - 1) << "the last entry is always reported";
  EXPECT_LT(values.size(), 300u) << "one event per file would flood the window";
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end() - 2));
  EXPECT_EQ(Tree(run.sandbox.Tmp()), std::vector<std::string>{});
  EXPECT_TRUE(run.state.PendingFiles.empty() && run.state.PendingFolders.empty() && run.state.FreedSizes.empty());
}

TEST(CleanupWorker, CancelStopsBothLoopsAndTheLogStillGetsItsTotal) {
  CleanupRun run;
  run.settings.m_logDeletedFiles = true;
  SeedTemp(run.sandbox, 2000, 10);
  run.Select(ItemId::FreeSpaceTemp);
  // The user presses Cancel as the first progress arrives.
  run.target.onEvent = [&](int value) {
    if (value >= 0)
      run.state.SetCancelled(true);
  };
  run.Clean();
  std::size_t left = 0;
  for (const std::string& entry : Tree(run.sandbox.Tmp()))
    left += entry.find('/') != std::string::npos;
  EXPECT_GT(left, 1000u) << "the file loop stopped";
  for (int d = 0; d < 10; ++d)
    EXPECT_TRUE(fs::exists(run.sandbox.Tmp() / ("d" + std::to_string(d)))) << "the folder loop did not run";
  const std::string log = Sandbox::ReadFile(OnlyLog(run.sandbox));
  EXPECT_NE(log.find("********* Total Space freed: "), std::string::npos);
  EXPECT_NE(log.find(". Files: 2000 and Folders: 10 .\n"), std::string::npos) << "counts are of everything collected";
  EXPECT_EQ(run.target.Values().back(), cleanup::kWorkerFinished);
}

TEST(CleanupWorker, LogHasEveryEntryAndAVanishedFileWithZeroSize) {
  CleanupRun run;
  run.settings.m_logDeletedFiles = true;
  Touch(run.sandbox.Tmp() / "dir" / "half", std::string(524288, 'x'));
  Touch(run.sandbox.Tmp() / "gone", "soon");
  run.Select(ItemId::FreeSpaceTemp);
  run.Collect();
  fs::remove(run.sandbox.Tmp() / "gone");
  run.RunWorker();
  const std::string log = Sandbox::ReadFile(OnlyLog(run.sandbox));
  const std::string tmp = run.sandbox.Tmp().string();
  // Each entry: a 24-character ctime stamp, then the entry.
  std::vector<std::string> entries;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);)
    entries.push_back(line.size() > 24 && line[3] == ' ' && line[23] != ' ' ? line.substr(24) : line);
  ASSERT_GE(entries.size(), 5u) << log;
  EXPECT_TRUE(log.starts_with("Duskwatch v. 2.1 log file created on ")) << log;
  EXPECT_TRUE(entries[0].ends_with(" :") && entries[0].size() == std::string("Duskwatch v. 2.1 log file created on ").size() + 24 + 2) << entries[0];
  EXPECT_EQ(entries[1], "");
  const std::string stars(35, '*');
  auto has = [&](const std::string& entry) { return std::find(entries.begin(), entries.end(), entry) != entries.end(); };
  EXPECT_TRUE(has("   FILE:   " + tmp + "/dir/half " + stars + " Size: 0.500 MB")) << log;
  EXPECT_TRUE(has("   FILE:   " + tmp + "/gone " + stars + " Size: 0.000 MB")) << log;
  EXPECT_TRUE(has("   FOLDER: " + tmp + "/dir")) << log;
  EXPECT_TRUE(log.ends_with("\n\n\n********* Total Space freed: 0.500 MB. Files: 2 and Folders: 1 .\n")) << log;
  EXPECT_EQ(log.find('\r'), std::string::npos);
}

TEST(DeletedFilesLog, TotalsSwitchToGigabytesAtOneThousandTwentyFour) {
  const std::pair<double, const char*> cases[] = {
      {1536.0 * 1048576, "1.500 GB"}, {1023.9 * 1048576, "1023.900 MB"}, {0, "0.000 MB"}, {1024.0 * 1048576, "1.000 GB"}};
  for (const auto& [bytes, text] : cases)
    EXPECT_EQ(cleanup::FormatTotal(bytes, 3, 4),
              std::string("\n\n\n********* Total Space freed: ") + text + ". Files: 3 and Folders: 4 .\n");
}

TEST(CleanupWorker, LogIsCreatedForTheUserAlone) {
  CleanupRun run;
  run.settings.m_logDeletedFiles = true;
  Touch(run.sandbox.Tmp() / "a");
  run.Select(ItemId::FreeSpaceTemp);
  run.Clean();
  const fs::path log = OnlyLog(run.sandbox);
  EXPECT_EQ(fs::status(log).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

// The log's name is known ahead (the desktop, the second): a link put there
// is never written through, nor is a file created where it points; the log
// is skipped, the error log says so, and the clean-up itself goes on.
TEST(CleanupWorker, LogIsNotWrittenThroughALinkInItsPlace) {
  for (const bool dangling : {false, true}) {
    SCOPED_TRACE(dangling ? "a link to no file" : "a link to a file");
    FakeClock clock;
    CleanupRun run;
    run.settings.m_logDeletedFiles = true;
    const fs::path target = run.sandbox.Home() / "Documents" / "thesis.odt";
    if (!dangling)
      Touch(target, "precious");
    else
      fs::create_directories(target.parent_path());
    const fs::path log = run.sandbox.Desktop() / ("DKWT_" + std::to_string(EpochSeconds()) + "_.log");
    fs::create_symlink(target, log);
    Touch(run.sandbox.Tmp() / "a");
    run.Select(ItemId::FreeSpaceTemp);
    run.Collect();
    WindowLikeTarget window;
    run.RunWorker(&window);
    wxTheApp->ProcessPendingEvents();
    EXPECT_TRUE(fs::is_symlink(log));
    if (dangling)
      EXPECT_FALSE(fs::exists(target)) << "created through the link";
    else
      EXPECT_EQ(Sandbox::ReadFile(target), "precious") << "written through the link";
    EXPECT_FALSE(fs::exists(run.sandbox.Tmp() / "a")) << "the clean-up goes on";
    const std::vector<std::pair<int, std::string>> logged = {
        {ELOOP, "An Error occured while writing the deleted files log."}};
    EXPECT_EQ(window.errors, logged);
    EXPECT_EQ(window.Values().back(), cleanup::kWorkerFinished);
  }
}

TEST(DeletedFilesLog, OnlyARegularFileOfTheUsersIsAppendedTo) {
  Sandbox sandbox;
  const fs::path theirs = sandbox.Desktop() / "theirs.log";
  Touch(theirs, "theirs");
  if (std::system(("chown nobody '" + theirs.string() + "' 2>/dev/null").c_str()) == 0) {
    bool needsHeader = false;
    cleanup::DeletedFilesLog log(theirs.string(), needsHeader);
    log.Write("entry\n");
    log.Close();
    EXPECT_EQ(Sandbox::ReadFile(theirs), "theirs");
    EXPECT_EQ(log.Refused(), EPERM);
  }
  // A FIFO neither blocks the worker nor is written.
  const fs::path fifo = sandbox.Desktop() / "fifo.log";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  bool needsHeader = true;
  cleanup::DeletedFilesLog log(fifo.string(), needsHeader);
  log.Write("entry\n");
  EXPECT_NE(log.Refused(), 0);
  EXPECT_TRUE(needsHeader);
  // The user's own log is appended to.
  const fs::path own = sandbox.Desktop() / "own.log";
  Touch(own, "first\n");
  bool noHeader = false;
  cleanup::DeletedFilesLog ownLog(own.string(), noHeader);
  ownLog.Write("second\n");
  ownLog.Close();
  EXPECT_EQ(Sandbox::ReadFile(own), "first\nsecond\n");
  EXPECT_EQ(ownLog.Refused(), 0);
}
