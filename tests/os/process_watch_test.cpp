// Watching a program's end through the system's process handle.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>

#include "os/idle.h"
#include "os/process_watch.h"

namespace {

using namespace std::chrono_literals;

TEST(ProcessWatch, ReadyExactlyWhenTheProcessEnds) {
  pid_t pid = 0;
  char* argv[] = {const_cast<char*>("sleep"), const_cast<char*>("30"), nullptr};
  ASSERT_EQ(::posix_spawnp(&pid, "sleep", nullptr, nullptr, argv, environ), 0);
  os::process_watch::Watch watch;
  ASSERT_EQ(watch.Open(static_cast<std::uint32_t>(pid)), 0);
  EXPECT_FALSE(watch.Ended());
  EXPECT_FALSE(watch.Ended(100ms));
  ::kill(pid, SIGKILL);
  EXPECT_TRUE(watch.Ended(5000ms)) << "an unreaped child counts as ended";
  ::waitpid(pid, nullptr, 0);

  // Nothing to watch: refused with the system's code, never "running".
  EXPECT_NE(watch.Open(0), 0);
  EXPECT_NE(watch.Open(0x3FFFFFF0u), 0);
  EXPECT_FALSE(watch.IsOpen());
}

TEST(IdleSource, TestDisplayAnswersThroughTheScreenSaverExtension) {
  std::string reason;
  auto monitor = os::idle::Open(reason);
  ASSERT_TRUE(monitor) << reason;
  // Unless the test runs inside a desktop session: then its own source.
  if (monitor->Kind() != os::idle::Source::XScreenSaver)
    GTEST_SKIP() << "idle time from " << os::idle::SourceName(monitor->Kind());
  const auto idle = monitor->IdleMilliseconds();
  ASSERT_TRUE(idle.has_value());
}

}  // namespace
