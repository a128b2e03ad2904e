// The start condition's sources on Windows: a process handle that becomes
// signalled when the process ends, and the time since the last input.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>

#include "os/idle.h"
#include "os/process_watch.h"

namespace {

using namespace std::chrono_literals;

TEST(WindowsProcessWatch, SignalledWhenTheProcessEnds) {
  wchar_t command[] = L"cmd.exe /c ping -n 30 127.0.0.1 >NUL";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(::CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                               &startup, &process));
  os::process_watch::Watch watch;
  ASSERT_EQ(watch.Open(process.dwProcessId), 0);
  EXPECT_FALSE(watch.Ended(100ms));
  ::TerminateProcess(process.hProcess, 1);
  EXPECT_TRUE(watch.Ended(5000ms));
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);

  // No process of that number: refused with the system's code.
  EXPECT_NE(watch.Open(0xFFFFFFF0u), 0);
  EXPECT_FALSE(watch.IsOpen());
}

TEST(WindowsIdle, LastInputAnswers) {
  std::string reason;
  auto monitor = os::idle::Open(reason);
  ASSERT_TRUE(monitor) << reason;
  EXPECT_EQ(monitor->Kind(), os::idle::Source::Windows);
  const auto first = monitor->IdleMilliseconds();
  ASSERT_TRUE(first.has_value());
  ::Sleep(300);
  const auto later = monitor->IdleMilliseconds();
  ASSERT_TRUE(later.has_value());
  EXPECT_GE(*later, *first) << "no input in between: the idle time only grows";
}

}  // namespace
