// Where the main window meets the extras window and the system wake-up
// timer.
#include <memory>

#include <wx/checkbox.h>

#include "app/clock.h"
#include "extras/cd_aui_main_frame.h"
#include "extras/system_wake_up.h"
#include "os/power.h"
#include "ui/cd_frame.h"

namespace {

class FrameExtrasHost : public ExtrasHost {
 public:
  explicit FrameExtrasHost(CDFrame& frame) : m_frame(frame) {}
  bool TaskRunning() const override { return m_frame.m_running; }
  bool RepeatedChecked() const override {
    const wxCheckBox* repeated = m_frame.m_repeatedCheck;
    // Its own state: the main window itself is disabled while we are shown.
    return repeated && repeated->IsThisEnabled() && repeated->GetValue();
  }
  Task& CurrentTask() override { return m_frame.m_task; }
  bool MonitorDetected() override { return m_frame.m_task.MonitorSupported(); }
  void LogError(int code, const wxString& message, bool showBox) override { m_frame.LogError(code, message, showBox); }

 private:
  CDFrame& m_frame;
};

}  // namespace

void CDFrame::InstallExtras() {
  m_configureExtras = [this](int choiceIndex) { OpenExtrasWindow(choiceIndex); };

  // Shared by the two hooks; the timer's thread ends with the last of them.
  auto wakeUp = std::make_shared<SystemWakeUp>();
  m_task.m_armWakeUpTimer = [this, wakeUp] {
    m_standbyBegan = EpochSeconds();
    m_sleepBegan = false;  // the sleep this timer ends has yet to begin
    const SystemWakeUp::AfterWakeAlarm alarm{m_alarmAfterWakeUp, m_afterWakeAlarmSeconds};
    // The timer's thread reaches the window only by posting.
    return wakeUp->Arm(m_task, *this, alarm, [this] { CallAfter([this] { OnSystemWakeUp(); }); }) == 0;
  };
  m_cancelWakeUpTimer = [wakeUp] { return wakeUp->Cancel(); };
}

void CDFrame::DestroyExtras() {
  // The timer first: its thread must not post to a window that is going.
  m_task.m_armWakeUpTimer = nullptr;
  m_cancelWakeUpTimer = nullptr;
  SetExtras(nullptr);
  if (m_extrasWindow) {
    CDAuiMainFrame* window = m_extrasWindow;
    m_extrasWindow = nullptr;
    delete window;
  }
}

void CDFrame::OpenExtrasWindow(int choiceIndex) {
  if (m_running || CDAuiMainFrame::TitleFor(choiceIndex).empty())
    return;
  if (!m_extrasWindow) {
    m_extrasWindow =
        new CDAuiMainFrame(this, std::make_unique<FrameExtrasHost>(*this), CDAuiMainFrame::TitleFor(choiceIndex));
    m_extrasConfigured = true;
    m_extrasWindow->ApplyFirstTimeSettings(choiceIndex);
    // Pages installed before (tests install their own) stay in charge.
    if (!m_extras)
      SetExtras(m_extrasWindow);
  }
  m_extrasWindow->Configure(choiceIndex);
}

void CDFrame::OnSystemWakeUp() {
  // Our timer ended a sleep only if one began; fired into a running session
  // (the suspend was refused and cancelling failed), it does nothing.
  if (!m_sleepBegan) {
    ClearAfterWakeUp();
    if (m_fromTaskFile)
      EndTaskFileRun(false);
    return;
  }
  // Keep the machine up for what follows the wake-up.
  if (!m_task.m_executionStateHeld)
    m_task.m_executionStateHeld = os::power::HoldSleepInhibitor("Duskwatch woke the system");
  m_task.m_resumedByOwnTimer = true;
  StartAfterWakeUpThread();
}
