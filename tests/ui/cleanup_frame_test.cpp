// The clean-up runner on the real window: the hand-over to the task, the
// progress dialog and its Cancel, Silent Mode, a worker that cannot start,
// and closing the browsers.
#include <cstdlib>
#include <thread>

#include <wx/app.h>
#include <wx/progdlg.h>

#include "cleanup/catalogue.h"
#include "tests/ui/frame_fixture.h"

namespace {

class CleanupFrame : public FrameTest {
 protected:
  void SelectTemp() {
    frame->m_cleanupSelection.Set(ItemId::FreeSpaceTemp, true);
    frame->m_cleanupSelection.anySelected = true;
  }
  // Lets the window handle what was queued until `done` holds.
  bool Pump(const std::function<bool()>& done) {
    for (int i = 0; i < 2000; ++i) {
      wxTheApp->ProcessPendingEvents();
      if (done())
        return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }
  std::string ErrorLog() {
    for (const auto& entry : std::filesystem::directory_iterator(sandbox.Desktop()))
      if (entry.path().filename().string().rfind("DKWT_Error_", 0) == 0)
        return Sandbox::ReadFile(entry.path());
    return {};
  }
};

}  // namespace

TEST_F(CleanupFrame, NothingSelectedContinuesAfterOnePeriod) {
  frame->StartCleanup();
  EXPECT_FALSE(frame->IsCleanupRunning());
  EXPECT_EQ(frame->m_progressDialog, nullptr);
  ASSERT_TRUE(frame->m_executeTimer.IsRunning());
  EXPECT_EQ(frame->m_executeTimer.GetInterval(), 1000);
}

TEST_F(CleanupFrame, SilentModeDeletesWithoutADialogAndHandsOver) {
  Sandbox::WriteFile(sandbox.Tmp() / "junk", "x");
  SelectTemp();
  frame->m_settings.m_silentMode = true;
  frame->StartCleanup();
  bool dialogSeen = false;
  EXPECT_TRUE(Pump([&] {
    dialogSeen = dialogSeen || frame->m_progressDialog;
    return !frame->IsCleanupRunning();
  }));
  EXPECT_FALSE(dialogSeen);
  EXPECT_FALSE(std::filesystem::exists(sandbox.Tmp() / "junk"));
  EXPECT_TRUE(frame->m_executeTimer.IsRunning());
}

TEST_F(CleanupFrame, DialogFollowsTheWorkerAndCancelStopsTheTask) {
  for (const char* name : {"a", "b", "c"})
    Sandbox::WriteFile(sandbox.Tmp() / name, "x");
  SelectTemp();
  frame->m_running = true;  // an armed task, which Cancel stops
  // The test plays the worker.
  frame->m_startWorker = [] { return true; };
  frame->StartCleanup();
  ASSERT_TRUE(Pump([&] { return frame->m_progressDialog != nullptr; }));
  wxProgressDialog* dialog = frame->m_progressDialog;
  EXPECT_EQ(dialog->GetTitle(), "Performing Clean-UP");
  EXPECT_EQ(dialog->GetMessage(), "Deleting files. Press [Cancel] to stop the Task.");
  EXPECT_EQ(dialog->GetRange(), 4) << "entries + 1";
  EXPECT_FALSE(frame->m_startButton->IsEnabled());

  frame->PostCleanupEvent(0);
  Pump([&] { return dialog->GetValue() == 0; });
  wxWindow* cancel = dialog->FindWindow(wxID_CANCEL);
  ASSERT_NE(cancel, nullptr);
  wxCommandEvent press(wxEVT_BUTTON, wxID_CANCEL);
  press.SetEventObject(cancel);
  cancel->GetEventHandler()->ProcessEvent(press);
  frame->PostCleanupEvent(1);
  EXPECT_TRUE(Pump([&] { return frame->IsCleanupCancelled(); }));
  EXPECT_FALSE(frame->m_running) << "the task is stopped";

  frame->m_cleanupState.workerActive = false;
  frame->PostCleanupEvent(cleanup::kWorkerFinished);
  EXPECT_TRUE(Pump([&] { return !frame->IsCleanupRunning(); }));
  EXPECT_EQ(frame->m_progressDialog, nullptr);
  EXPECT_TRUE(frame->m_executeTimer.IsRunning());
  EXPECT_TRUE(frame->m_startButton->IsEnabled());
}

TEST_F(CleanupFrame, AWorkerThatCannotStartIsLogged) {
  Sandbox::WriteFile(sandbox.Tmp() / "junk", "x");
  SelectTemp();
  frame->m_startWorker = [] { return false; };
  frame->StartCleanup();
  wxTheApp->ProcessPendingEvents();
  EXPECT_FALSE(frame->IsCleanupRunning());
  EXPECT_EQ(frame->m_progressDialog, nullptr);
  EXPECT_TRUE(frame->m_cleanupState.PendingFiles.empty());
  EXPECT_TRUE(frame->m_executeTimer.IsRunning());
  const std::string log = ErrorLog();
  EXPECT_NE(log.find("10614"), std::string::npos);
  EXPECT_NE(log.find("Unable to perform Clean-Up."), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(sandbox.Tmp() / "junk"));
}

TEST_F(CleanupFrame, SelectedBrowsersAreAskedToClose) {
  const auto browser = sandbox.Root() / "firefox";
  std::filesystem::copy_file("/bin/sleep", browser);
  const auto pidFile = sandbox.Root() / "pid";
  ASSERT_EQ(std::system(("'" + browser.string() + "' 60 & echo $! >'" + pidFile.string() + "'").c_str()), 0);
  std::string pid = Sandbox::ReadFile(pidFile);
  pid = pid.substr(0, pid.find('\n'));
  frame->m_cleanupSelection.Set(ItemId::CacheFirefox, true);
  frame->m_cleanupSelection.anySelected = true;
  frame->m_settings.m_closeBrowsers = true;
  frame->m_settings.m_silentMode = true;
  frame->StartCleanup();
  Pump([&] { return !frame->IsCleanupRunning(); });
  std::system(("kill " + pid).c_str());
  EXPECT_NE(DryRun().find("terminate pid=" + pid + " polite=1\n"), std::string::npos) << DryRun();
}
