// A hostile file system: links out of the cleaned folders, special files,
// files in use, a folder swapped for a link after collection or after its
// check, and temporary folders that name the whole system, the home folder
// or another folder of the user's.
#include <pwd.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "os/folders.h"
#include "os/safe_fs.h"
#include "os/trash.h"
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

// A process that holds the files open until it is killed; returns its id
// once it has them all open.
std::string HoldOpen(const std::vector<fs::path>& files, const fs::path& pidFile) {
  std::string redirections, arguments;
  for (std::size_t i = 0; i < files.size(); ++i) {
    redirections += " " + std::to_string(i + 3) + "<\"$" + std::to_string(i + 1) + "\"";
    arguments += " " + Quoted(files[i].string());
  }
  EXPECT_EQ(Shell("sh -c " + Quoted("exec" + redirections + "; exec sleep 120") + " sh" + arguments + " & echo $! >" +
                  Quoted(pidFile.string())),
            0);
  std::string holder = Sandbox::ReadFile(pidFile);
  holder = holder.substr(0, holder.find('\n'));
  // The child must have the files open before the collection looks.
  std::string check = "true";
  for (const fs::path& file : files)
    check += " && ls -l /proc/" + holder + "/fd 2>/dev/null | grep -qF " + Quoted(file.filename().string());
  for (int i = 0; i < 200 && Shell(check) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return holder;
}

std::string Uid() { return std::to_string(::geteuid()); }

// Makes `volume` the only mounted file system the clean-up sees.
void OnlyVolume(CleanupRun& run, const fs::path& volume) {
  fs::create_directories(volume);
  run.sandbox.SetEnv("DKWT_MOUNTINFO", (run.sandbox.Root() / "mountinfo").string());
  Sandbox::WriteFile(run.sandbox.Root() / "mountinfo",
                     "36 35 98:0 / " + volume.string() + " rw,noatime shared:1 - ext4 /dev/sdb1 rw\n");
}

// A folder of the user's with the trash folder's shape: what a link swapped
// in for a trash folder would lead to.
fs::path ShapedLikeATrash(const Sandbox& sandbox) {
  const fs::path projects = sandbox.Home() / "Projects";
  for (const char* part : {"files", "info", "expunged"})
    Touch(projects / part / "precious", "precious");
  return projects;
}

struct TrashHookGuard {
  ~TrashHookGuard() { os::trash::testing::SetCheckedHook(nullptr); }
};

struct ForcedOpenat2Error {
  explicit ForcedOpenat2Error(int error) { os::safe_fs::testing::ForceOpenat2Error(error); }
  ~ForcedOpenat2Error() { os::safe_fs::testing::ForceOpenat2Error(0); }
};

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
  const std::string holder = HoldOpen({tmp / "in-use.lock"}, run.sandbox.Root() / "holder.pid");
  // A folder everybody writes to, with someone else's file in it.
  fs::create_directories(tmp / "world");
  fs::permissions(tmp / "world", fs::perms::all | fs::perms::sticky_bit);
  Touch(tmp / "world" / "theirs", "not mine");
  Touch(tmp / "world" / "mine", "mine");
  const bool otherOwner = Shell("chown nobody '" + (tmp / "world" / "theirs").string() + "' 2>/dev/null") == 0;
  // A folder that will be swapped for a link once collected.
  Touch(tmp / "swap" / "victim", "temp copy");
  Touch(tmp / "plain", "rubbish");

  run.Select(ItemId::FreeSpaceTemp);
  run.Select(ItemId::FreeSpaceThumbnails);
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

TEST(SafeDeletion, TemporaryFolderNamingTheSystemOrAFolderOfTheUsersIsRefused) {
  struct Case {
    const char* name;
    std::function<fs::path(CleanupRun&)> folder;  // what TMP names
  };
  const auto userDirs = [](CleanupRun& run, const std::string& lines) {
    Sandbox::WriteFile(run.sandbox.ConfigHome() / "user-dirs.dirs", "# written by xdg-user-dirs-update\n" + lines);
  };
  const Case cases[] = {
      {"/", [](CleanupRun&) { return fs::path("/"); }},
      {"/usr", [](CleanupRun&) { return fs::path("/usr"); }},
      {"HOME", [](CleanupRun& run) { return run.sandbox.Home(); }},
      {"HOME/.", [](CleanupRun& run) { return run.sandbox.Home() / "."; }},
      {"a parent of HOME", [](CleanupRun& run) { return run.sandbox.Root(); }},
      {"documents of user-dirs.dirs",
       [&](CleanupRun& run) {
         userDirs(run, "XDG_DOCUMENTS_DIR=\"" + (run.sandbox.Root() / "papers/docs").string() + "\"\n");
         return run.sandbox.Root() / "papers/docs";
       }},
      {"a parent of the documents",
       [&](CleanupRun& run) {
         userDirs(run, "XDG_DOCUMENTS_DIR=\"" + (run.sandbox.Root() / "papers/docs").string() + "\"\n");
         Touch(run.sandbox.Root() / "papers/docs/thesis.odt");
         return run.sandbox.Root() / "papers";
       }},
      {"music under $HOME",
       [&](CleanupRun& run) {
         userDirs(run, "XDG_MUSIC_DIR=\"$HOME/Tunes\"\n");
         return run.sandbox.Home() / "Tunes";
       }},
      {"downloads by their usual name", [](CleanupRun& run) { return run.sandbox.Home() / "Downloads"; }},
      {"a parent of pictures reached by a link",
       [&](CleanupRun& run) {
         fs::create_directories(run.sandbox.Root() / "store/pictures");
         fs::create_directory_symlink(run.sandbox.Root() / "store/pictures", run.sandbox.Home() / "Pics");
         userDirs(run, "XDG_PICTURES_DIR=\"$HOME/Pics\"\n");
         return run.sandbox.Root() / "store";
       }},
      {"XDG_RUNTIME_DIR",
       [](CleanupRun& run) {
         run.sandbox.SetEnv("XDG_RUNTIME_DIR", (run.sandbox.Root() / "run").string());
         return run.sandbox.Root() / "run";
       }},
  };
  for (const Case& item : cases) {
    SCOPED_TRACE(item.name);
    CleanupRun run;
    const fs::path folder = item.folder(run);
    if (folder.string().rfind(run.sandbox.Root().string(), 0) == 0)
      Touch(folder / "notes.txt", "mine");
    run.sandbox.SetEnv("TMP", folder.string());
    run.Select(ItemId::FreeSpaceTemp);
    run.Collect();
    // Never run the worker here: a broken refusal would delete for real.
    EXPECT_TRUE(run.state.PendingFiles.empty());
    EXPECT_TRUE(run.state.PendingFolders.empty());
    const std::vector<std::pair<int, std::string>> refused = {{10503, "An Error occured while removing Temp files."}};
    EXPECT_EQ(run.host.errors, refused);
  }
}

TEST(SafeDeletion, RelativeTemporaryFolderCountsAsUnset) {
  Sandbox sandbox;
  sandbox.SetEnv("TMP", "relative/tmp");
  EXPECT_EQ(os::folders::TempFolder(), sandbox.Tmp().string()) << "TMPDIR comes next";
  sandbox.SetEnv("TMPDIR", ".");
  EXPECT_EQ(os::folders::TempFolder(), "/tmp");
}

// The home folder as the password database has it, which HOME does not
// tell: in a private mount namespace the database is replaced by one whose
// home for this user is a folder of the sandbox, never the real one.
TEST(SafeDeletion, HomeUnsetAndTmpNamingTheHomeOfThePasswordDatabaseDeletesNothing) {
  Sandbox sandbox;
  const fs::path home = sandbox.Root() / "home-of-passwd";
  Touch(home / "thesis.odt", "precious");
  Touch(home / ".ssh" / "id_ed25519", "key");
  const auto before = Snapshot(home);
  std::ifstream in("/etc/passwd");
  std::ostringstream changed;
  bool found = false;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> fields;
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, ':');)
      fields.push_back(field);
    if (fields.size() >= 7 && fields[2] == Uid()) {
      fields[5] = home.string();
      found = true;
    }
    for (std::size_t i = 0; i < fields.size(); ++i)
      changed << (i ? ":" : "") << fields[i];
    changed << "\n";
  }
  if (!found)
    GTEST_SKIP() << "the user has no line in /etc/passwd";
  Sandbox::WriteFile(sandbox.Root() / "passwd", changed.str());
  sandbox.SetEnv("DKWT_PASSWD_HOME", home.string());
  std::string why;
  const int status = RunInPrivateMountNamespace("mount --bind " + Quoted((sandbox.Root() / "passwd").string()) +
                                                    " /etc/passwd",
                                                "SafeDeletionInNamespace.DISABLED_HomeOfThePasswordDatabase", why);
  if (status == -1)
    GTEST_SKIP() << why;
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Snapshot(home), before);
}

TEST(SafeDeletionInNamespace, DISABLED_HomeOfThePasswordDatabase) {
  DKWT_ONLY_IN_NAMESPACE();
  const char* expected = std::getenv("DKWT_PASSWD_HOME");
  ASSERT_NE(expected, nullptr);
  const passwd* entry = ::getpwuid(::geteuid());
  ASSERT_NE(entry, nullptr);
  ASSERT_EQ(std::string(entry->pw_dir), expected) << "the changed password database is in force";
  CleanupRun run;
  run.sandbox.UnsetEnv("HOME");
  run.sandbox.SetEnv("TMP", entry->pw_dir);
  run.Select(ItemId::FreeSpaceTemp);
  run.Collect();
  EXPECT_TRUE(run.state.PendingFiles.empty());
  EXPECT_TRUE(run.state.PendingFolders.empty());
  run.RunWorker();
  ASSERT_EQ(run.host.errors.size(), 1u);
  EXPECT_EQ(run.host.errors[0].first, 10503);
}

TEST(SafeDeletion, LinkOnTheWayIsFollowedOnlyWhereOnlyTheUserCouldHaveMadeIt) {
  {
    SCOPED_TRACE("the user's own folder: the link is the user's choice");
    CleanupRun run;
    Touch(run.sandbox.Root() / "elsewhere" / "old.tmp");
    fs::create_directory_symlink(run.sandbox.Root() / "elsewhere", run.sandbox.Home() / "my-tmp");
    run.sandbox.SetEnv("TMP", (run.sandbox.Home() / "my-tmp").string());
    run.Select(ItemId::FreeSpaceTemp);
    run.Clean();
    EXPECT_EQ(Tree(run.sandbox.Root() / "elsewhere"), std::vector<std::string>{});
    EXPECT_TRUE(run.host.errors.empty());
  }
  for (const bool othersWrite : {true, false}) {
    SCOPED_TRACE(othersWrite ? "a folder everybody writes to" : "someone else's folder");
    CleanupRun run;
    const fs::path projects = run.sandbox.Home() / "Projects";
    Touch(projects / "report.odt", "precious");
    const fs::path holder = run.sandbox.Root() / "holder";
    fs::create_directories(holder);
    fs::create_directory_symlink(projects, holder / "tmp");
    if (othersWrite) {
      fs::permissions(holder, fs::perms::all | fs::perms::sticky_bit);
    } else if (Shell("chown -h nobody " + Quoted(holder.string()) + " 2>/dev/null") != 0) {
      continue;  // not root: no one else to own it
    }
    run.sandbox.SetEnv("TMP", (holder / "tmp").string());
    run.Select(ItemId::FreeSpaceTemp);
    run.Collect();
    EXPECT_TRUE(run.state.PendingFiles.empty());
    EXPECT_EQ(run.host.errors.size(), 1u);
    EXPECT_TRUE(run.Logged(10503));
  }
}

// The check and the opening are one: the trash folder is checked on its
// opened descriptor, and files/, info/ and expunged/ are opened relative to
// that descriptor. A folder swapped for a link right after the check (as the
// owner of a shared .Trash could do) is never entered by name.
TEST(SafeDeletion, TrashFolderSwappedForALinkAfterItsCheckDeletesNothingOutside) {
  CleanupRun run;
  const fs::path volume = run.sandbox.Root() / "volume";
  OnlyVolume(run, volume);
  const fs::path projects = ShapedLikeATrash(run.sandbox);
  const auto before = Snapshot(projects);
  const std::string uid = Uid();
  Touch(volume / ".Trash" / uid / "files" / "old.txt");
  Touch(volume / ".Trash" / uid / "info" / "old.txt.trashinfo");
  Touch(volume / (".Trash-" + uid) / "files" / "dir" / "x");
  fs::permissions(volume / ".Trash", fs::perms::all | fs::perms::sticky_bit);
  TrashHookGuard guard;
  std::vector<std::string> swapped;
  os::trash::testing::SetCheckedHook([&](const std::string& path) {
    fs::rename(path, path + ".checked");
    fs::create_directory_symlink(projects, path);
    swapped.push_back(path);
  });
  run.Select(ItemId::FreeSpaceRecycleBin);
  run.Clean();
  EXPECT_EQ(swapped.size(), 2u);
  EXPECT_EQ(Snapshot(projects), before) << "the link swapped in was followed";
  // What was checked is what was emptied, under its new name.
  EXPECT_EQ(Tree(volume / ".Trash" / (uid + ".checked")), (std::vector<std::string>{"files", "info"}));
  EXPECT_EQ(Tree(volume / (".Trash-" + uid + ".checked")), std::vector<std::string>{"files"});
}

TEST(SafeDeletion, TrashFolderThatIsALinkIsNotEntered) {
  CleanupRun run;
  const fs::path volume = run.sandbox.Root() / "volume";
  OnlyVolume(run, volume);
  const fs::path projects = ShapedLikeATrash(run.sandbox);
  const std::string uid = Uid();
  // .Trash-$UID a link; .Trash a link to a sticky folder that has $UID.
  fs::create_directory_symlink(projects, volume / (".Trash-" + uid));
  const fs::path sticky = run.sandbox.Root() / "sticky";
  Touch(sticky / uid / "files" / "precious", "precious");
  fs::permissions(sticky, fs::perms::all | fs::perms::sticky_bit);
  fs::create_directory_symlink(sticky, volume / ".Trash");
  const auto before = Snapshot(run.sandbox.Root());
  run.Select(ItemId::FreeSpaceRecycleBin);
  run.Clean();
  EXPECT_EQ(Snapshot(run.sandbox.Root()), before);
}

// Files on overlayfs without xino report another device than their folder
// (a live system, a container): the open files are matched by the file's
// own identity. Root in a private mount namespace mounts one.
TEST(SafeDeletion, FileHeldOpenOnAnOverlayWithoutXinoStays) {
  Sandbox sandbox;
  const fs::path lower = sandbox.Root() / "lower", upper = sandbox.Root() / "upper", merged = sandbox.Root() / "merged";
  for (const fs::path& folder : {lower, upper, merged})
    fs::create_directories(folder);
  const std::string l = Quoted(lower.string()), u = Quoted(upper.string()), m = Quoted(merged.string());
  // Two file systems, so that files of either layer have a device of their own.
  const std::string setup = "mount -t tmpfs dkwt-lower " + l + "\nmount -t tmpfs dkwt-upper " + u + "\nmkdir " + l +
                            "/data " + u + "/data " + u + "/work\necho held >" + l + "/data/lower-held\necho x >" + l +
                            "/data/lower-plain\nmount -t overlay overlay -o lowerdir=" + l + "/data,upperdir=" + u +
                            "/data,workdir=" + u + "/work,xino=off " + m;
  std::string why;
  if (RunInPrivateMountNamespace(setup, "", why) != 0)
    GTEST_SKIP() << "no overlay mount with xino=off here (" << (why.empty() ? "mount -t overlay failed" : why) << ")";
  sandbox.SetEnv("DKWT_OVERLAY", merged.string());
  EXPECT_EQ(RunInPrivateMountNamespace(setup, "SafeDeletionInNamespace.DISABLED_FileHeldOpenOnAnOverlay", why), 0);
}

TEST(SafeDeletionInNamespace, DISABLED_FileHeldOpenOnAnOverlay) {
  DKWT_ONLY_IN_NAMESPACE();
  const char* overlay = std::getenv("DKWT_OVERLAY");
  ASSERT_NE(overlay, nullptr);
  const fs::path merged = overlay;
  CleanupRun run;
  run.sandbox.SetEnv("TMP", merged.string());
  Touch(merged / "upper-held", "held");
  Touch(merged / "upper-plain");
  struct stat folder {}, file {};
  ASSERT_EQ(::stat(merged.c_str(), &folder), 0);
  ASSERT_EQ(::stat((merged / "upper-held").c_str(), &file), 0);
  ASSERT_NE(folder.st_dev, file.st_dev) << "the files of this overlay have their folder's device";
  const std::string holder = HoldOpen({merged / "upper-held", merged / "lower-held"}, run.sandbox.Root() / "holder.pid");
  run.Select(ItemId::FreeSpaceTemp);
  run.Clean();
  Shell("kill " + holder);
  EXPECT_TRUE(fs::exists(merged / "upper-held")) << "held open by a process of the user";
  EXPECT_TRUE(fs::exists(merged / "lower-held")) << "held open by a process of the user";
  EXPECT_FALSE(fs::exists(merged / "upper-plain"));
  EXPECT_FALSE(fs::exists(merged / "lower-plain"));
}

// Containers' seccomp filters refuse openat2 with EPERM, old kernels lack it
// (ENOSYS): the walk by components takes over with the same rules.
TEST(SafeDeletion, RefusedOpenat2FallsBackToTheWalkByComponents) {
  for (const int error : {EPERM, ENOSYS}) {
    SCOPED_TRACE(error);
    ForcedOpenat2Error forced(error);
    CleanupRun run;
    const fs::path tmp = run.sandbox.Tmp();
    const fs::path outside = run.sandbox.Home() / "Documents";
    Touch(outside / "swap" / "victim", "precious");
    Touch(outside / "normal" / "1.png", "precious");
    const auto before = Snapshot(outside);
    Touch(tmp / "sub" / "deep" / "b");
    Touch(tmp / "swap" / "victim");
    // A link below a root is refused, as openat2 refuses it.
    fs::create_directories(run.sandbox.CacheHome());
    fs::create_directory_symlink(outside, run.sandbox.CacheHome() / "thumbnails");
    run.Select(ItemId::FreeSpaceTemp);
    run.Select(ItemId::FreeSpaceThumbnails);
    run.Collect();
    fs::rename(tmp / "swap", tmp / "swap.old");
    fs::create_directory_symlink(outside / "swap", tmp / "swap");
    run.RunWorker();
    EXPECT_EQ(Snapshot(outside), before);
    EXPECT_FALSE(fs::exists(tmp / "sub")) << "deleted through the walk by components";
    EXPECT_TRUE(fs::is_symlink(tmp / "swap"));
  }
}

// The one-file-system rule of the walk by components: a file system
// mounted where a collected folder was (after the collection) is not entered.
TEST(SafeDeletion, FallBackWalkStaysOnItsFileSystem) {
  std::string why;
  const int status =
      RunInPrivateMountNamespace("true", "SafeDeletionInNamespace.DISABLED_FallBackWalkStaysOnItsFileSystem", why);
  if (status == -1)
    GTEST_SKIP() << why;
  EXPECT_EQ(status, 0);
}

TEST(SafeDeletionInNamespace, DISABLED_FallBackWalkStaysOnItsFileSystem) {
  DKWT_ONLY_IN_NAMESPACE();
  ForcedOpenat2Error forced(EPERM);
  CleanupRun run;
  const fs::path sub = run.sandbox.Tmp() / "sub";
  Touch(sub / "file", "temporary");
  run.Select(ItemId::FreeSpaceTemp);
  run.Collect();
  ASSERT_EQ(Shell("mount -t tmpfs dkwt-other " + Quoted(sub.string())), 0);
  Touch(sub / "file", "on another file system");
  run.RunWorker();
  EXPECT_EQ(Sandbox::ReadFile(sub / "file"), "on another file system");
  Shell("umount " + Quoted(sub.string()));
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
