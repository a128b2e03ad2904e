// A hostile file system: links out of the cleaned folders, special files,
// files in use, a folder swapped for a link after collection, and temporary
// folders that name the whole system or the home folder.
#include <cstdlib>
#include <fstream>

#include "tests/cleanup/cleanup_harness.h"

namespace {

// Everything outside the cleaned places, with its content.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const std::string& entry : Tree(root)) {
    const fs::path path = root / entry;
    files[entry] = fs::is_regular_file(fs::symlink_status(path)) ? Sandbox::ReadFile(path) : "<folder>";
  }
  return files;
}

int Shell(const std::string& command) { return std::system(command.c_str()); }

}  // namespace

TEST(SafeDeletion, AdversarialFixtureLosesNothingOutside) {
  CleanupRun run;
  const fs::path tmp = run.sandbox.Tmp();
  const fs::path outside = run.sandbox.Home() / "Documents";
  Touch(outside / "report.odt", "precious");
  Touch(outside / "swap" / "victim", "precious too");
  Touch(outside / "deep" / "nested" / "file", "keep");
  const auto before = Snapshot(outside);

  // Links out of the temporary folder and out of a cache.
  fs::create_directory_symlink(outside, tmp / "to-documents");
  fs::create_symlink(outside / "report.odt", tmp / "to-report");
  fs::create_directories(run.sandbox.CacheHome() / "thumbnails");
  fs::create_directory_symlink(outside / "deep", run.sandbox.CacheHome() / "thumbnails" / "normal");
  // Special files and a file in use.
  ASSERT_EQ(Shell("mkfifo '" + (tmp / "fifo").string() + "'"), 0);
  ASSERT_EQ(Shell("python3 -c 'import socket,sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' '" +
                (tmp / "socket").string() + "'"),
            0);
  Touch(tmp / "in-use.lock", "held");
  const fs::path pidFile = run.sandbox.Root() / "holder.pid";
  ASSERT_EQ(Shell("sh -c 'exec 3<\"$0\"; exec sleep 120' '" + (tmp / "in-use.lock").string() + "' & echo $! >'" +
                pidFile.string() + "'"),
            0);
  std::string holder = Sandbox::ReadFile(pidFile);
  holder = holder.substr(0, holder.find('\n'));
  // The child must have the file open before the collection looks.
  for (int i = 0; i < 200 && Shell("ls -l /proc/" + holder + "/fd 2>/dev/null | grep -q in-use") != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  // A folder everybody writes to, with someone else's file in it.
  fs::create_directories(tmp / "world");
  fs::permissions(tmp / "world", fs::perms::all | fs::perms::sticky_bit);
  Touch(tmp / "world" / "theirs", "not mine");
  Touch(tmp / "world" / "mine", "mine");
  const bool otherOwner = Shell("chown nobody '" + (tmp / "world" / "theirs").string() + "' 2>/dev/null") == 0;
  // A folder that will be swapped for a link once collected.
  Touch(tmp / "swap" / "victim", "temp copy");
  Touch(tmp / "plain", "rubbish");

  run.Select("Free_Space", "Temp");
  run.Select("Free_Space", "Thumbnails");
  run.Collect();
  fs::rename(tmp / "swap", tmp / "swap.old");
  fs::create_directory_symlink(outside / "swap", tmp / "swap");
  run.RunWorker();
  Shell("kill " + holder);

  EXPECT_EQ(Snapshot(outside), before) << "something outside was touched";
  EXPECT_FALSE(fs::exists(tmp / "plain"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(tmp / "to-documents"))) << "a link is deleted as a link";
  EXPECT_FALSE(fs::exists(fs::symlink_status(tmp / "to-report")));
  EXPECT_TRUE(fs::is_fifo(tmp / "fifo"));
  EXPECT_TRUE(fs::is_socket(tmp / "socket"));
  EXPECT_TRUE(fs::exists(tmp / "in-use.lock")) << "held open by a process of the user";
  EXPECT_TRUE(fs::is_symlink(tmp / "swap")) << "the swapped-in link is not followed";
  EXPECT_FALSE(fs::exists(tmp / "world" / "mine"));
  if (otherOwner) {
    EXPECT_TRUE(fs::exists(tmp / "world" / "theirs")) << "another user's file in a shared folder";
  }
  EXPECT_FALSE(fs::exists(run.sandbox.CacheHome() / "thumbnails" / "normal")) << "the cache's link went as a link";
}

TEST(SafeDeletion, TemporaryFolderNamingTheSystemOrHomeIsRefused) {
  for (const std::string which : {"/", "HOME", "/usr", "HOME/."}) {
    SCOPED_TRACE(which);
    CleanupRun run;
    const std::string home = run.sandbox.Home().string();
    const std::string value = which.rfind("HOME", 0) == 0 ? home + which.substr(4) : which;
    run.sandbox.SetEnv("TMP", value);
    Touch(run.sandbox.Home() / "notes.txt", "mine");
    run.Select("Free_Space", "Temp");
    run.Collect();
    // Never run the worker here: a broken refusal would delete for real.
    EXPECT_TRUE(run.state.PendingFiles.empty());
    EXPECT_TRUE(run.state.PendingFolders.empty());
    ASSERT_EQ(run.host.errors.size(), 1u);
    EXPECT_EQ(run.host.errors[0].first, 10503);
    EXPECT_EQ(run.host.errors[0].second, "An Error occured while removing Temp files.");
  }
}

TEST(SafeDeletion, DatabaseGoesWithItsCompanions) {
  CleanupRun run;
  const fs::path profile = run.sandbox.Home() / "profile";
  for (const char* name : {"cookies.sqlite", "cookies.sqlite-wal", "cookies.sqlite-shm", "cookies.sqlite-journal",
                           "places.sqlite", "places.sqlite-wal"})
    Touch(profile / name);
  cleanup::ItemContext context(run.state, run.task, run.settings, run.selection, run.host);
  EXPECT_TRUE(context.AddFile((profile / "cookies.sqlite").string()));
  EXPECT_FALSE(context.AddFile((profile / "missing.sqlite").string()));
  cleanup::CollectOptions options;
  options.fileFilter = [](const std::string& path) { return path.ends_with("/places.sqlite"); };
  EXPECT_EQ(context.CollectFolder(run.sandbox.Home().string(), "profile", options), cleanup::CollectResult::Collected);
  run.RunWorker();
  EXPECT_EQ(Tree(profile), std::vector<std::string>{}) << "companions follow the filter's decision too";
}
