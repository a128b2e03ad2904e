// The tray icon on a private session bus, read back as a panel reads it.
#include "os/tray.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "res/art/art.h"
#include "tests/support/fake_tray_watcher.h"

namespace {

using os::tray::Kind;

TEST(TrayChoice, BestTrayTheDesktopOffers) {
  struct Case {
    bool watcher;
    bool xembed;
    Kind expected;
  };
  const Case cases[] = {
      {true, true, Kind::StatusNotifier},
      {true, false, Kind::StatusNotifier},
      {false, true, Kind::Toolkit},
      {false, false, Kind::None},
  };
  for (const Case& c : cases)
    EXPECT_EQ(os::tray::Choose({c.watcher, c.xembed}), c.expected) << c.watcher << c.xembed;
}

TEST(TrayProbe, SeesAWatcherOnlyWhereOneRuns) {
  {
    FakeTrayWatcher bus(FakeTrayWatcher::Mode::None);
    ASSERT_EQ(bus.Problem(), "");
    EXPECT_FALSE(os::tray::Probe().statusNotifierWatcher);
  }
  FakeTrayWatcher panel;
  ASSERT_EQ(panel.Problem(), "");
  EXPECT_TRUE(os::tray::Probe().statusNotifierWatcher);
}

class StatusNotifierTest : public testing::Test {
 protected:
  StatusNotifierTest() {
    os::tray::Handlers handlers;
    handlers.menu = [this] { return items; };
    handlers.command = [this](int id) { commands.push_back(id); };
    handlers.activate = [this] { ++activations; };
    handlers.failed = [this](int, const std::string& message) { failures.push_back(message); };
    icon = os::tray::Create(Kind::StatusNotifier, std::move(handlers));
  }

  static wxIconBundle Pictures(int code) {
    wxIconBundle bundle;
    for (int size : {16, 22})
      bundle.AddIcon(TrayIcon(code, size));
    return bundle;
  }

  FakeTrayWatcher panel;
  std::vector<os::tray::MenuItem> items = {{9999, "Restore main window"}, {10008, "Exit_program"}};
  std::vector<int> commands;
  int activations = 0;
  std::vector<std::string> failures;
  std::unique_ptr<os::tray::Icon> icon;
};

TEST_F(StatusNotifierTest, PanelSeesIconToolTipAndMenuAndItsClicksComeBack) {
  ASSERT_EQ(panel.Problem(), "");
  ASSERT_TRUE(icon);
  ASSERT_TRUE(icon->Show(Pictures(1), "Duskwatch: Shuting down in 00:01:00"));
  EXPECT_NE(panel.WaitForItem(), "");
  EXPECT_TRUE(icon->Shown());

  EXPECT_EQ(panel.ToolTipTitle(), "Duskwatch: Shuting down in 00:01:00");
  const auto pixmaps = panel.IconPixmaps();
  ASSERT_EQ(pixmaps.size(), 2u);
  for (const auto& pixmap : pixmaps) {
    ASSERT_EQ(pixmap.argb.size(), static_cast<size_t>(pixmap.width * pixmap.height * 4));
    // ARGB, alpha first: the art has transparent corners and an opaque middle.
    const wxImage image = wxBitmap(TrayIcon(1, pixmap.width)).ConvertToImage();
    const size_t middle = static_cast<size_t>((pixmap.height / 2) * pixmap.width + pixmap.width / 2) * 4;
    EXPECT_EQ(pixmap.argb[0], image.GetAlpha(0, 0));
    EXPECT_EQ(pixmap.argb[middle], image.GetAlpha(pixmap.width / 2, pixmap.height / 2));
    EXPECT_EQ(pixmap.argb[middle + 1], image.GetRed(pixmap.width / 2, pixmap.height / 2));
    EXPECT_EQ(pixmap.argb[middle + 3], image.GetBlue(pixmap.width / 2, pixmap.height / 2));
  }

  // Every second: a new time, the same picture until the action changes.
  ASSERT_TRUE(icon->Show(Pictures(1), "Duskwatch: Shuting down in 00:00:59"));
  EXPECT_EQ(panel.ToolTipTitle(), "Duskwatch: Shuting down in 00:00:59");
  ASSERT_TRUE(icon->Show(Pictures(0), "Duskwatch : Idle"));
  EXPECT_NE(panel.IconPixmaps()[0].argb, pixmaps[0].argb);

  const std::vector<std::pair<int, std::string>> menu = {{9999, "Restore main window"}, {10008, "Exit__program"}};
  EXPECT_EQ(panel.Menu(), menu);
  EXPECT_TRUE(panel.Click(10008));
  EXPECT_TRUE(panel.Activate());
  EXPECT_EQ(commands, std::vector<int>{10008});
  EXPECT_EQ(activations, 1);

  // A countdown started: a menu the panel still shows from before does nothing.
  items.clear();
  EXPECT_FALSE(panel.Click(10008));
  EXPECT_TRUE(panel.Menu().empty());
  EXPECT_EQ(commands, std::vector<int>{10008});

  EXPECT_TRUE(icon->Remove());
  EXPECT_FALSE(icon->Shown());
  EXPECT_TRUE(panel.ItemGone());
  // Shown again, it registers again.
  ASSERT_TRUE(icon->Show(Pictures(0), "Duskwatch : Idle"));
  EXPECT_NE(panel.WaitForItem(), "");
  EXPECT_EQ(panel.ToolTipTitle(), "Duskwatch : Idle");
  EXPECT_TRUE(failures.empty());
}

}  // namespace
