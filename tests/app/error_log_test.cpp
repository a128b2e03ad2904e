#include <gtest/gtest.h>

#include <filesystem>

#include "app/error_log.h"
#include "tests/support/fake_clock.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sandbox.h"

namespace {

TEST(ErrorLog, EntryFormat) {
  EXPECT_EQ(ErrorLog::FormatEntry(10605, "Unexpected Error occured."),
            "Unexpected Error occured. Error Code\t:\t10605\n");
  EXPECT_EQ(ErrorLog::FormatEntry(-2, "100% of /tmp/%s%n"), "100% of /tmp/%s%n Error Code\t:\t-2\n")
      << "a message is text, never a format";
}

TEST(ErrorLog, FooterFormat) {
  const std::uint64_t uptime = 3 * 86400 + 5 * 3600 + 7 * 60 + 59;
  wxString footer = ErrorLog::FormatFooter("Debian 12", 4, uptime, "Wed Dec 08 03:27:00 2010");
  EXPECT_EQ(footer,
            wxString("\n\nEnd of log on Debian 12.\nTotal saved tasks:\t4\nProgram version:\t2.1\nLog created on :\t"
                     "Wed Dec 08 03:27:00 2010\nSystem Uptime:\t\t(3)Days, (5)Hours, (7)Min\n\n\nPlease send this "
                     "file to ") +
                kSupportAddress);
  footer = ErrorLog::FormatFooter("X", std::nullopt, 0, "now");
  EXPECT_TRUE(footer.Contains("End of log on X.\n\nProgram version")) << "no count when tasks were never counted";
}

TEST(ErrorLog, CtimeTextIsEnglishAndZeroPadded) {
  FakeClock clock;
  EXPECT_TRUE(ErrorLog::CtimeText().Matches("??? ??? ?? ??:??:?? 20??"));
}

TEST(ErrorLog, OneFilePerRunOnTheDesktop) {
  Sandbox sandbox;
  FakeClock clock;
  MessageRecorder messages;
  ErrorLog log;
  log.LogError(10588, "File does not exists.", false);
  clock.Advance(std::chrono::seconds(5));
  log.LogError(10605, "Unexpected Error occured.", true);

  const auto expected = sandbox.Desktop() / "DKWT_Error_1291801234_.log";
  EXPECT_EQ(log.m_errorLogPath, wxString::FromUTF8(expected.string())) << "named after the first failure";
  EXPECT_EQ(Sandbox::ReadFile(expected),
            "File does not exists. Error Code\t:\t10588\nUnexpected Error occured. Error Code\t:\t10605\n");
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0].text, "Unexpected Error occured. Please check \"DKWT_Error_.log\" file ! ");
  EXPECT_EQ(messages.messages[0].caption, "Message");

  log.WriteFooter("Linux", 2, 60);
  const std::string content = Sandbox::ReadFile(expected);
  EXPECT_NE(content.find("10605\n\n\nEnd of log on Linux.\nTotal saved tasks:\t2\n"), std::string::npos) << content;
  EXPECT_NE(content.find("(0)Days, (0)Hours, (1)Min"), std::string::npos);
}

TEST(ErrorLog, DisabledWritesNothingAndShowsNothing) {
  Sandbox sandbox;
  MessageRecorder messages;
  ErrorLog log;
  log.m_disableErrorLogging = true;
  log.LogError(10605, "Unexpected Error occured.", true);
  log.WriteFooter("Linux", 1, 1);
  EXPECT_TRUE(std::filesystem::is_empty(sandbox.Desktop()));
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_FALSE(log.m_errorLogged);
}

TEST(ErrorLog, RunWithoutFailuresLeavesNoFile) {
  Sandbox sandbox;
  ErrorLog log;
  log.WriteFooter("Linux", 1, 1);
  EXPECT_TRUE(std::filesystem::is_empty(sandbox.Desktop()));
}

TEST(ErrorLog, FallsBackToTheCurrentFolderWithoutADesktop) {
  Sandbox sandbox;
  FakeClock clock;
  std::filesystem::remove(sandbox.Desktop());
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(sandbox.Tmp());
  ErrorLog log;
  log.LogError(1, "x", false);
  std::filesystem::current_path(previous);
  EXPECT_EQ(log.m_errorLogPath, "DKWT_Error_1291801234_.log");
  EXPECT_TRUE(std::filesystem::exists(sandbox.Tmp() / "DKWT_Error_1291801234_.log"));
}

TEST(ErrorLog, UsesTheDesktopTheUserChose) {
  Sandbox sandbox;
  FakeClock clock;
  sandbox.MoveDesktop(sandbox.Home() / "Schreibtisch");
  std::filesystem::create_directories(sandbox.Home() / "Schreibtisch");
  ErrorLog log;
  log.LogError(1, "x", false);
  EXPECT_TRUE(std::filesystem::exists(sandbox.Home() / "Schreibtisch" / "DKWT_Error_1291801234_.log"));
}

TEST(ErrorLog, AnUnwritableLogIsSkippedAndRetriedUnderANewName) {
  Sandbox sandbox;
  FakeClock clock;
  // A folder where the log file would go makes the open fail, even for root.
  std::filesystem::create_directories(sandbox.Desktop() / "DKWT_Error_1291801234_.log");
  ErrorLog log;
  log.LogError(1, "first", true);
  EXPECT_FALSE(log.m_errorLogged);
  EXPECT_TRUE(log.m_errorLogFirst);
  clock.Advance(std::chrono::seconds(1));
  log.LogError(2, "second", false);
  EXPECT_EQ(Sandbox::ReadFile(sandbox.Desktop() / "DKWT_Error_1291801235_.log"), "second Error Code\t:\t2\n");
}

}  // namespace
