// The Task Scheduler calls, in order and with their values, as the call
// observer sees them. Wine's service keeps nothing and refuses parts of a
// definition, so there the sequence is checked up to the refused call, which
// must end the registration with the step's code.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <sstream>

#include "os/scheduler.h"
#include "os/windows/scheduler_calls.h"
#include "windows_test_support.h"

namespace {

struct Observed {
  std::vector<std::string> calls;
  std::vector<long> results;
  Observed() {
    os::win::scheduler_calls::SetObserver([this](const std::string& call, long result) {
      calls.push_back(call);
      results.push_back(result);
    });
  }
  ~Observed() { os::win::scheduler_calls::SetObserver({}); }
  std::string Text() const {
    std::ostringstream text;
    for (std::size_t i = 0; i < calls.size(); ++i)
      text << calls[i] << " -> 0x" << std::hex << static_cast<unsigned long>(results[i]) << std::dec << "\n";
    return text.str();
  }
};

os::scheduler::Job MakeJob(bool weekly) {
  os::scheduler::Job job;
  job.name = weekly ? "Weekly_1_2_x.stask" : "Daily_1_2_x.stask";
  job.executable = "C:\\Program Files\\Duskwatch\\DKWT.exe";
  job.taskFile = "C:\\users\\u\\AppData\\Roaming\\DKWT-Tasks\\1_2_x.stask";
  job.calendar = {weekly, 2 | 32, 7, 5, 9, weekly ? 2 : 3, 2026, 12, 24};
  return job;
}

// Every call of a registration; a failed CreateFolder is followed by the
// GetFolder of the existing folder, which the comparison inserts.
std::vector<std::string> ExpectedCalls(const os::scheduler::Job& job) {
  std::vector<std::string> calls = {
      "CoCreateInstance TaskScheduler", "Connect", "GetFolder \\", "CreateFolder \\DKWT-Tasks", "DeleteTask",
      "NewTask", "get_RegistrationInfo", "put_Author Duskwatch", "get_Triggers"};
  if (job.calendar.weekly)
    calls.insert(calls.end(), {"Triggers.Create weekly", "put_Id Trigger1", "put_StartBoundary 2026-12-24T07:05:09",
                               "QueryInterface IWeeklyTrigger", "put_WeeksInterval 2", "put_DaysOfWeek 34"});
  else
    calls.insert(calls.end(), {"Triggers.Create daily", "put_Id Trigger1", "put_StartBoundary 2026-12-24T07:05:09",
                               "QueryInterface IDailyTrigger", "put_DaysInterval 3"});
  calls.insert(calls.end(), {"get_Actions", "Actions.Create exec", "QueryInterface IExecAction",
                             "put_Path " + job.executable, "put_Arguments -i \"" + job.taskFile + "\"", "get_Settings",
                             "put_DisallowStartIfOnBatteries 0", "put_StopIfGoingOnBatteries 0", "get_IdleSettings",
                             "put_StopOnIdleEnd 0", "RegisterTaskDefinition"});
  return calls;
}

// The failure code of a registration that ended at `call`.
int StepOf(const std::string& call) {
  if (call == "CoCreateInstance TaskScheduler" || call == "Connect")
    return os::scheduler::kNoScheduler;
  if (call.rfind("GetFolder", 0) == 0)
    return os::scheduler::kFolder;
  return call == "RegisterTaskDefinition" ? os::scheduler::kRegisterEntry : os::scheduler::kDefine;
}

TEST(WindowsScheduler, RegistrationMakesTheCallsOfAnEntryInOrder) {
  for (bool weekly : {false, true}) {
    const std::vector<std::string> notFatal = {"CreateFolder \\DKWT-Tasks", "DeleteTask", "put_Id Trigger1"};
    const os::scheduler::Job job = MakeJob(weekly);
    Observed observed;
    const int result = os::scheduler::Register(job);
    std::vector<std::string> expected = ExpectedCalls(job);
    for (std::size_t i = 0; i < observed.calls.size() && i < expected.size(); ++i)
      if (observed.calls[i] == "CreateFolder \\DKWT-Tasks" && observed.results[i] < 0)
        expected.insert(expected.begin() + static_cast<long>(i) + 1, "GetFolder \\DKWT-Tasks");
    ASSERT_FALSE(observed.calls.empty());
    ASSERT_LE(observed.calls.size(), expected.size()) << observed.Text();
    EXPECT_TRUE(std::equal(observed.calls.begin(), observed.calls.end(), expected.begin())) << observed.Text();
    const bool refused =
        observed.results.back() < 0 &&
        std::find(notFatal.begin(), notFatal.end(), observed.calls.back()) == notFatal.end();
    if (refused) {
      // Where the system refuses a call the registration ends there, with its step.
      EXPECT_EQ(result, StepOf(observed.calls.back())) << observed.Text();
      std::cout << "[ NOTE     ] " << job.name << ": the scheduler refused " << observed.calls.back() << "\n";
    } else {
      EXPECT_EQ(observed.calls.size(), expected.size()) << observed.Text();
      EXPECT_EQ(result, os::scheduler::kDone);
      EXPECT_EQ(os::scheduler::Unregister(job.name), os::scheduler::kDone);
    }
  }
}

TEST(WindowsScheduler, DryRunRecordsAndRegistersNothing) {
  wintest::DryRun dryRun;
  Observed observed;
  EXPECT_EQ(os::scheduler::Register(MakeJob(false)), os::scheduler::kDone);
  EXPECT_EQ(dryRun.Lines(), (std::vector<std::string>{"schedule name=Daily_1_2_x.stask file=" + MakeJob(false).taskFile}));
  for (const std::string& call : observed.calls) {
    EXPECT_NE(call, "RegisterTaskDefinition");
    EXPECT_NE(call, "DeleteTask");
    EXPECT_NE(call.rfind("CreateFolder", 0), 0u);
  }
  auto unsafe = MakeJob(false);
  unsafe.name = "bad\nname";
  EXPECT_EQ(os::scheduler::Register(unsafe), os::scheduler::kUnsafeText);
}

// Success only when the list was really read (Wine cannot count its entries).
TEST(WindowsScheduler, ListingSaysWhetherTheListWasRead) {
  std::vector<os::scheduler::Entry> entries;
  int error = -1;
  Observed observed;
  if (os::scheduler::List(entries, error)) {
    EXPECT_EQ(error, os::scheduler::kDone);
    return;
  }
  EXPECT_NE(error, os::scheduler::kDone);
  ASSERT_FALSE(observed.results.empty());
  EXPECT_LT(observed.results.back(), 0) << observed.Text();
  std::cout << "[ NOTE     ] the scheduler refused " << observed.calls.back() << "\n";
}

}  // namespace
