#include "os/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "tests/support/sandbox.h"

namespace fs = std::filesystem;
using namespace os::profile;

namespace {

class ProfileTest : public testing::Test {
 protected:
  std::string Path(const std::string& name = "task.stask") const { return (sandbox.Root() / name).string(); }
  std::string Content(const std::string& name = "task.stask") const { return Sandbox::ReadFile(sandbox.Root() / name); }
  void Put(const std::string& content, const std::string& name = "task.stask") const {
    Sandbox::WriteFile(sandbox.Root() / name, content);
  }
  // Every entry of the folder, so a left-over temporary file shows up.
  std::vector<std::string> Entries(const fs::path& folder) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  Sandbox sandbox;
};

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheDefault) {
  EXPECT_EQ(GetString(Path("none.ini"), "S", "k", "$$default"), "$$default");
  Put("top=1\n[S]\nk=v\n[T]\n");
  EXPECT_EQ(GetString(Path(), "S", "k", "$$default"), "v");
  EXPECT_EQ(GetString(Path(), "X", "k", "$$default"), "$$default");
  EXPECT_EQ(GetString(Path(), "S", "other", "$$default"), "$$default");
  EXPECT_EQ(GetString(Path(), "T", "k", "$$default"), "$$default");
  // Keys before any header belong to no section.
  EXPECT_EQ(GetString(Path(), "", "top", "d"), "d");
  EXPECT_EQ(KeyNames(Path(), "S"), std::vector<std::string>{"k"});
  // An empty value is a value, not a miss.
  Put("[S]\nk=\n");
  EXPECT_EQ(GetString(Path(), "S", "k", "d"), "");
}

TEST_F(ProfileTest, ReplacesInPlaceKeepingEveryOtherLineAndLineEnd) {
  const std::string before =
      "; made by hand\r\n"
      "[Task]\r\n"
      "Name = Night\r\n"
      "garbage without equals\n"
      "Type=1\r\n"
      "\r\n"
      "[Other]\n"
      "Type=9";
  Put(before);
  ASSERT_TRUE(WriteString(Path(), "task", "TYPE", "4"));
  std::string expected = before;
  expected.replace(expected.find("Type=1"), 6, "Type=4");
  EXPECT_EQ(Content(), expected);

  // The blanks after '=' and the key's spelling stay as they were.
  ASSERT_TRUE(WriteString(Path(), "Task", "name", "Day"));
  expected.replace(expected.find("Name = Night"), 12, "Name = Day");
  EXPECT_EQ(Content(), expected);

  // Writing the value it already has leaves the file alone.
  ASSERT_TRUE(WriteString(Path(), "Task", "Type", "4"));
  EXPECT_EQ(Content(), expected);
  EXPECT_EQ(GetString(Path(), "OTHER", "type", ""), "9");
}

TEST_F(ProfileTest, AppendsToItsSectionOrCreatesTheSectionAndTheFile) {
  ASSERT_TRUE(WriteString(Path(), "Task", "Name", "Night"));
  EXPECT_EQ(Content(), "[Task]\nName=Night\n");
  ASSERT_TRUE(WriteString(Path(), "CRITICAL", "Days", "3"));
  ASSERT_TRUE(WriteString(Path(), "task", "Type", "1"));
  EXPECT_EQ(Content(), "[Task]\nName=Night\nType=1\n[CRITICAL]\nDays=3\n");

  // A new key goes after the section's last entry, before the blank lines
  // and comments that lead to the next section.
  Put("[A]\r\na=1\r\n\r\n; about B\r\n[B]\r\nb=2");
  ASSERT_TRUE(WriteString(Path(), "a", "new", "x"));
  ASSERT_TRUE(WriteString(Path(), "B", "more", "y"));
  EXPECT_EQ(Content(), "[A]\r\na=1\r\nnew=x\r\n\r\n; about B\r\n[B]\r\nb=2\r\nmore=y\r\n");

  // A header without a final line end gets one before the new section.
  Put("[A]");
  ASSERT_TRUE(WriteString(Path(), "C", "c", "3"));
  EXPECT_EQ(Content(), "[A]\n[C]\nc=3\n");
}

TEST_F(ProfileTest, SectionsAndKeysIgnoreCase) {
  Put("[CritiCal]\nDaYs=7\n");
  EXPECT_EQ(GetString(Path(), "critical", "DAYS", ""), "7");
  ASSERT_TRUE(WriteString(Path(), "CRITICAL", "days", "8"));
  EXPECT_EQ(Content(), "[CritiCal]\nDaYs=8\n");
  EXPECT_EQ(SectionNames(Path()), std::vector<std::string>{"CritiCal"});
}

TEST_F(ProfileTest, TrimsBlanksAndOnePairOfQuotes) {
  Put("[S]\n  a  =  spaced value  \t\nb=\"  quoted  \"\nc=\"\"x\"\"\nd=\"half\ne= \"\n");
  EXPECT_EQ(GetString(Path(), " S ", " a ", ""), "spaced value");
  EXPECT_EQ(GetString(Path(), "S", "b", ""), "  quoted  ");
  EXPECT_EQ(GetString(Path(), "S", "c", ""), "\"x\"");
  EXPECT_EQ(GetString(Path(), "S", "d", ""), "\"half");
  EXPECT_EQ(GetString(Path(), "S", "e", ""), "\"");
}

TEST_F(ProfileTest, ValuesReadBackAsWritten) {
  for (const std::string value : {"  lead", "trail ", "\"quoted\"", "\"", "a=b;c", "Zürich ☃", ""}) {
    ASSERT_TRUE(WriteString(Path(), "S", "k", value)) << value;
    EXPECT_EQ(GetString(Path(), "S", "k", "d"), value);
  }
}

TEST_F(ProfileTest, RefusesTextThatWouldNotReadBackAsItself) {
  Put("[S]\nk=v\n");
  // A line break would let a value inject other keys or sections.
  EXPECT_FALSE(WriteString(Path(), "S", "k", "x\n[Evil]\nk=1"));
  EXPECT_FALSE(WriteString(Path(), "S", "k", "x\ry"));
  EXPECT_FALSE(WriteString(Path(), "S", "a=b", "v"));
  EXPECT_FALSE(WriteString(Path(), "S", ";k", "v"));
  EXPECT_FALSE(WriteString(Path(), "S", "", "v"));
  EXPECT_FALSE(WriteString(Path(), "A]B", "k", "v"));
  EXPECT_FALSE(WriteString(Path(), "", "k", "v"));
  EXPECT_EQ(Content(), "[S]\nk=v\n");
}

TEST_F(ProfileTest, CutsValuesLikeAFixedBuffer) {
  Put("[S]\nlong=" + std::string(2000, 'x') + "\nshort=abc\nutf=äöü\n");
  EXPECT_EQ(GetString(Path(), "S", "long", ""), std::string(1023, 'x'));
  EXPECT_EQ(GetString(Path(), "S", "long", "", 1024).size(), 1023u);
  EXPECT_EQ(GetString(Path(), "S", "short", "", 3), "ab");
  EXPECT_EQ(GetString(Path(), "S", "short", "", 1), "");
  EXPECT_EQ(GetString(Path(), "S", "short", "", 0), "");
  EXPECT_EQ(GetString(Path(), "S", "missing", "default", 4), "def");
  // Characters, not bytes: a multi-byte character is never split.
  EXPECT_EQ(GetString(Path(), "S", "utf", "", 3), "äö");
}

TEST_F(ProfileTest, ReadsCrlfAndByteOrderMarkAndKeepsThem) {
  Put("\xEF\xBB\xBF[S]\r\nk=v\r\n");
  EXPECT_EQ(GetString(Path(), "S", "k", ""), "v");
  EXPECT_EQ(SectionNames(Path()), std::vector<std::string>{"S"});
  ASSERT_TRUE(WriteString(Path(), "S", "n", "w"));
  ASSERT_TRUE(WriteString(Path(), "T", "t", "u"));
  EXPECT_EQ(Content(), "\xEF\xBB\xBF[S]\r\nk=v\r\nn=w\r\n[T]\r\nt=u\r\n");
}

TEST_F(ProfileTest, FirstOfDuplicateKeysWinsAndDeleteRemovesAll) {
  Put("[S]\nk=1\nk=2\n[s]\nk=3\nj=4\n");
  EXPECT_EQ(GetString(Path(), "S", "k", ""), "1");
  EXPECT_EQ(GetString(Path(), "S", "j", ""), "4");  // a repeated section adds to the first
  ASSERT_TRUE(WriteString(Path(), "S", "K", "9"));
  EXPECT_EQ(Content(), "[S]\nk=9\nk=2\n[s]\nk=3\nj=4\n");
  EXPECT_EQ(KeyNames(Path(), "s"), (std::vector<std::string>{"k", "j"}));
  EXPECT_EQ(SectionNames(Path()), std::vector<std::string>{"S"});
  ASSERT_TRUE(DeleteKey(Path(), "S", "k"));
  EXPECT_EQ(Content(), "[S]\n[s]\nj=4\n");
  EXPECT_EQ(GetString(Path(), "S", "k", "gone"), "gone");
}

TEST_F(ProfileTest, DeletesKeysAndSections) {
  Put("; head\n[A]\na=1\n\n[B]\nb=2\n; tail of B\n[C]\nc=3\n");
  ASSERT_TRUE(DeleteSection(Path(), "b"));
  EXPECT_EQ(Content(), "; head\n[A]\na=1\n\n[C]\nc=3\n");
  EXPECT_EQ(SectionNames(Path()), (std::vector<std::string>{"A", "C"}));
  ASSERT_TRUE(DeleteKey(Path(), "C", "C"));
  EXPECT_EQ(Content(), "; head\n[A]\na=1\n\n[C]\n");
  // Nothing to remove is still success, and creates nothing.
  EXPECT_TRUE(DeleteKey(Path(), "C", "c"));
  EXPECT_TRUE(DeleteSection(Path(), "Z"));
  EXPECT_TRUE(DeleteKey(Path("none.ini"), "A", "a"));
  EXPECT_TRUE(DeleteSection(Path("none.ini"), "A"));
  EXPECT_FALSE(fs::exists(Path("none.ini")));
  EXPECT_TRUE(SectionNames(Path("none.ini")).empty());
  EXPECT_TRUE(KeyNames(Path(), "Z").empty());
}

TEST_F(ProfileTest, SurvivesGarbageAndKeepsItOnWrite) {
  std::string garbage("\0\x01\xff\xfe[[[=\x80\n", 10);
  garbage += std::string(3 * 1024 * 1024, '\xc3');  // a huge line of broken UTF-8
  garbage += std::string("\n[unclosed\n=no key\n[S]\nk=v\n\x7f\0junk=\0", 35);
  Put(garbage);
  EXPECT_EQ(GetString(Path(), "S", "k", ""), "v");
  EXPECT_EQ(GetString(Path(), "unclosed", "k", "d"), "d");
  ASSERT_TRUE(WriteString(Path(), "S", "k", "w"));
  std::string expected = garbage;
  expected.replace(expected.find("k=v"), 3, "k=w");
  EXPECT_EQ(Content(), expected);
  ASSERT_TRUE(WriteString(Path(), "S", "n", "1"));
  EXPECT_EQ(Content().substr(0, expected.size()), expected);
}

TEST_F(ProfileTest, PathsThatAreNotReadableFilesFailCleanly) {
  fs::create_directories(sandbox.Root() / "folder.stask");
  EXPECT_EQ(GetString(Path("folder.stask"), "S", "k", "d"), "d");
  EXPECT_FALSE(WriteString(Path("folder.stask"), "S", "k", "v"));
  EXPECT_TRUE(fs::is_directory(sandbox.Root() / "folder.stask"));
  EXPECT_TRUE(SectionNames(Path("folder.stask")).empty());

  // A FIFO must not hang the reader.
  ASSERT_EQ(mkfifo(Path("pipe.stask").c_str(), 0600), 0);
  EXPECT_EQ(GetString(Path("pipe.stask"), "S", "k", "d"), "d");
  EXPECT_FALSE(WriteString(Path("pipe.stask"), "S", "k", "v"));

  // A runaway file is refused, not read into memory, and not replaced.
  Put("[S]\nk=v\n", "huge.stask");
  fs::resize_file(sandbox.Root() / "huge.stask", 64ull * 1024 * 1024);
  EXPECT_EQ(GetString(Path("huge.stask"), "S", "k", "d"), "d");
  EXPECT_FALSE(WriteString(Path("huge.stask"), "S", "k", "w"));
  EXPECT_EQ(fs::file_size(sandbox.Root() / "huge.stask"), 64ull * 1024 * 1024);

  EXPECT_EQ(GetString("", "S", "k", "d"), "d");
  EXPECT_FALSE(WriteString("", "S", "k", "v"));
  EXPECT_FALSE(WriteString(Path("no-folder/x.stask"), "S", "k", "v"));
}

TEST_F(ProfileTest, NeverOverwritesAFileItCannotRead) {
  if (geteuid() == 0)
    GTEST_SKIP() << "root reads any file";
  Put("[S]\nk=secret\n");
  fs::permissions(Path(), fs::perms::none);
  EXPECT_EQ(GetString(Path(), "S", "k", "d"), "d");
  EXPECT_FALSE(WriteString(Path(), "S", "k", "v"));
  EXPECT_FALSE(DeleteKey(Path(), "S", "k"));
  EXPECT_FALSE(DeleteSection(Path(), "S"));
  fs::permissions(Path(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Content(), "[S]\nk=secret\n");
}

TEST_F(ProfileTest, SeveralKeysInOneWriteAndNoTemporaryLeftByAKilledWriter) {
  fs::path folder = sandbox.Root() / "tasks";
  fs::create_directories(folder);
  const std::string file = (folder / "1_alarm_x.stask").string();
  // Left by writers that were killed: one gone (beyond any pid), one alive (us).
  Sandbox::WriteFile(folder / ".1_alarm_x.stask.tmp-4194305-0-1", "half");
  const std::string ours = ".1_alarm_x.stask.tmp-" + std::to_string(getpid()) + "-0-1";
  Sandbox::WriteFile(folder / ours, "busy");
  ASSERT_TRUE(os::profile::WriteStrings(file, "CRITICAL", {{"Type", "weekly"}, {"Every", "2"}, {"type", "daily"}}));
  EXPECT_EQ(Sandbox::ReadFile(file), "[CRITICAL]\nType=daily\nEvery=2\n");
  EXPECT_EQ(Entries(folder), (std::vector<std::string>{ours, "1_alarm_x.stask"}));
  EXPECT_FALSE(os::profile::WriteStrings(file, "CRITICAL", {{"At", "1"}, {"Bad\nKey", "x"}}));
  EXPECT_EQ(GetString(file, "CRITICAL", "At", "none"), "none") << "all keys or none";
}

TEST_F(ProfileTest, WritesAtomically) {
  fs::path folder = sandbox.Root() / "tasks";
  fs::create_directories(folder);
  std::string file = (folder / "1_alarm_x.stask").string();
  ASSERT_TRUE(WriteString(file, "S", "a", "1"));
  ASSERT_TRUE(WriteString(file, "S", "b", "2"));
  ASSERT_TRUE(DeleteKey(file, "S", "a"));
  EXPECT_EQ(Entries(folder), std::vector<std::string>{"1_alarm_x.stask"});

  // The file keeps its permissions across a rewrite.
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(WriteString(file, "S", "c", "3"));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

  // Through a symbolic link the target is updated and the link stays.
  fs::create_symlink(file, folder / "link.stask");
  ASSERT_TRUE(WriteString((folder / "link.stask").string(), "S", "d", "4"));
  EXPECT_TRUE(fs::is_symlink(folder / "link.stask"));
  EXPECT_EQ(GetString(file, "S", "d", ""), "4");

  if (geteuid() == 0)
    GTEST_SKIP() << "root writes into read-only folders";
  std::string before = Sandbox::ReadFile(file);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(WriteString(file, "S", "e", "5"));
  EXPECT_FALSE(WriteString((folder / "new.stask").string(), "S", "e", "5"));
  fs::permissions(folder, fs::perms::owner_all);
  EXPECT_EQ(Sandbox::ReadFile(file), before);
  EXPECT_EQ(Entries(folder), (std::vector<std::string>{"1_alarm_x.stask", "link.stask"}));
}

TEST_F(ProfileTest, ReadersNeverSeeAHalfWrittenFile) {
  std::string padding(64 * 1024, 'p');
  ASSERT_TRUE(WriteString(Path(), "S", "sentinel", "here"));
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 60; ++i)
      WriteString(Path(), "S", "pad", padding + std::to_string(i));
    done = true;
  });
  int reads = 0;
  int torn = 0;
  while (!done) {
    if (GetString(Path(), "S", "sentinel", "missing") != "here")
      ++torn;
    ++reads;
  }
  writer.join();
  EXPECT_EQ(torn, 0) << "of " << reads << " reads";
  EXPECT_EQ(GetString(Path(), "S", "pad", "", 100000), padding + "59");
  EXPECT_EQ(Entries(sandbox.Root()), (std::vector<std::string>{"home", "task.stask", "tmp"}));
}

}  // namespace
