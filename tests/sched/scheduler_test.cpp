// The scheduler backends: systemd user units (checked by systemd's own
// verifier), the crontab fall-back (through a real sh), the dry run.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "os/scheduler.h"
#include "tests/sched/scheduler_fakes.h"
#include "tests/support/sandbox.h"

namespace {

namespace fs = std::filesystem;

std::string Shell(const std::string& command, int* status = nullptr) {
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char buffer[512];
  while (pipe && fgets(buffer, sizeof buffer, pipe))
    output += buffer;
  int result = pipe ? pclose(pipe) : -1;
  if (status)
    *status = result;
  return output;
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// What cron does to a command before sh sees it: "\%" becomes "%", an
// unescaped "%" ends the command (the rest is its input).
std::string AsCronRunsIt(const std::string& command) {
  std::string out;
  bool escaped = false;
  for (char c : command) {
    if (escaped) {
      if (c == '%')
        out.back() = '%';
      else
        out += c;
      escaped = false;
      continue;
    }
    if (c == '%')
      break;
    out += c;
    escaped = c == '\\';
  }
  return out;
}

class SchedulerTest : public testing::Test {
 protected:
  SchedulerTest() : fakes(sandbox) { sandbox.UnsetEnv("DKWT_DRY_RUN"); }

  os::scheduler::Job MakeJob(const std::string& name, const std::string& taskFile) const {
    os::scheduler::Job job;
    job.name = name;
    job.executable = fs::read_symlink("/proc/self/exe").string();  // a real file for the verifier
    job.taskFile = taskFile;
    job.calendar = {true, 2 | 32, 23, 0, 0};
    return job;
  }
  fs::path Unit(const std::string& name, const char* suffix) const {
    return fs::path(os::scheduler::UnitFolder()) / (os::scheduler::UnitBaseName(name) + suffix);
  }

  Sandbox sandbox;
  SchedulerFakes fakes;
};

}  // namespace

TEST_F(SchedulerTest, UserManagerGetsVerifiedUnitsAndTheirRemoval) {
  const std::string name = "Weekly_1_lock_it's 100% \"odd\"-name.stask";
  const std::string file = (sandbox.DataHome() / "DKWT-Tasks" / "1_lock_it's 100% \"odd\"-name.stask").string();
  os::scheduler::Job job = MakeJob(name, file);
  ASSERT_EQ(os::scheduler::Register(job), os::scheduler::kDone);
  const std::string unit = os::scheduler::UnitBaseName(name);
  EXPECT_EQ(fakes.SystemctlCalls(), "--user show -p Version --value\n--user daemon-reload\n--user enable --now " +
                                        unit + ".timer\n");
  const std::string timer = Sandbox::ReadFile(Unit(name, ".timer"));
  for (const std::string& line : std::vector<std::string>{"OnCalendar=Mon,Fri *-*-* 23:00:00\n", "AccuracySec=1s\n", "Persistent=false\n",
                                  "X-Duskwatch-TaskName=" + name + "\n", "X-Duskwatch-TaskFile=" + file + "\n"})
    EXPECT_NE(timer.find(line), std::string::npos) << line << timer;
  const std::string service = Sandbox::ReadFile(Unit(name, ".service"));
  EXPECT_NE(service.find("ExecCondition=\"" + job.executable + "\" -due \"" + sandbox.DataHome().string() +
                         "/DKWT-Tasks/1_lock_it's 100%% \\\"odd\\\"-name.stask\"\n"),
            std::string::npos)
      << service;

  if (Shell("command -v systemd-analyze").empty())
    GTEST_SKIP() << "systemd-analyze is not installed";
  const fs::path runtime = sandbox.Root() / "runtime";
  fs::create_directories(runtime);
  fs::permissions(runtime, fs::perms::owner_all);
  int status = 0;
  const std::string errors = Shell("XDG_RUNTIME_DIR=" + ShellQuote(runtime.string()) +
                                     " systemd-analyze --user verify " + ShellQuote(Unit(name, ".timer").string()) +
                                     " " + ShellQuote(Unit(name, ".service").string()) + " 2>&1",
                                 &status);
  EXPECT_EQ(status, 0) << errors;
  EXPECT_EQ(errors, "") << "warnings count as faults";

  std::vector<os::scheduler::Entry> entries;
  int code = 0;
  ASSERT_TRUE(os::scheduler::List(entries, code));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, name);
  EXPECT_EQ(entries[0].taskFile, file);

  fs::remove(fakes.Log());
  ASSERT_EQ(os::scheduler::Unregister(name), os::scheduler::kDone);
  EXPECT_EQ(fakes.SystemctlCalls(), "--user show -p Version --value\n--user disable --now " + unit +
                                        ".timer\n--user daemon-reload\n");
  EXPECT_FALSE(fs::exists(Unit(name, ".timer")));
  EXPECT_FALSE(fs::exists(Unit(name, ".service")));
}

TEST_F(SchedulerTest, CrontabFallBackKeepsOtherLinesAndCarriesAwkwardPathsThroughSh) {
  fakes.SetManager(false);
  fakes.StartCronDaemon();
  const std::string mine = "# my own jobs\nSHELL=/bin/sh\n*/5 * * * *   echo 'keep  me' \\% done \t\n";
  Sandbox::WriteFile(fakes.Crontab(), mine);
  sandbox.SetEnv("DISPLAY", ":42");
  // The program is a recorder of its arguments.
  const fs::path recorder = sandbox.Root() / "bin" / "dkwt recorder";
  const fs::path received = sandbox.Root() / "received";
  Sandbox::WriteFile(recorder, "#!/bin/sh\nprintf '%s|' \"$DISPLAY\" \"$@\" >> " + ShellQuote(received.string()) +
                                   "\necho >> " + ShellQuote(received.string()) + "\n");
  fs::permissions(recorder, fs::perms::owner_all);
  const std::string file = sandbox.Root().string() + "/it's a \"dir\"/100% \\%done\\/1_lock_x.stask";
  os::scheduler::Job job = MakeJob("Weekly_1_lock_x y-z.stask", file);  // escaped in the marker
  job.executable = recorder.string();
  job.calendar.minute = 7;
  ASSERT_EQ(os::scheduler::Register(job), os::scheduler::kDone);
  ASSERT_EQ(os::scheduler::Register(job), os::scheduler::kDone) << "registering again replaces the line";

  const std::string table = Sandbox::ReadFile(fakes.Crontab());
  ASSERT_EQ(table.substr(0, mine.size()), mine) << "other lines are kept byte for byte";
  const std::string line = table.substr(mine.size());
  EXPECT_EQ(line.rfind("7 23 * * 1,5 ", 0), 0u) << line;
  EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line: " << line;
  EXPECT_EQ(table.find("MAILTO"), std::string::npos);
  EXPECT_NE(line.find(" # DKWT-task:"), std::string::npos);

  const std::string command = AsCronRunsIt(line.substr(std::string("7 23 * * 1,5 ").size(), line.size() - 14));
  sandbox.UnsetEnv("DISPLAY");
  int status = 0;
  Shell("sh -c " + ShellQuote(command), &status);
  EXPECT_EQ(status, 0) << command;
  EXPECT_EQ(Sandbox::ReadFile(received), ":42|-due|" + file + "|\n:42|-i|" + file + "|\n") << command;

  std::vector<os::scheduler::Entry> entries;
  int code = 0;
  ASSERT_TRUE(os::scheduler::List(entries, code));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, job.name);
  EXPECT_EQ(entries[0].backend, os::scheduler::Backend::Crontab);

  ASSERT_EQ(os::scheduler::Unregister(job.name), os::scheduler::kDone);
  EXPECT_EQ(Sandbox::ReadFile(fakes.Crontab()), mine);
  EXPECT_EQ(fakes.SystemctlCalls().find("enable"), std::string::npos);
}

TEST_F(SchedulerTest, WithoutManagerOrCronDaemonNothingClaimsRegistration) {
  if (SchedulerFakes::CronDaemonRuns())
    GTEST_SKIP() << "a cron daemon runs on this machine";
  fakes.SetManager(false);
  const int result = os::scheduler::Register(MakeJob("Daily_1_lock_x.stask", "/tmp/1_lock_x.stask"));
  if (fs::exists(fakes.Crontab()))
    GTEST_SKIP() << "a cron daemon started meanwhile (another test's)";
  EXPECT_EQ(result, os::scheduler::kNoScheduler);
  EXPECT_FALSE(fs::exists(Unit("Daily_1_lock_x.stask", ".timer")));
  EXPECT_EQ(os::scheduler::Register(MakeJob("Daily_1_lock_x\n.stask", "/tmp/x")), os::scheduler::kUnsafeText);
}

TEST_F(SchedulerTest, DryRunWritesUnitsAndRecordsWithoutCallingTools) {
  const fs::path dryRun = sandbox.Root() / "dry-run.log";
  sandbox.SetEnv("DKWT_DRY_RUN", dryRun.string());
  const std::string name = "Daily_1_alarm_x.stask";
  ASSERT_EQ(os::scheduler::Register(MakeJob(name, "/t/1_alarm_x.stask")), os::scheduler::kDone);
  EXPECT_TRUE(fs::exists(Unit(name, ".timer")));
  ASSERT_EQ(os::scheduler::Unregister(name), os::scheduler::kDone);
  EXPECT_FALSE(fs::exists(Unit(name, ".service")));
  EXPECT_EQ(Sandbox::ReadFile(dryRun), "schedule name=" + name + " file=/t/1_alarm_x.stask\nunschedule name=" + name +
                                           "\n");
  EXPECT_EQ(fakes.Calls(), "");
}

TEST(SchedulerNames, SystemdEscapingAndLengthLimit) {
  const std::string name = "Daily_1_lock_a-b c.\xc3\xbc/.stask";
  if (!Shell("command -v systemd-escape").empty()) {
    EXPECT_EQ(os::scheduler::UnitBaseName(name) + "\n", "dkwt-" + Shell("systemd-escape " + ShellQuote(name)));
  }
  const std::string longA = "Daily_1_lock_" + std::string(300, 'x') + "a.stask";
  const std::string longB = "Daily_1_lock_" + std::string(300, 'x') + "b.stask";
  EXPECT_LE(os::scheduler::UnitBaseName(longA).size() + std::string(".service").size(), 255u);
  EXPECT_NE(os::scheduler::UnitBaseName(longA), os::scheduler::UnitBaseName(longB));
  const std::string escapes(200, '-');  // each one becomes \x2d: the cut must not split one
  const std::string cut = os::scheduler::UnitBaseName(escapes);
  EXPECT_LE(cut.size() + 8, 255u);
  EXPECT_EQ(cut.substr(cut.rfind('-') - 4, 4), "\\x2d") << cut;
}
