// The start condition: the countdown waits for a program to end or for the
// computer to be left alone, then counts down and acts as always.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include <wx/radiobut.h>

#include "tests/ui/frame_fixture.h"
#include "tests/ui/startup_app.h"

namespace {

// A copy of sleep under a name of our own: no other process of this user
// (other tests, other sessions) can be taken for it.
class Sleeper {
 public:
  explicit Sleeper(const std::filesystem::path& folder) {
    name = "dkwtwait" + std::to_string(::getpid());
    path = folder / name;
    if (!std::filesystem::exists(path))
      std::filesystem::copy_file("/bin/sleep", path);
    const std::string program = path.string();
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("60"), nullptr};
    pid_t child = 0;
    if (::posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ) == 0)
      pid = static_cast<std::uint32_t>(child);
  }
  ~Sleeper() {
    End();
    if (pid != 0)
      ::waitpid(static_cast<pid_t>(pid), nullptr, 0);
  }
  // Ends the program but leaves it unreaped, as a parent that has not looked
  // yet would.
  void End() {
    if (pid != 0)
      ::kill(static_cast<pid_t>(pid), SIGKILL);
    ::usleep(50000);
  }

  std::filesystem::path path;
  std::string name;
  std::uint32_t pid = 0;
};

class TriggerTest : public FrameTest {
 protected:
  // Picks the sleeper in the program list as the start condition.
  void ChooseProgram(const Sleeper& sleeper) {
    Select(frame->m_triggerProgram);
    Click(frame->m_programRefresh);
    const wxString entry = wxString::Format("%s (%u)", sleeper.name, sleeper.pid);
    const int index = frame->m_programChoice->FindString(entry);
    ASSERT_NE(index, wxNOT_FOUND) << entry;
    frame->m_programChoice->SetSelection(index);
  }
};

TEST_F(TriggerTest, CountdownStartsWhenTheProgramEndsThenActs) {
  Sleeper sleeper(sandbox.Root());
  ChooseProgram(sleeper);
  Choose(frame->m_taskChoice, 0);
  SetRelative(0, 0, 3);
  Click(frame->m_startButton);
  ASSERT_TRUE(frame->m_waiting);
  EXPECT_TRUE(frame->m_running);
  EXPECT_FALSE(frame->m_countdownTimer.IsRunning());
  EXPECT_EQ(CountdownText(), "waiting for " + sleeper.name + " to end");
  EXPECT_FALSE(frame->m_panelRelative->IsEnabled()) << "the condition cannot change while armed";
  frame->m_trayShown = true;
  frame->RefreshCountdown();
  EXPECT_EQ(frame->m_trayToolTip, "Duskwatch: Waiting for " + sleeper.name + " to end");
  EXPECT_EQ(frame->m_trayIconCode, 1) << "the armed action's icon";

  // Time passes, the program runs on: still waiting, nothing done.
  clock.Advance(std::chrono::minutes(5));
  Fire(frame->m_triggerTimer);
  EXPECT_TRUE(frame->m_waiting);
  EXPECT_EQ(DryRun(), "");

  sleeper.End();
  Fire(frame->m_triggerTimer);
  EXPECT_FALSE(frame->m_waiting);
  EXPECT_FALSE(frame->m_triggerTimer.IsRunning());
  ASSERT_TRUE(frame->m_countdownTimer.IsRunning());
  for (int second = 0; second < 3; ++second)
    Tick();
  EXPECT_EQ(CountdownText(), "00:00:01") << "the whole H/M/S is counted after the end";
  EXPECT_EQ(DryRun(), "");
  Tick();
  Fire(frame->m_executeTimer);
  EXPECT_EQ(DryRun(), "poweroff force=0\n");
  EXPECT_FALSE(frame->m_running);
}

TEST_F(TriggerTest, ProgramGoneBeforeTheStartIsRefused) {
  Sleeper sleeper(sandbox.Root());
  ChooseProgram(sleeper);
  sleeper.End();
  Choose(frame->m_taskChoice, 0);
  SetRelative(0, 0, 3);
  Click(frame->m_startButton);
  EXPECT_FALSE(frame->m_running);
  EXPECT_FALSE(frame->m_waiting);
  EXPECT_EQ(LastMessage(), wxString::Format("%s (%u) is no longer running.\n\nPlease choose the program again.",
                                            sleeper.name, sleeper.pid));
  EXPECT_TRUE(frame->m_startButton->IsEnabled());
  EXPECT_EQ(frame->m_programChoice->FindString(wxString::Format("%s (%u)", sleeper.name, sleeper.pid)), wxNOT_FOUND)
      << "the list was read again";
}

TEST_F(TriggerTest, StopDisarmsTheWait) {
  Sleeper sleeper(sandbox.Root());
  ChooseProgram(sleeper);
  Choose(frame->m_taskChoice, 0);
  SetRelative(0, 0, 3);
  Click(frame->m_startButton);
  ASSERT_TRUE(frame->m_waiting);
  Click(frame->m_stopButton);
  EXPECT_FALSE(frame->m_running);
  EXPECT_FALSE(frame->m_waiting);
  EXPECT_FALSE(frame->m_triggerTimer.IsRunning());
  EXPECT_EQ(CountdownText(), "00:00:00");
  EXPECT_FALSE(frame->m_errorLog.m_errorLogged) << "Stop while waiting is an ordinary stop";
  sleeper.End();
  Fire(frame->m_triggerTimer);
  EXPECT_FALSE(frame->m_countdownTimer.IsRunning());
  EXPECT_EQ(DryRun(), "");
}

TEST_F(TriggerTest, RowFollowsTheModeAndTheChoice) {
  EXPECT_TRUE(frame->m_triggerNow->GetValue()) << "today's behaviour is the default";
  EXPECT_TRUE(frame->m_triggerProgram->IsEnabled());
  EXPECT_FALSE(frame->m_programChoice->IsEnabled());
  EXPECT_FALSE(frame->m_spinIdleMinutes->IsEnabled());
  Select(frame->m_triggerIdle);
  EXPECT_TRUE(frame->m_spinIdleMinutes->IsEnabled());
  EXPECT_EQ(frame->m_spinIdleMinutes->GetMin(), 1);
  EXPECT_EQ(frame->m_spinIdleMinutes->GetMax(), 720);
  // Absolute mode has its own time; a repeated task saves the condition.
  Select(frame->m_radioAbsolute);
  EXPECT_FALSE(frame->m_triggerIdle->IsEnabled());
  Toggle(frame->m_repeatedCheck, true);
  EXPECT_TRUE(frame->m_triggerIdle->IsEnabled());
  EXPECT_TRUE(frame->m_spinIdleMinutes->IsEnabled());
}

TEST_F(TriggerTest, RepeatedTaskSavesItsCondition) {
  Select(frame->m_triggerIdle);
  frame->m_spinIdleMinutes->SetValue(30);
  Choose(frame->m_taskChoice, 0);
  SetAbsolute(Now() + wxTimeSpan::Hour());
  Toggle(frame->m_repeatedCheck, true);
  Click(frame->m_startButton);
  EXPECT_FALSE(frame->m_waiting) << "saving never waits";
  EXPECT_EQ(frame->m_task.m_trigger.type, TriggerType::Idle);
  const wxString saved = frame->SaveTaskFile("Away");
  const std::string text = Sandbox::ReadFile(saved.utf8_string());
  EXPECT_NE(text.find("[TRIGGER]\nType=Idle\nMinutes=30\n"), std::string::npos) << text;
}

TEST_F(TriggerTest, NoIdleSourceGreysTheChoiceOutWithTheReason) {
  sandbox.SetEnv("DISPLAY", "");
  sandbox.UnsetEnv("WAYLAND_DISPLAY");
  sandbox.UnsetEnv("DBUS_SESSION_BUS_ADDRESS");
  sandbox.SetEnv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + (sandbox.Root() / "no-bus").string());
  auto* other = new CDFrame(nullptr, wxID_ANY, "Duskwatch v. 2.1", wxPoint(250, 160), wxSize(664, 529));
  other->BuildControls();
  Select(other->m_triggerIdle);
  EXPECT_FALSE(other->m_triggerIdle->IsEnabled());
  EXPECT_FALSE(other->m_spinIdleMinutes->IsEnabled());
  EXPECT_EQ(other->m_triggerIdle->GetToolTipText(),
            "Neither the desktop nor the session reports the time since the last input.");
  delete other;
}

// The session's idle time as a script gives it.
class ScriptedIdle : public os::idle::Monitor {
 public:
  explicit ScriptedIdle(std::optional<std::uint64_t>& idle) : m_idle(idle) {}
  os::idle::Source Kind() const override { return os::idle::Source::XScreenSaver; }
  std::optional<std::uint64_t> IdleMilliseconds() override { return m_idle; }

 private:
  std::optional<std::uint64_t>& m_idle;
};

TEST_F(TriggerTest, SleepDoesNotCountAsIdleAndInputStartsAgain) {
  using std::chrono::minutes;
  constexpr std::uint64_t kMinute = 60000;
  Select(frame->m_triggerIdle);
  frame->m_spinIdleMinutes->SetValue(10);
  Choose(frame->m_taskChoice, 0);
  SetRelative(0, 0, 5);
  Click(frame->m_startButton);
  ASSERT_TRUE(frame->m_waiting);
  std::optional<std::uint64_t> idle = 4 * kMinute;
  frame->m_idleMonitor = std::make_unique<ScriptedIdle>(idle);
  Fire(frame->m_triggerTimer);
  EXPECT_EQ(CountdownText(), "waiting for 10 min without input (4 min so far)");

  // Two hours asleep, which the source counts as idle; one minute awake.
  frame->OnSleepSignal(true);
  frame->OnSleepSignal(false);
  clock.Advance(minutes(1));
  idle = 4 * kMinute + 120 * kMinute + kMinute;
  Fire(frame->m_triggerTimer);
  EXPECT_TRUE(frame->m_waiting) << "the time asleep was counted";
  EXPECT_EQ(CountdownText(), "waiting for 10 min without input (5 min so far)");

  // Input after the resume: only the time since that input counts.
  clock.Advance(minutes(2));
  idle = kMinute;
  Fire(frame->m_triggerTimer);
  EXPECT_EQ(CountdownText(), "waiting for 10 min without input (1 min so far)");

  // The source stops answering: logged once, and no guess starts the task.
  idle.reset();
  Fire(frame->m_triggerTimer);
  frame->m_idleMonitor = std::make_unique<ScriptedIdle>(idle);
  Fire(frame->m_triggerTimer);
  EXPECT_TRUE(frame->m_waiting);
  EXPECT_TRUE(frame->m_errorLog.m_errorLogged);

  idle = 10 * kMinute;
  frame->m_idleMonitor = std::make_unique<ScriptedIdle>(idle);
  Fire(frame->m_triggerTimer);
  EXPECT_FALSE(frame->m_waiting);
  EXPECT_TRUE(frame->m_countdownTimer.IsRunning());
}

// An X server of this test alone: the idle time it reports and the input
// xdotool gives it are nobody else's (other tests share the test display).
class PrivateX {
 public:
  explicit PrivateX(Sandbox& sandbox) {
    for (int number = 200 + ::getpid() % 300; number < 600 && m_pid == 0; ++number) {
      const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
      if (std::filesystem::exists(socket) || std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock"))
        continue;
      const std::string name = ":" + std::to_string(number);
      char* argv[] = {const_cast<char*>("Xvfb"), const_cast<char*>(name.c_str()), const_cast<char*>("-nolisten"),
                      const_cast<char*>("tcp"), nullptr};
      pid_t pid = 0;
      if (::posix_spawnp(&pid, "Xvfb", nullptr, nullptr, argv, environ) != 0)
        return;
      for (int wait = 0; wait < 100 && !std::filesystem::exists(socket); ++wait)
        ::usleep(50000);
      if (!std::filesystem::exists(socket)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        continue;
      }
      m_pid = pid;
      sandbox.SetEnv("DISPLAY", name);
    }
  }
  ~PrivateX() {
    if (m_pid != 0) {
      ::kill(m_pid, SIGTERM);
      ::waitpid(m_pid, nullptr, 0);
    }
  }
  bool Running() const { return m_pid != 0; }

 private:
  pid_t m_pid = 0;
};

// Real input: xdotool moves the pointer every 20 s for 45 s, then leaves the
// server alone. Runs about 110 s.
TEST_F(TriggerTest, IdleMinuteFiresOnlyAfterAMinuteWithoutInput) {
  if (std::system("xdotool version >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "xdotool is not installed";
  PrivateX server(sandbox);
  ASSERT_TRUE(server.Running());
  auto move = [](int x) {
    ASSERT_EQ(std::system(("xdotool mousemove " + std::to_string(x) + " 200").c_str()), 0);
  };
  move(100);
  Select(frame->m_triggerIdle);
  frame->m_spinIdleMinutes->SetValue(1);
  Choose(frame->m_taskChoice, 0);
  SetRelative(0, 0, 1);
  Click(frame->m_startButton);
  ASSERT_TRUE(frame->m_waiting) << LastMessage();
  EXPECT_EQ(CountdownText(), "waiting for 1 min without input (0 min so far)");

  const auto started = std::chrono::steady_clock::now();
  auto elapsed = [&] {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started).count();
  };
  long lastMove = 0;
  while (elapsed() < 45) {
    ::usleep(1000000);
    if (elapsed() - lastMove >= 20) {
      lastMove = elapsed();
      move(static_cast<int>(100 + lastMove));
    }
    Fire(frame->m_triggerTimer);
    ASSERT_TRUE(frame->m_waiting) << "fired while the pointer moved, at " << elapsed() << " s";
  }
  while (frame->m_waiting && elapsed() < lastMove + 80) {
    ::usleep(1000000);
    Fire(frame->m_triggerTimer);
  }
  ASSERT_FALSE(frame->m_waiting) << "no start a minute after the last input";
  // About a minute: ticks a second apart on a busy machine come late.
  const long idleFor = elapsed() - lastMove;
  EXPECT_GE(idleFor, 59);
  EXPECT_LE(idleFor, 70);
  Tick();
  Tick();
  Fire(frame->m_executeTimer);
  EXPECT_EQ(DryRun(), "poweroff force=0\n");
}

// "-task" with a [TRIGGER] section, in process (the real program's run is
// tests/ui/trigger_run.sh).
class TriggerFileRun : public testing::Test {
 protected:
  TriggerFileRun() {
    sandbox.SetEnv("DKWT_DRY_RUN", (sandbox.Root() / "dry-run.log").string());
    std::filesystem::create_directories(sandbox.Desktop());
  }
  std::string WriteTask(const std::string& content) {
    const auto folder = sandbox.DataHome() / "DKWT-Tasks";
    std::filesystem::create_directories(folder);
    Sandbox::WriteFile(folder / "shutdown.stask", content);
    return (folder / "shutdown.stask").string();
  }
  std::string DryRun() const {
    const auto file = sandbox.Root() / "dry-run.log";
    return std::filesystem::exists(file) ? Sandbox::ReadFile(file) : std::string();
  }
  static void Fire(CDFrame* frame, wxTimer& timer) {
    wxTimerEvent event(timer);
    frame->GetEventHandler()->ProcessEvent(event);
  }

  Sandbox sandbox;
  FakeClock clock;
  MessageRecorder messages;
};

TEST_F(TriggerFileRun, WaitsForTheFirstProgramOfItsName) {
  Sleeper first(sandbox.Root());
  Sleeper second(sandbox.Root());
  StartupApp app;
  ASSERT_TRUE(app.Start({"-task", WriteTask("[TRIGGER]\nType=ProgramEnds\nProgram=" + first.name + "\n")}));
  CDFrame* frame = app.window;
  ASSERT_TRUE(frame->m_waiting);
  EXPECT_EQ(frame->m_task.m_trigger.pid, std::min(first.pid, second.pid));
  (first.pid < second.pid ? second : first).End();
  Fire(frame, frame->m_triggerTimer);
  EXPECT_TRUE(frame->m_waiting) << "only the first one counts";
  (first.pid < second.pid ? first : second).End();
  Fire(frame, frame->m_triggerTimer);
  ASSERT_FALSE(frame->m_waiting);
  for (int second = 0; second < 2; ++second) {
    clock.Advance(std::chrono::seconds(1));
    Fire(frame, frame->m_countdownTimer);
  }
  Fire(frame, frame->m_executeTimer);
  EXPECT_EQ(DryRun(), "poweroff force=0\n");
  EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(frame));
  wxTheApp->ProcessIdle();
  app.window = nullptr;
}

TEST_F(TriggerFileRun, NoSuchProgramEndsWithoutActing) {
  StartupApp app;
  ASSERT_TRUE(app.Start({"-task", WriteTask("[TRIGGER]\nType=ProgramEnds\nProgram=dkwt-not-running\n")}));
  CDFrame* frame = app.window;
  EXPECT_FALSE(frame->m_running);
  EXPECT_TRUE(frame->m_errorLog.m_errorLogged);
  wxTheApp->ProcessPendingEvents();
  EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(frame)) << "the run ends by itself";
  wxTheApp->ProcessIdle();
  app.window = nullptr;
  EXPECT_EQ(DryRun(), "");
  EXPECT_TRUE(messages.messages.empty());
}

}  // namespace
