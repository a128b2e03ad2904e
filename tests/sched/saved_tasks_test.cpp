// Repeated tasks on the real main window: saving and registering one at
// zero, and the saved-tasks dialog with the tool bar's count.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/choicebk.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/toolbar.h>

#include "os/folders.h"
#include "os/scheduler.h"
#include "sched/cd_dialog.h"
#include "tests/sched/scheduler_fakes.h"
#include "tests/ui/frame_fixture.h"
#include "ui/cd_ids.h"

namespace {

namespace fs = std::filesystem;

class SavedTasks : public FrameTest {
 protected:
  SavedTasks() : fakes(sandbox) {
    folder = os::folders::TasksFolder(wxTheApp->GetAppName().utf8_string());
    fs::create_directories(folder);
    // Start tomorrow at 23:00, so the countdown stays valid under the test clock.
    start = Now() + wxDateSpan::Day();
    start.SetHour(23).SetMinute(0).SetSecond(0);
  }

  // A saved task as registration leaves it: the file with its summary and
  // the scheduler's entry for its active name.
  fs::path AddTask(const std::string& fileName, const std::string& summary) {
    const fs::path path = fs::path(folder) / fileName;
    Sandbox::WriteFile(path, "[REMINDER]\nSecondes=\n\n[CRITICAL]\n" + summary);
    std::string active = fileName;
    active[0] = '1';
    const bool weekly = summary.find("Type=weekly") != std::string::npos;
    os::scheduler::Job job{(weekly ? "Weekly_" : "Daily_") + active, "/usr/bin/true", folder + "/" + active, {}};
    EXPECT_EQ(os::scheduler::Register(job), os::scheduler::kDone);
    return path;
  }
  void Refresh() { Fire(frame->m_tasksRefreshTimer); }
  CDDialog& Dialog() { return *frame->m_savedTasksDialog; }
  wxString Status() const { return frame->m_toolStatusText->GetLabel(); }
  bool ToolEnabled() const { return frame->m_toolBar->GetToolEnabled(ids::kSavedTasksTool); }
  int RowOf(const fs::path& path) {
    const auto& rows = Dialog().Rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i].path == path.string())
        return static_cast<int>(i);
    return -1;
  }
  void SelectRows(std::vector<int> rows) {
    Dialog().m_grid->UnselectAll();
    auto* model = static_cast<wxDataViewIndexListModel*>(Dialog().m_grid->GetModel());
    for (int row : rows)
      Dialog().m_grid->Select(model->GetItem(static_cast<unsigned>(row)));
  }
  void Tool(int id) {
    wxCommandEvent event(wxEVT_TOOL, id);
    event.SetEventObject(Dialog().m_toolBar);
    Dialog().GetEventHandler()->ProcessEvent(event);
  }
  wxColour RowColour(int row) {
    wxDataViewItemAttr attr;
    static_cast<wxDataViewIndexListModel*>(Dialog().m_grid->GetModel())
        ->GetAttrByRow(static_cast<unsigned>(row), 0, attr);
    return attr.GetColour();
  }
  std::vector<fs::path> SavedFiles() const {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().extension() == ".stask")
        files.push_back(entry.path());
    return files;
  }
  std::string ErrorLogText() const {
    std::string log;
    for (const auto& entry : fs::directory_iterator(sandbox.Desktop()))
      log += Sandbox::ReadFile(entry.path());
    return log;
  }
  // "Repeated" with the given page, then "Save Task" and the executor at zero.
  void SaveRepeated(bool weekly) {
    Choose(frame->m_taskChoice, 8);  // lock
    SetAbsolute(start);
    Toggle(frame->m_repeatedCheck, true);
    frame->m_repeatBook->SetSelection(weekly ? 1 : 0);
    Click(frame->m_startButton);
    ASSERT_TRUE(frame->m_scheduleMode);
    Tick();
    Fire(frame->m_executeTimer);
  }

  SchedulerFakes fakes;
  std::string folder;
  wxDateTime start;
};

const wxColour kActive(200, 30, 0);
const wxColour kInactive(10, 10, 0);

}  // namespace

TEST_F(SavedTasks, DailyTaskIsRegisteredWithItsSummaryAndListed) {
  frame->m_repeatDays->SetValue(2);
  SaveRepeated(false);
  const auto files = SavedFiles();
  ASSERT_EQ(files.size(), 1u);
  const std::string name = files[0].filename().string();
  EXPECT_EQ(name.rfind("1_lock_Task_", 0), 0u) << name;
  EXPECT_EQ(DryRun(), "schedule name=Daily_" + name + " file=" + files[0].string() + "\n");
  const std::string content = Sandbox::ReadFile(files[0]);
  EXPECT_NE(content.find("[CRITICAL]\nType=daily\nEvery=2\nAt=23:00:00\nFrom=" +
                         start.Format("%Y-%m-%d").utf8_string() + "\n"),
            content.npos)
      << content;
  EXPECT_TRUE(fs::exists(fs::path(os::scheduler::UnitFolder()) /
                         (os::scheduler::UnitBaseName("Daily_" + name) + ".timer")));
  EXPECT_EQ(ErrorLogText().find("WTS"), std::string::npos);

  Refresh();
  EXPECT_EQ(Status(), "1 saved tasks found:   0 inactive   /   1 active");
  ASSERT_EQ(Dialog().Rows().size(), 1u);
  const auto& cells = Dialog().Rows()[0].cells;
  EXPECT_EQ(cells[0], "Lock PC");
  EXPECT_EQ(cells[1], "2 day(s)");
  EXPECT_EQ(cells[2], "") << "a daily task has no days";
  EXPECT_EQ(cells[5], files[0].string());
}

TEST_F(SavedTasks, WeeklyTaskCarriesItsDays) {
  frame->m_repeatWeeks->SetValue(3);
  Toggle(frame->m_weekDays[1], true);
  Toggle(frame->m_weekDays[4], true);
  SaveRepeated(true);
  const auto files = SavedFiles();
  ASSERT_EQ(files.size(), 1u);
  const std::string content = Sandbox::ReadFile(files[0]);
  EXPECT_NE(content.find("Type=weekly\nEvery=3\nOn=Monday,Thursday\nAt=23:00:00\n"), content.npos) << content;
  const std::string timer = Sandbox::ReadFile(
      fs::path(os::scheduler::UnitFolder()) /
      (os::scheduler::UnitBaseName("Weekly_" + files[0].filename().string()) + ".timer"));
  EXPECT_NE(timer.find("OnCalendar=Mon,Thu *-*-* 23:00:00\n"), timer.npos) << timer;
}

TEST_F(SavedTasks, FailedRegistrationKeepsTheFileWithoutSummary) {
  if (SchedulerFakes::CronDaemonRuns())
    GTEST_SKIP() << "a cron daemon runs on this machine";
  sandbox.UnsetEnv("DKWT_DRY_RUN");
  fakes.SetManager(false);
  SaveRepeated(false);
  if (fs::exists(fakes.Crontab()))
    GTEST_SKIP() << "a cron daemon started meanwhile (another test's)";
  const auto files = SavedFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(Sandbox::ReadFile(files[0]).find("CRITICAL"), std::string::npos);
  EXPECT_NE(ErrorLogText().find("Add Task to WTS failed Error Code\t:\t1\n"), std::string::npos) << ErrorLogText();
}

TEST_F(SavedTasks, ListCountsTogglesDeletesAndForgetsStaleEntries) {
  const auto daily = AddTask("1_shutdown_A.stask", "Type=daily\nEvery=2\nAt=23:00:00\nFrom=2026-03-28\n");
  const auto inactive = AddTask("0_lock_B.stask", "Type=weekly\nEvery=1\nOn=Monday,Friday\nAt=08:00:00\nFrom=2026-04-01\n");
  const auto weekly = AddTask("1_monitorOff_C.stask", "Type=weekly\nEvery=2\nOn=Sunday\nAt=10:00:00\nFrom=2026-03-25\n");
  Refresh();
  EXPECT_EQ(Status(), "3 saved tasks found:   1 inactive   /   2 active");
  EXPECT_EQ(frame->m_toolStatusText->GetToolTipText(), Status());
  EXPECT_TRUE(ToolEnabled());
  EXPECT_EQ(frame->m_toolBar->GetToolShortHelp(ids::kSavedTasksTool), "  scheduled tasks management  ");
  ASSERT_EQ(Dialog().Rows().size(), 3u);
  const int b = RowOf(inactive);
  ASSERT_GE(b, 0);
  EXPECT_EQ(RowColour(b), kInactive);
  EXPECT_EQ(Dialog().Rows()[static_cast<std::size_t>(b)].cells[2], "Monday,Friday");
  EXPECT_EQ(Dialog().Rows()[static_cast<std::size_t>(RowOf(weekly))].cells[0], "Monitor off");
  EXPECT_EQ(Dialog().Rows()[static_cast<std::size_t>(RowOf(weekly))].cells[1], "2 week(s)");

  // Nothing selected.
  SelectRows({});
  Tool(CDDialog::kToggleTool);
  Tool(CDDialog::kDeleteTool);
  ASSERT_EQ(messages.messages.size(), 2u);
  EXPECT_EQ(messages.messages[0].text, "Please select a task first!");
  EXPECT_EQ(messages.messages[0].caption, "Message");

  // Deactivating and activating renames the file and recolours the row;
  // the scheduler's units stay as they are.
  const fs::path unitFolder = os::scheduler::UnitFolder();
  const fs::path unit = unitFolder / (os::scheduler::UnitBaseName("Daily_1_shutdown_A.stask") + ".service");
  const std::string unitBefore = Sandbox::ReadFile(unit);
  const std::string dryRunBefore = DryRun();
  const int a = RowOf(daily);
  EXPECT_EQ(RowColour(a), kActive);
  SelectRows({a});
  Tool(CDDialog::kToggleTool);
  const fs::path off = fs::path(folder) / "0_shutdown_A.stask";
  EXPECT_TRUE(fs::exists(off));
  EXPECT_FALSE(fs::exists(daily));
  EXPECT_EQ(Dialog().Rows()[static_cast<std::size_t>(a)].cells[5], off.string());
  EXPECT_EQ(RowColour(a), kInactive);
  Tool(CDDialog::kToggleTool);
  EXPECT_TRUE(fs::exists(daily));
  EXPECT_EQ(RowColour(a), kActive);
  EXPECT_EQ(Sandbox::ReadFile(unit), unitBefore);
  EXPECT_EQ(DryRun(), dryRunBefore);

  // A twin of the new name is never overwritten.
  Sandbox::WriteFile(off, "other");
  Tool(CDDialog::kToggleTool);
  EXPECT_EQ(messages.messages.back().text, "Couldn't rename task file :\n\n" + daily.string() +
                                               "\n\nCheck if file opened by other process!");
  EXPECT_EQ(Sandbox::ReadFile(off), "other");
  fs::remove(off);

  // Delete removes the files and rows; the next build forgets the entries.
  SelectRows({RowOf(weekly), RowOf(daily)});
  Tool(CDDialog::kDeleteTool);
  EXPECT_FALSE(fs::exists(weekly));
  EXPECT_FALSE(fs::exists(daily));
  ASSERT_EQ(Dialog().Rows().size(), 1u);
  EXPECT_EQ(Dialog().Rows()[0].path, inactive.string());
  EXPECT_TRUE(fs::exists(unit)) << "the entry goes at the next build";
  Refresh();
  EXPECT_FALSE(fs::exists(unit));
  EXPECT_NE(DryRun().find("unschedule name=Daily_1_shutdown_A.stask\n"), std::string::npos) << DryRun();
  EXPECT_EQ(Status(), "1 saved tasks found:   1 inactive   /   0 active");

  // A file deleted behind the program's back goes the same way.
  fs::remove(inactive);
  Refresh();
  EXPECT_EQ(Status(), "  No scheduled tasks  ");
  EXPECT_FALSE(ToolEnabled());
  EXPECT_EQ(*frame->m_savedTaskCount, 0);
  EXPECT_TRUE(fs::is_empty(unitFolder));
}

TEST_F(SavedTasks, UnreadableCrontabIsLoggedOnceAndHidesNoTimer) {
  sandbox.UnsetEnv("DKWT_DRY_RUN");
  AddTask("1_shutdown_A.stask", "Type=daily\nEvery=1\nAt=23:00:00\nFrom=2026-03-28\n");
  sandbox.SetEnv("FAKE_CRONTAB_DENIED", "1");
  Refresh();
  Refresh();
  EXPECT_EQ(Status(), "1 saved tasks found:   0 inactive   /   1 active");
  const std::string log = ErrorLogText();
  const std::string entry = "Active tasks enumeration failed Error Code\t:\t6\n";
  EXPECT_NE(log.find(entry), std::string::npos) << log;
  EXPECT_EQ(log.find(entry), log.rfind(entry)) << "logged once while it lasts";
}

TEST_F(SavedTasks, OpenTasksFolder) {
  Refresh();
  EXPECT_EQ(Status(), "  No scheduled tasks  ");
  Tool(CDDialog::kOpenFolderTool);
  EXPECT_EQ(DryRun(), "open path=" + folder + "\n");
  fs::remove_all(folder);
  Tool(CDDialog::kOpenFolderTool);
  EXPECT_EQ(LastMessage(), "Tasks folder :\n\n" + folder + "\n\nnot found!");
}
