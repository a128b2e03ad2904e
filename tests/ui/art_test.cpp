#include "res/art/art.h"

#include <gtest/gtest.h>
#include <wx/image.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Pixels with their transparency, so two pictures compare by what is drawn.
std::vector<unsigned char> Pixels(const wxBitmap& bitmap) {
  wxImage image = bitmap.ConvertToImage();
  const std::size_t count = static_cast<std::size_t>(image.GetWidth()) * image.GetHeight();
  std::vector<unsigned char> pixels(image.GetData(), image.GetData() + count * 3);
  if (image.HasAlpha())
    pixels.insert(pixels.end(), image.GetAlpha(), image.GetAlpha() + count);
  return pixels;
}

void ExpectPicture(const wxBitmap& bitmap, int width, int height, const std::string& what) {
  ASSERT_TRUE(bitmap.IsOk()) << what;
  EXPECT_EQ(bitmap.GetWidth(), width) << what;
  EXPECT_EQ(bitmap.GetHeight(), height) << what;
}

// The icons are shapes on a transparent ground: a lost alpha channel would show as a black square.
void ExpectTransparentCorner(const wxBitmap& bitmap, const std::string& what) {
  wxImage image = bitmap.ConvertToImage();
  ASSERT_TRUE(image.HasAlpha()) << what;
  EXPECT_EQ(image.GetAlpha(0, 0), 0) << what;
  const unsigned char* alpha = image.GetAlpha();
  const int count = image.GetWidth() * image.GetHeight();
  EXPECT_NE(std::find(alpha, alpha + count, 255), alpha + count) << what << " has no opaque pixel";
}

template <typename Picture>
void ExpectPairwiseDifferent(const std::vector<Picture>& pictures, const std::string& what) {
  for (std::size_t a = 0; a < pictures.size(); ++a)
    for (std::size_t b = a + 1; b < pictures.size(); ++b)
      EXPECT_NE(Pixels(pictures[a]), Pixels(pictures[b])) << what << " " << a << " and " << b << " look the same";
}

}  // namespace

TEST(ArtTest, TrayIconsAreElevenDistinctIconsAtEveryDrawnSize) {
  for (int size : {16, 22, 32, 48}) {
    std::vector<wxBitmap> icons;
    for (int code = 0; code <= 10; ++code) {
      wxIcon icon = TrayIcon(code, size);
      const std::string what = "tray icon " + std::to_string(code) + " at " + std::to_string(size);
      ExpectPicture(icon, size, size, what);
      ExpectTransparentCorner(icon, what);
      icons.emplace_back(icon);
    }
    ExpectPairwiseDifferent(icons, "tray icons at " + std::to_string(size) + " px:");
  }
  ExpectPicture(TrayIcon(3), 22, 22, "default tray size");
}

TEST(ArtTest, TrayIconOutOfRangeIsTheIdleIcon) {
  const auto idle = Pixels(TrayIcon(0));
  for (int code : {-1, 11, 99})
    EXPECT_EQ(Pixels(TrayIcon(code)), idle) << code;
  EXPECT_NE(Pixels(TrayIcon(10)), idle);
}

TEST(ArtTest, UndrawnSizesAreScaled) {
  ExpectPicture(TrayIcon(1, 24), 24, 24, "tray at 24");
  ExpectPicture(TrayIcon(1, 64), 64, 64, "tray at 64");
  ExpectPicture(TreeIconBitmap(TreeIcon::Safari, 20), 20, 20, "tree at 20");
  ExpectPicture(TreeIconBitmap(TreeIcon::Safari, 48), 48, 48, "tree at 48");
}

TEST(ArtTest, MainIconBundleHoldsTheSixSizes) {
  wxIconBundle bundle = MainIconBundle();
  EXPECT_EQ(bundle.GetIconCount(), 6u);
  for (int size : {16, 24, 32, 48, 64, 128}) {
    wxIcon icon = bundle.GetIcon(wxSize(size, size), wxIconBundle::FALLBACK_NONE);
    ExpectPicture(icon, size, size, "main icon " + std::to_string(size));
    ExpectTransparentCorner(icon, "main icon " + std::to_string(size));
  }
}

TEST(ArtTest, SplashAndToolbarPictures) {
  ExpectPicture(LogoBitmap(), 400, 250, "splash");
  ExpectPicture(SavedTasksToolBitmap(), 24, 24, "saved-tasks tool");
  ExpectTransparentCorner(SavedTasksToolBitmap(), "saved-tasks tool");
}

TEST(ArtTest, ExtrasPagesHaveDistinctOnAndOffPictures) {
  std::vector<wxBitmap> pictures;
  for (ExtrasPage page : {ExtrasPage::Alarm, ExtrasPage::Monitor, ExtrasPage::Wakeup, ExtrasPage::Launch}) {
    for (bool on : {true, false}) {
      wxBitmap bitmap = ExtrasPageBitmap(page, on);
      ExpectPicture(bitmap, 48, 48, "extras page " + std::to_string(static_cast<int>(page)));
      pictures.push_back(bitmap);
    }
  }
  ExpectPairwiseDifferent(pictures, "extras pages:");
}

TEST(ArtTest, TreeIconsAreDistinct) {
  for (int size : {16, 32}) {
    std::vector<wxBitmap> icons;
    for (TreeIcon icon : {TreeIcon::Browsers, TreeIcon::InternetExplorer, TreeIcon::Firefox, TreeIcon::Opera,
                          TreeIcon::Chrome, TreeIcon::Safari, TreeIcon::System, TreeIcon::Folder, TreeIcon::Trash,
                          TreeIcon::History}) {
      wxBitmap bitmap = TreeIconBitmap(icon, size);
      const std::string what = "tree icon " + std::to_string(static_cast<int>(icon)) + " at " + std::to_string(size);
      ExpectPicture(bitmap, size, size, what);
      ExpectTransparentCorner(bitmap, what);
      icons.push_back(bitmap);
    }
    ExpectPairwiseDifferent(icons, "tree icons at " + std::to_string(size) + " px:");
  }
  ExpectPicture(TreeIconBitmap(TreeIcon::History), 16, 16, "default tree size");
}
