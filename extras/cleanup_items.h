#pragma once
// The Cleanup page's tree as data: the seven leaves with their own panel and
// toggle; a leaf's check boxes are the clean-up items of that leaf
// (app/cleanup_items.h).
#include <array>
#include <cstddef>
#include <span>

#include "app/cleanup_items.h"
#include "res/art/art.h"

struct CleanupLeafInfo {
  const char* label;
  TreeIcon icon;
  int panelId;
  const char* panelName;  // resource name of the panel picture
  int toggleId;
  std::span<const CleanupItem> boxes;  // in the panel's order
};

// In tree order (CleanupLeaf): Internet Explorer, Firefox, Opera, Chrome,
// Safari (under "Browsers"), Free space, History (under "Common").
const std::array<CleanupLeafInfo, kCleanupLeafCount>& CleanupLeaves();
constexpr std::size_t kFirstCommonLeaf = 5;
