#include "os/display.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/linux/display_internal.h"
#include "tests/support/display_lock.h"
#include "tests/support/sandbox.h"

using os::display::MonitorInfo;
using os::display::PowerState;
namespace internal = os::display::internal;

namespace {

// The real switch is exercised only on a private Xvfb, recognised by its one
// RandR output "screen", so a test run on a desktop never blanks the screen.
bool OnXvfb() { return internal::RandrOutputNames() == std::vector<std::string>{"screen"}; }

std::string Edid(const std::string& descriptorText, unsigned char tag = 0xFC) {
  std::string edid(128, '\0');
  const unsigned char header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
  for (int i = 0; i < 8; ++i)
    edid[i] = static_cast<char>(header[i]);
  // First descriptor: a detailed timing (non-zero clock); the name sits in the third.
  edid[54] = 0x01;
  edid[90 + 3] = static_cast<char>(tag);
  edid.replace(90 + 5, std::min<std::size_t>(13, descriptorText.size()), descriptorText.substr(0, 13));
  return edid;
}

void AddConnector(const Sandbox& sandbox, const std::string& entry, const std::string& status,
                  const std::string& extraFile = "", const std::string& extraContent = "") {
  auto folder = sandbox.Root() / "drm" / entry;
  Sandbox::WriteFile(folder / "status", status + "\n");
  if (!extraFile.empty())
    Sandbox::WriteFile(folder / extraFile, extraContent);
}

}  // namespace

TEST(DisplayStateMapping, DpmsLevelsAndDisabledDpms) {
  EXPECT_EQ(internal::StateFromDpms(true, internal::kDpmsOn), PowerState::On);
  EXPECT_EQ(internal::StateFromDpms(true, internal::kDpmsStandby), PowerState::Standby);
  EXPECT_EQ(internal::StateFromDpms(true, internal::kDpmsSuspend), PowerState::Suspend);
  EXPECT_EQ(internal::StateFromDpms(true, internal::kDpmsOff), PowerState::Off);
  EXPECT_EQ(internal::StateFromDpms(true, 7), PowerState::Unknown);
  // With DPMS disabled the level is stale: the monitor is simply on.
  EXPECT_EQ(internal::StateFromDpms(false, internal::kDpmsOff), PowerState::On);
}

TEST(DisplayStateMapping, ScreenSaverAndKernelStates) {
  EXPECT_EQ(internal::StateFromScreenSaver(internal::kSaverOn), PowerState::Off);
  EXPECT_EQ(internal::StateFromScreenSaver(internal::kSaverCycle), PowerState::Off);
  EXPECT_EQ(internal::StateFromScreenSaver(internal::kSaverOff), PowerState::On);
  EXPECT_EQ(internal::StateFromScreenSaver(internal::kSaverDisabled), PowerState::On);
  EXPECT_EQ(internal::StateFromScreenSaver(-1), PowerState::Unknown);

  EXPECT_EQ(internal::StateFromSysfsDpms("On\n"), PowerState::On);
  EXPECT_EQ(internal::StateFromSysfsDpms("Standby"), PowerState::Standby);
  EXPECT_EQ(internal::StateFromSysfsDpms("Suspend\n"), PowerState::Suspend);
  EXPECT_EQ(internal::StateFromSysfsDpms("Off\n"), PowerState::Off);
  EXPECT_EQ(internal::StateFromSysfsDpms(""), PowerState::Unknown);
  EXPECT_EQ(internal::StateFromSysfsDpms("on"), PowerState::Unknown);
}

TEST(DisplayDrm, ListsConnectedConnectorsInKernelOrder) {
  Sandbox sandbox;
  AddConnector(sandbox, "card0-HDMI-A-1", "connected", "connector_id", "77\n");
  AddConnector(sandbox, "card0-DP-1", "disconnected", "connector_id", "70\n");
  AddConnector(sandbox, "card0-eDP-1", "connected", "connector_id", "60\n");
  AddConnector(sandbox, "card1-VGA-1", "connected");
  AddConnector(sandbox, "card0-Writeback-1", "unknown");
  // Not connectors: the card itself, a render node, the class's version file.
  AddConnector(sandbox, "card0", "connected");
  AddConnector(sandbox, "renderD128", "connected");
  Sandbox::WriteFile(sandbox.Root() / "drm" / "version", "drm 1.1.0\n");

  auto connectors = internal::ConnectedDrmConnectors((sandbox.Root() / "drm").string());
  std::vector<std::string> names;
  for (const auto& connector : connectors)
    names.push_back(connector.name);
  EXPECT_EQ(names, (std::vector<std::string>{"eDP-1", "HDMI-A-1", "VGA-1"}));

  EXPECT_TRUE(internal::ConnectedDrmConnectors((sandbox.Root() / "missing").string()).empty());
}

TEST(DisplayDrm, DescriptionTakesTheEdidMonitorName) {
  Sandbox sandbox;
  AddConnector(sandbox, "card0-HDMI-A-1", "connected", "edid", Edid("DKWT Panel\n  "));
  AddConnector(sandbox, "card0-DP-1", "connected", "edid", "");
  auto connectors = internal::ConnectedDrmConnectors((sandbox.Root() / "drm").string());
  ASSERT_EQ(connectors.size(), 2u);
  EXPECT_EQ(internal::DrmDescription(connectors[0]), "DP-1");
  EXPECT_EQ(internal::DrmDescription(connectors[1]), "DKWT Panel (HDMI-A-1)");
}

TEST(DisplayDrm, EdidNameParsingIsDefensive) {
  EXPECT_EQ(internal::EdidMonitorName(Edid("ABCDEFGHIJKLMNOP")), "ABCDEFGHIJKLM");  // 13 bytes, no terminator
  EXPECT_EQ(internal::EdidMonitorName(Edid("Mon\x01tor\n")), "Mon?tor");
  EXPECT_EQ(internal::EdidMonitorName(Edid("Serial\n", 0xFF)), "");  // another descriptor kind
  EXPECT_EQ(internal::EdidMonitorName(Edid("Name\n").substr(0, 127)), "");
  std::string badHeader = Edid("Name\n");
  badHeader[0] = 0x01;
  EXPECT_EQ(internal::EdidMonitorName(badHeader), "");
  EXPECT_EQ(internal::EdidMonitorName(""), "");
}

TEST(DisplayNoServer, UnknownAndUnsupportedWithoutDisplay) {
  Sandbox sandbox;
  sandbox.UnsetEnv("DISPLAY");
  sandbox.UnsetEnv("DKWT_DRY_RUN");
  // Neither the desktop's Mutter nor its compositor may answer (or switch).
  sandbox.UnsetEnv("WAYLAND_DISPLAY");
  sandbox.UnsetEnv("DBUS_SESSION_BUS_ADDRESS");
  sandbox.SetEnv("XDG_RUNTIME_DIR", sandbox.Root().string());
  EXPECT_EQ(os::display::MonitorPowerState(), PowerState::Unknown);
  int code = -1;
  EXPECT_FALSE(os::display::MonitorSupported(code));
  EXPECT_EQ(code, 0);
  EXPECT_FALSE(os::display::MonitorOff(code));
  EXPECT_NE(code, 0);
  EXPECT_FALSE(os::display::MonitorOn(code));
  EXPECT_NE(code, 0);
  std::vector<MonitorInfo> monitors{{"stale", PowerState::On}};
  EXPECT_TRUE(os::display::ListMonitors(monitors, code));
  for (const auto& monitor : monitors) {  // only DRM connectors can remain, never the stale entry
    EXPECT_NE(monitor.description, "stale");
  }

  // A compositor that has gone away: no X server to fall back on either.
  sandbox.SetEnv("WAYLAND_DISPLAY", "wayland-0");
  EXPECT_EQ(os::display::MonitorPowerState(), PowerState::Unknown);
  EXPECT_FALSE(os::display::MonitorSupported(code));
  EXPECT_EQ(code, 0);
}

TEST(DisplayDryRun, RecordsInsteadOfSwitching) {
  Sandbox sandbox;
  auto log = sandbox.Root() / "dry-run.log";
  sandbox.SetEnv("DKWT_DRY_RUN", log.string());
  PowerState before = os::display::MonitorPowerState();
  int code = -1;
  EXPECT_TRUE(os::display::MonitorOff(code));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(os::display::MonitorPowerState(), before);
  EXPECT_TRUE(os::display::MonitorOn(code));
  EXPECT_EQ(Sandbox::ReadFile(log), "monitor state=off\nmonitor state=on\n");
}

class DisplayXvfb : public testing::Test {
 protected:
  DisplayLock m_displayLock;
  void SetUp() override {
    m_sandbox.UnsetEnv("DKWT_DRY_RUN");
    // Nothing but that Xvfb: not the desktop's Mutter nor its compositor.
    m_sandbox.UnsetEnv("WAYLAND_DISPLAY");
    m_sandbox.UnsetEnv("DBUS_SESSION_BUS_ADDRESS");
    m_sandbox.SetEnv("XDG_RUNTIME_DIR", m_sandbox.Root().string());
    if (!OnXvfb())
      GTEST_SKIP() << "needs a private Xvfb (xvfb-run)";
  }
  void TearDown() override {
    int code = 0;
    if (OnXvfb())
      os::display::MonitorOn(code);
  }
  Sandbox m_sandbox;
};

TEST_F(DisplayXvfb, OffAndOnThroughTheScreenSaverAndInTheOutputList) {
  int code = -1;
  EXPECT_TRUE(os::display::MonitorSupported(code));
  EXPECT_EQ(os::display::MonitorPowerState(), PowerState::On);

  ASSERT_TRUE(os::display::MonitorOff(code));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(os::display::MonitorPowerState(), PowerState::Off);
  // Switching off twice is harmless.
  EXPECT_TRUE(os::display::MonitorOff(code));
  EXPECT_EQ(os::display::MonitorPowerState(), PowerState::Off);

  ASSERT_TRUE(os::display::MonitorOn(code));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(os::display::MonitorPowerState(), PowerState::On);

  // The output list carries the same state. One test, not two: tests run side
  // by side on the one Xvfb, and each switches its screen.
  std::vector<MonitorInfo> monitors;
  ASSERT_TRUE(os::display::ListMonitors(monitors, code));
  ASSERT_FALSE(monitors.empty());
  if (internal::ConnectedDrmConnectors("/sys/class/drm").empty()) {
    EXPECT_EQ(monitors.front().description, "screen");
  }
  EXPECT_EQ(monitors.front().state, PowerState::On);

  ASSERT_TRUE(os::display::MonitorOff(code));
  ASSERT_TRUE(os::display::ListMonitors(monitors, code));
  ASSERT_FALSE(monitors.empty());
  EXPECT_EQ(monitors.front().state, PowerState::Off);
}
