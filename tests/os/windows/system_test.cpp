// Folders, processes and the instance check, the clipboard, the wake-up timer.
#include <gtest/gtest.h>

#include <atomic>
#include <iostream>
#include <chrono>
#include <thread>

#include "os/clipboard.h"
#include "os/display.h"
#include "os/folders.h"
#include "os/processes.h"
#include "os/sysinfo.h"
#include "os/waketimer.h"
#include "windows_test_support.h"

namespace {

using os::folders::Special;

TEST(WindowsFolders, KnownFoldersTasksFolderAndCreation) {
  for (Special which : {Special::Desktop, Special::AppData, Special::LocalAppData, Special::Profile}) {
    std::string path;
    EXPECT_TRUE(os::folders::GetSpecialFolder(which, path)) << static_cast<int>(which);
    EXPECT_TRUE(os::folders::FolderExists(path)) << path;
  }
  std::string appData;
  ASSERT_TRUE(os::folders::GetSpecialFolder(Special::AppData, appData));
  EXPECT_EQ(os::folders::TasksFolder("DKWT"), appData + "\\DKWT-Tasks");

  wintest::TempFolder folder;
  const std::string nested = folder.File("a b") + "\\ö\\c";
  int error = 0;
  EXPECT_TRUE(os::folders::CreateFolderPath(nested, error)) << error;
  EXPECT_TRUE(os::folders::FolderExists(nested));
  EXPECT_TRUE(os::folders::CreateFolderPath(nested, error));  // exists: fine
  EXPECT_FALSE(os::folders::CreateFolder(nested, error));
  EXPECT_EQ(error, ERROR_ALREADY_EXISTS);
  wintest::TempFolder other;
  std::ofstream(other.Path() / "file") << "x";
  EXPECT_TRUE(os::folders::FileExists(other.File("file")));
  EXPECT_FALSE(os::folders::FolderExists(other.File("file")));
  EXPECT_FALSE(os::folders::CreateFolderPath(other.File("file") + "\\below", error));
  EXPECT_NE(error, 0);
}

// A suspended copy of this test program: the same name, never running code.
struct SuspendedCopy {
  PROCESS_INFORMATION info{};
  bool started = false;
  SuspendedCopy() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    started = CreateProcessW(path, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup, &info);
  }
  ~SuspendedCopy() {
    if (!started)
      return;
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
};

TEST(WindowsProcesses, ListFindsAnotherInstanceAndTerminateEndsOnlyWhatItMay) {
  std::vector<os::processes::ProcessInfo> processes;
  ASSERT_TRUE(os::processes::List(processes));
  const std::uint32_t self = os::processes::CurrentId();
  std::string ownName;
  for (const auto& process : processes)
    if (process.pid == self)
      ownName = process.name;
  ASSERT_FALSE(ownName.empty());
  EXPECT_EQ(ownName.find(".exe"), std::string::npos);  // names as on every platform

  SuspendedCopy copy;
  ASSERT_TRUE(copy.started);
  ASSERT_TRUE(os::processes::List(processes));
  bool found = false;
  for (const auto& process : processes)
    found = found || (process.pid == copy.info.dwProcessId && process.name == ownName);
  EXPECT_TRUE(found) << "the instance check would miss a second copy";

  EXPECT_TRUE(os::processes::Running(copy.info.dwProcessId));
  EXPECT_FALSE(os::processes::Terminate(self, false));
  EXPECT_FALSE(os::processes::Terminate(copy.info.dwProcessId, true));  // no window to ask
  EXPECT_TRUE(os::processes::Terminate(copy.info.dwProcessId, false));
  WaitForSingleObject(copy.info.hProcess, 5000);
  EXPECT_FALSE(os::processes::Running(copy.info.dwProcessId));
  EXPECT_NE(os::processes::ExecutablePath().find(ownName), std::string::npos);
}

TEST(WindowsClipboard, EmptyBothLeavesNothingOnTheClipboard) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 6 * sizeof(wchar_t));
  wcscpy(static_cast<wchar_t*>(GlobalLock(memory)), L"hello");
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
  ASSERT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  int code = -1;
  EXPECT_TRUE(os::clipboard::EmptyBoth(code));
  EXPECT_EQ(code, 0);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

TEST(WindowsWakeTimer, FiresOnceCancelsAndMayBeCancelledFromItsCallback) {
  std::atomic<int> fired{0};
  os::waketimer::Timer timer;
  auto outcome = timer.Arm(1, [&] { ++fired; });
  if (outcome.result == os::waketimer::Result::Unsupported)
    GTEST_SKIP() << "this system cannot wake the machine (" << outcome.errorCode << ")";
  ASSERT_EQ(outcome.result, os::waketimer::Result::Ok) << outcome.errorCode;
  EXPECT_TRUE(timer.Armed());
  for (int i = 0; i < 100 && fired == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(fired, 1);

  os::waketimer::Timer cancelled;
  ASSERT_EQ(cancelled.Arm(1, [&] { ++fired; }).result, os::waketimer::Result::Ok);
  EXPECT_EQ(cancelled.Cancel(), 0);
  EXPECT_FALSE(cancelled.Armed());

  auto selfCancelling = std::make_unique<os::waketimer::Timer>();
  std::atomic<bool> done{false};
  ASSERT_EQ(selfCancelling->Arm(1, [&] {
                selfCancelling->Cancel();
                done = true;
              }).result,
            os::waketimer::Result::Ok);
  for (int i = 0; i < 100 && !done; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(done);
  selfCancelling.reset();
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(fired, 1) << "a cancelled timer fired";
}

}  // namespace

namespace {

TEST(WindowsSystem, DescriptionAndMonitorDevicesAreRead) {
  EXPECT_EQ(os::sysinfo::OsFamily(), os::sysinfo::Family::WindowsNT);
  const std::string description = os::sysinfo::Description();
  EXPECT_EQ(description.rfind("Windows " + os::sysinfo::EditionText() + " " + os::sysinfo::KernelVersion(), 0), 0u)
      << description;
  EXPECT_NE(description.find(" on "), std::string::npos);
  EXPECT_GT(os::sysinfo::UptimeSeconds(), 0u);
  std::cout << "[ NOTE     ] " << description << "\n";

  std::vector<os::display::MonitorInfo> monitors;
  int error = 0;
  EXPECT_TRUE(os::display::ListMonitors(monitors, error)) << error;
  for (const auto& monitor : monitors)
    std::cout << "[ NOTE     ] monitor \"" << monitor.description << "\" state " << static_cast<int>(monitor.state)
              << "\n";
}

}  // namespace
