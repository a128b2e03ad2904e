// Each item of this platform deletes what it names and nothing else.
#include <cerrno>
#include <cstdlib>

#include "os/recent_documents.h"
#include "tests/cleanup/cleanup_harness.h"

namespace {

struct ItemCase {
  ItemId id;
  std::vector<const char*> seeded;  // below HOME ("~/…") or TMP ("$TMP/…")
  std::vector<const char*> remaining;
};

fs::path Place(const Sandbox& sandbox, const std::string& where) {
  if (where == "$TMP")
    return sandbox.Tmp();
  if (where.rfind("$TMP/", 0) == 0)
    return sandbox.Tmp() / where.substr(5);
  return sandbox.Home() / where.substr(2);
}

const ItemCase kCases[] = {
    {ItemId::FreeSpaceTemp, {"$TMP/a", "$TMP/sub/deep/b", "~/Documents/doc"}, {"$TMP", "~/Documents/doc"}},
    {ItemId::FreeSpaceThumbnails,
     {"~/.cache/thumbnails/normal/1.png", "~/.cache/thumbnails/large/2.png", "~/.thumbnails/normal/3.png",
      "~/.cache/other/keep"},
     {"~/.cache/thumbnails/normal", "~/.cache/thumbnails/large", "~/.thumbnails/normal", "~/.cache/other/keep"}},
    {ItemId::FreeSpaceRecycleBin,
     {"~/.local/share/Trash/files/a.txt", "~/.local/share/Trash/files/dir/b", "~/.local/share/Trash/info/a.txt.trashinfo",
      "~/.local/share/Trash/expunged/c", "~/.local/share/other"},
     {"~/.local/share/Trash/files", "~/.local/share/Trash/info", "~/.local/share/Trash/expunged",
      "~/.local/share/other"}},
    {ItemId::FreeSpaceFlashPlayer,
     {"~/.adobe/Flash_Player/AssetCache/X/a", "~/.macromedia/Flash_Player/#SharedObjects/s/b.sol", "~/.adobe/keep"},
     {"~/.adobe/Flash_Player/AssetCache", "~/.macromedia/Flash_Player", "~/.adobe/keep"}},
    {ItemId::FreeSpaceJava,
     {"~/.java/deployment/cache/6.0/12/x.idx", "~/.java/deployment/log/plugin.trace",
      "~/.java/deployment/deployment.properties"},
     {"~/.java/deployment/cache/6.0", "~/.java/deployment/log", "~/.java/deployment/deployment.properties"}},
    {ItemId::HistoryRecentDocumentsList,
     {"~/.local/share/RecentDocuments/a.desktop", "~/.local/share/RecentDocuments/notes.txt"},
     {"~/.local/share/RecentDocuments/notes.txt"}},
};

}  // namespace

TEST(CleanupItems, EachDeletesExactlyWhatItNames) {
  for (const ItemCase& item : kCases) {
    SCOPED_TRACE(ItemRow(item.id).token);
    CleanupRun run;
    for (const char* seeded : item.seeded)
      Touch(Place(run.sandbox, seeded));
    run.Select(item.id);
    run.Clean();
    std::vector<std::string> expected;
    for (const char* remaining : item.remaining) {
      const fs::path path = Place(run.sandbox, remaining);
      EXPECT_TRUE(fs::exists(path)) << remaining;
      // A folder that stays is emptied unless it is named with its content.
      for (fs::path p = path; p != run.sandbox.Root(); p = p.parent_path())
        expected.push_back(fs::relative(p, run.sandbox.Root()).string());
    }
    for (const std::string& left : Tree(run.sandbox.Root())) {
      const bool ownFile = left == "tmp" || left.rfind("home/Desktop", 0) == 0;
      EXPECT_TRUE(ownFile || std::find(expected.begin(), expected.end(), left) != expected.end())
          << "not deleted: " << left;
    }
    EXPECT_TRUE(run.host.errors.empty());
  }
}

TEST(CleanupItems, RecentListIsEmptiedAndStaysValid) {
  CleanupRun run;
  const fs::path store = run.sandbox.DataHome() / "recently-used.xbel";
  Touch(store, "<?xml version=\"1.0\"?>\n<xbel version=\"1.0\"><bookmark href=\"file:///secret.pdf\"/></xbel>\n");
  run.Select(ItemId::HistoryRecentDocumentsList);
  run.Clean();
  const std::string content = Sandbox::ReadFile(store);
  EXPECT_EQ(content, os::recent_documents::EmptyStore());
  EXPECT_EQ(content.find("secret"), std::string::npos);
  const std::string check = "xmllint --noout '" + store.string() + "' 2>/dev/null || python3 -c "
                            "\"import sys,xml.dom.minidom as m; m.parse(sys.argv[1])\" '" + store.string() + "'";
  EXPECT_EQ(std::system(check.c_str()), 0) << "not well-formed XML";
}

TEST(CleanupItems, ClipboardOwnedByAnotherProgramIsEmptied) {
  if (std::system("command -v xclip >/dev/null") != 0)
    GTEST_SKIP() << "xclip is not installed";
  CleanupRun run;
  run.sandbox.UnsetEnv("WAYLAND_DISPLAY");  // the test's Xvfb, never the desktop's compositor
  ASSERT_EQ(std::system("printf secret | xclip -selection clipboard -i && printf secret | xclip -selection primary -i"),
            0);
  ASSERT_EQ(std::system("xclip -selection clipboard -o | grep -q secret"), 0) << "fixture owns the clipboard";
  run.Select(ItemId::HistoryClipboard);
  run.Collect();
  for (const char* selection : {"clipboard", "primary"}) {
    const std::string read = std::string("xclip -selection ") + selection + " -o 2>/dev/null | grep -q secret";
    EXPECT_NE(std::system(read.c_str()), 0) << selection << " still holds the text";
  }
}

TEST(CleanupItems, ClipboardThatCannotBeReachedIsLoggedWithItsCode) {
  CleanupRun run;
  run.sandbox.UnsetEnv("DISPLAY");
  run.sandbox.SetEnv("WAYLAND_DISPLAY", (run.sandbox.Root() / "no-compositor").string());
  run.Select(ItemId::HistoryClipboard);
  run.Collect();
  ASSERT_EQ(run.host.errors.size(), 1u);
  EXPECT_EQ(run.host.errors[0].first, ENXIO);
  EXPECT_EQ(run.host.errors[0].second, "Can't empty the Clipboard.");
}

TEST(CleanupItems, AvailabilityOnThisSystem) {
  const ItemId available[] = {ItemId::FreeSpaceTemp,        ItemId::FreeSpaceRecycleBin,
                              ItemId::FreeSpaceThumbnails,  ItemId::FreeSpaceFlashPlayer,
                              ItemId::FreeSpaceJava,        ItemId::HistoryRecentDocumentsList,
                              ItemId::HistoryClipboard};
  for (const CleanupItem& item : CleanupItems()) {
    const cleanup::Availability availability = cleanup::ItemAvailability(item.id);
    EXPECT_EQ(availability.available, availability.reason.empty()) << item.token;
  }
  for (ItemId id : available)
    EXPECT_TRUE(cleanup::ItemAvailability(id).available) << ItemRow(id).token;
  const auto regedit = cleanup::ItemAvailability(ItemId::HistoryRegistryEditor);
  EXPECT_FALSE(regedit.available);
  EXPECT_EQ(regedit.reason, kNoSuchHistory);
  EXPECT_FALSE(cleanup::ItemAvailability(ItemId::CacheInternetExplorer).available);
  EXPECT_EQ(cleanup::ItemAvailability(ItemId::FreeSpaceCryptoApiCache).reason, kNoSuchData);
}

TEST(CleanupItems, TrashOfOtherVolumesIsEmptiedAndKept) {
  CleanupRun run;
  const fs::path volume = run.sandbox.Root() / "volume with blank";
  run.sandbox.SetEnv("DKWT_MOUNTINFO", (run.sandbox.Root() / "mountinfo").string());
  Sandbox::WriteFile(run.sandbox.Root() / "mountinfo",
                     "36 35 98:0 / " + run.sandbox.Root().string() + "/volume\\040with\\040blank rw,noatime shared:1 - "
                     "ext4 /dev/sdb1 rw\n37 35 0:5 / /proc rw - proc proc rw\n");
  Sandbox::WriteFile(run.sandbox.Root() / "uid", "");
  ASSERT_EQ(std::system(("id -u >'" + (run.sandbox.Root() / "uid").string() + "'").c_str()), 0);
  std::string uid = Sandbox::ReadFile(run.sandbox.Root() / "uid");
  uid = uid.substr(0, uid.find('\n'));
  Touch(volume / (".Trash-" + uid) / "files" / "old.txt");
  Touch(volume / (".Trash-" + uid) / "info" / "old.txt.trashinfo");
  Touch(volume / ".Trash" / uid / "files" / "dir" / "x");
  fs::permissions(volume / ".Trash", fs::perms::all | fs::perms::sticky_bit);
  Touch(volume / "data.bin");
  run.Select(ItemId::FreeSpaceRecycleBin);
  run.Clean();
  const std::vector<std::string> expected = {".Trash", ".Trash-" + uid, ".Trash-" + uid + "/files",
                                             ".Trash-" + uid + "/info", ".Trash/" + uid, ".Trash/" + uid + "/files",
                                             "data.bin"};
  EXPECT_EQ(Tree(volume), expected);
}

// The running session's files in the shared temporary folder stay although
// nothing holds them open (X authority and locks, Kerberos tickets, agents,
// the desktop's socket folders); the user's other files there go.
TEST(CleanupItems, SessionFilesInTheTemporaryFolderStay) {
  const char* const kept[] = {
      "xauth_AbCdEf",      ".Xauthority-c",      "serverauth.7Hq2uM", ".X0-lock",     ".X1024-lock",
      "krb5cc_1000",       "krb5cc_1000_XyZ",    "ssh-XXXXq1w2e3/agent.1234",        ".ICE-unix/4242",
      "systemd-private-0123abcd-colord.service-Qw/tmp/f",                             ".X11-unix/X0",
      ".XIM-unix/f",       ".font-unix/fs7100",  "tmux-1000/default", "pulse-PKdhtXMmr18n/pid",
      "dbus-AbCdEf12",
  };
  const char* const gone[] = {
      "notes.txt", "my-xauth_copy", ".X0-lock.old", "ssh.txt", "sub/krb5cc_1000", "pulse", ".ICE-unix-old/f",
  };
  CleanupRun run;
  for (const char* path : kept)
    Touch(run.sandbox.Tmp() / path, "session");
  for (const char* path : gone)
    Touch(run.sandbox.Tmp() / path);
  run.Select(ItemId::FreeSpaceTemp);
  run.Clean();
  for (const char* path : kept)
    EXPECT_EQ(Sandbox::ReadFile(run.sandbox.Tmp() / path), "session") << path;
  for (const char* path : gone)
    EXPECT_FALSE(fs::exists(run.sandbox.Tmp() / path)) << path;
  EXPECT_TRUE(run.host.errors.empty());
}
