// Saving never leaves a torn or empty file: a writer killed at any moment
// leaves the whole old file or the whole new one. A helper saves in a loop
// and is killed with SIGKILL after a random delay, many times per writer.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

#include "tests/sched/scheduler_fakes.h"
#include "tests/support/sandbox.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kKills = 200;

// The helper with its standard input and output as streams.
struct Writer {
  pid_t pid = -1;
  FILE* in = nullptr;   // its standard input
  FILE* out = nullptr;  // its standard output

  Writer(const std::string& writer, const fs::path& folder, const char* mode) {
    int toChild[2], fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0)
      return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
    posix_spawn_file_actions_addclose(&actions, toChild[1]);
    posix_spawn_file_actions_addclose(&actions, fromChild[0]);
    const std::string folderText = folder.string();
    char* argv[] = {const_cast<char*>(DKWT_KILL_WRITER), const_cast<char*>(writer.c_str()),
                    const_cast<char*>(folderText.c_str()), const_cast<char*>(mode), nullptr};
    if (posix_spawn(&pid, DKWT_KILL_WRITER, &actions, nullptr, argv, environ) != 0)
      pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    in = fdopen(toChild[1], "w");
    out = fdopen(fromChild[0], "r");
  }
  ~Writer() {
    if (in)
      fclose(in);  // the helper ends at the end of its input
    if (out)
      fclose(out);
    int status = 0;
    if (pid > 0)
      waitpid(pid, &status, 0);
  }
  std::string Line() {
    char buffer[4096];
    if (!out || !fgets(buffer, sizeof buffer, out))
      return std::string();
    std::string line(buffer);
    if (!line.empty() && line.back() == '\n')
      line.pop_back();
    return line;
  }
};

// Writes one version into `folder`: the files it wrote, and how long the
// save took in microseconds.
std::vector<std::string> WriteOnce(const std::string& writer, const fs::path& folder, const char* version,
                                   long long& took) {
  std::vector<std::string> files;
  {
    Writer once(writer, folder, version);
    for (std::string line = once.Line(); !line.empty(); line = once.Line())
      files.push_back(line);
  }
  if (files.empty())
    return files;
  took = std::atoll(files.back().c_str());
  files.pop_back();
  return files;
}

std::string Contents(const std::string& file) {
  return fs::exists(file) ? Sandbox::ReadFile(file) : std::string("<missing>");
}

class TornWrites : public testing::TestWithParam<const char*> {
 protected:
  TornWrites() : fakes(sandbox) {}
  Sandbox sandbox;
  SchedulerFakes fakes;
};

TEST_P(TornWrites, AKilledWriterLeavesTheOldOrTheNewFile) {
  const std::string writer = GetParam();
  if (writer == "crontab") {
    // The real crontab(1) installs a table in one rename; so does the fake here.
    Sandbox::WriteFile(sandbox.Root() / "bin" / "crontab",
                       "#!/bin/sh\nif [ \"$1\" = -l ]; then\n  [ -f \"$FAKE_CRONTAB\" ] && exec cat \"$FAKE_CRONTAB\"\n"
                       "  echo \"no crontab for $(id -un)\" >&2\n  exit 1\nfi\n"
                       "cp \"$1\" \"$FAKE_CRONTAB.new.$$\" && mv \"$FAKE_CRONTAB.new.$$\" \"$FAKE_CRONTAB\"\n");
    fakes.SetManager(false);
    fakes.StartCronDaemon();
    // Other lines of the user's table stay through every registration.
    for (const char* folder : {"a", "b", "work"})
      Sandbox::WriteFile(sandbox.Root() / folder / "crontab", "MAILTO=\"\"\n0 5 * * * backup\n");
  }
  // The two whole versions, each written alone.
  long long took = 0;
  const auto first = WriteOnce(writer, sandbox.Root() / "a", "a", took);
  const auto second = WriteOnce(writer, sandbox.Root() / "b", "b", took);
  ASSERT_FALSE(first.empty());
  ASSERT_EQ(first.size(), second.size());
  std::vector<std::pair<std::string, std::string>> versions;
  for (std::size_t i = 0; i < first.size(); ++i) {
    versions.emplace_back(Contents(first[i]), Contents(second[i]));
    ASSERT_TRUE(fs::exists(first[i]) && fs::exists(second[i])) << first[i];
    ASSERT_NE(versions[i].first, versions[i].second) << first[i];
  }

  const fs::path work = sandbox.Root() / "work";
  const auto files = WriteOnce(writer, work, "a", took);
  ASSERT_EQ(files.size(), versions.size());
  // Kills from the start of a save to the middle of the next one, wherever
  // its writes, syncs and renames fall: the range follows how fast saves
  // complete on this (maybe busy) machine.
  std::mt19937 random(20261209);
  long long bound = std::clamp(took, 2000LL, 50000LL);  // microseconds
  int unchanged = 0;
  Writer server(writer, work, "serve");
  ASSERT_GT(server.pid, 0);
  int changes = 0;
  std::vector<std::string> last(files.size());
  for (int kill = 0; kill < kKills; ++kill) {
    std::fputs("go\n", server.in);
    std::fflush(server.in);
    const pid_t pid = std::atoi(server.Line().c_str());
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<long long>(0, bound)(random)));
    ::kill(pid, SIGKILL);
    ASSERT_EQ(server.Line(), "x");
    bool changed = false;
    for (std::size_t i = 0; i < files.size(); ++i) {
      const std::string now = Contents(files[i]);
      ASSERT_TRUE(now == versions[i].first || now == versions[i].second)
          << files[i] << " after kill " << kill << " (" << now.size() << " bytes):\n"
          << now.substr(0, 400);
      changed = changed || now != last[i];
      last[i] = now;
    }
    changes += changed;
    if (changed) {
      unchanged = 0;
      bound = std::max(2000LL, bound / 2);
    } else if (++unchanged % 10 == 0) {
      bound = std::min(bound * 2, 200000LL);
    }
  }
  EXPECT_GT(changes, 1) << "the kills fell between saves as well as before them";
}

INSTANTIATE_TEST_SUITE_P(Writers, TornWrites,
                         testing::Values("options", "ini", "task", "schedule", "units", "crontab"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
