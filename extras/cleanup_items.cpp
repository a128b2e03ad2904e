#include "extras/cleanup_items.h"

const std::array<CleanupLeafInfo, kCleanupLeafCount>& CleanupLeaves() {
  static const std::array<CleanupLeafInfo, kCleanupLeafCount> leaves = {{
      {"Internet Explorer", TreeIcon::InternetExplorer, 8004, "bmp_PanelIE", 9061,
       LeafItems(CleanupLeaf::InternetExplorer)},
      {"Firefox", TreeIcon::Firefox, 8005, "bmp_PanelFF", 9062, LeafItems(CleanupLeaf::Firefox)},
      {"Opera", TreeIcon::Opera, 8006, "bmp_PanelOP", 9063, LeafItems(CleanupLeaf::Opera)},
      {"Chrome", TreeIcon::Chrome, 8007, "bmp_PanelCR", 9064, LeafItems(CleanupLeaf::Chrome)},
      {"Safari", TreeIcon::Safari, 8008, "bmp_PanelSF", 9065, LeafItems(CleanupLeaf::Safari)},
      {"Free space", TreeIcon::Trash, 8009, "bmp_PanelFS", 9066, LeafItems(CleanupLeaf::FreeSpace)},
      {"History", TreeIcon::History, 8010, "bmp_PanelHistory", 9067, LeafItems(CleanupLeaf::History)},
  }};
  return leaves;
}
