#pragma once
// Fake "systemctl" and "crontab" first on PATH: they record every call and
// keep the crontab in a file of the sandbox, so no test reaches the
// machine's own user manager or crontab.
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/sandbox.h"

class SchedulerFakes {
 public:
  explicit SchedulerFakes(Sandbox& sandbox) : m_sandbox(sandbox) {
    const auto bin = sandbox.Root() / "bin";
    Sandbox::WriteFile(bin / "systemctl",
                       "#!/bin/sh\nprintf '%s\\n' \"$*\" >> \"$FAKE_LOG\"\n"
                       "if [ \"$*\" = '--user show -p Version --value' ]; then\n"
                       "  [ \"$FAKE_MANAGER\" = 1 ] && echo 252 && exit 0\n  exit 1\nfi\n"
                       "[ \"$FAKE_MANAGER\" = 1 ]\n");
    Sandbox::WriteFile(bin / "crontab",
                       "#!/bin/sh\nprintf 'crontab %s\\n' \"$*\" >> \"$FAKE_LOG\"\n"
                       "if [ \"$1\" = -l ]; then\n"
                       "  [ -n \"$FAKE_CRONTAB_DENIED\" ] && echo 'You are not allowed to use this program' >&2 && exit 1\n"
                       "  [ -f \"$FAKE_CRONTAB\" ] && exec cat \"$FAKE_CRONTAB\"\n"
                       "  echo \"no crontab for $(id -un)\" >&2\n  exit 1\nfi\ncp \"$1\" \"$FAKE_CRONTAB\"\n");
    for (const char* tool : {"systemctl", "crontab"})
      std::filesystem::permissions(bin / tool, std::filesystem::perms::owner_all);
    const char* path = std::getenv("PATH");
    sandbox.SetEnv("PATH", bin.string() + ":" + (path ? path : "/usr/bin:/bin"));
    sandbox.SetEnv("FAKE_LOG", Log().string());
    sandbox.SetEnv("FAKE_CRONTAB", Crontab().string());
    sandbox.SetEnv("FAKE_MANAGER", "1");
  }
  ~SchedulerFakes() {
    if (m_cronPid > 0)
      kill(m_cronPid, SIGKILL);
  }

  void SetManager(bool reachable) { m_sandbox.SetEnv("FAKE_MANAGER", reachable ? "1" : "0"); }
  std::filesystem::path Log() const { return m_sandbox.Root() / "tools.log"; }
  std::filesystem::path Crontab() const { return m_sandbox.Root() / "crontab"; }
  std::string Calls() const { return std::filesystem::exists(Log()) ? Sandbox::ReadFile(Log()) : std::string(); }
  // Only the systemctl calls, one per line.
  std::string SystemctlCalls() const {
    std::string calls, all = Calls();
    for (std::size_t start = 0, end; start < all.size(); start = end + 1) {
      end = all.find('\n', start);
      std::string line = all.substr(start, end - start);
      if (line.rfind("crontab", 0) != 0)
        calls += line + "\n";
    }
    return calls;
  }

  // A cron daemon that is alive (an ended one may linger as a zombie).
  static bool CronDaemonRuns() {
    return std::system("cat /proc/[0-9]*/stat 2>/dev/null | grep -qE '^[0-9]+ \\((cron|crond)\\) [^Z]'") == 0;
  }
  // A harmless process named like a cron daemon, ended by the destructor.
  void StartCronDaemon() {
    const auto copy = m_sandbox.Root() / "bin" / "cron";
    std::filesystem::copy_file("/bin/sleep", copy, std::filesystem::copy_options::overwrite_existing);
    FILE* pipe = popen(("'" + copy.string() + "' 60 >/dev/null 2>&1 & echo $!").c_str(), "r");
    if (pipe && fscanf(pipe, "%d", &m_cronPid) != 1)
      m_cronPid = 0;
    if (pipe)
      pclose(pipe);
    for (int i = 0; i < 200 && !CronDaemonRuns(); ++i)
      std::system("sleep 0.01");
  }

 private:
  Sandbox& m_sandbox;
  int m_cronPid = 0;
};
