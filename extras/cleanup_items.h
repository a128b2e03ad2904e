#pragma once
// The Cleanup page as data: the seven leaves of the tree and their check
// boxes (label, control id, hover description, task-file key and token).
#include <array>
#include <cstddef>
#include <span>

#include "res/art/art.h"

struct CleanupBoxInfo {
  const char* label;
  int id;
  const char* description;
  const char* key;    // CLEANUP key of the task file
  const char* token;  // the value added to its list
};

struct CleanupLeafInfo {
  const char* label;
  TreeIcon icon;
  int panelId;
  const char* panelName;  // resource name of the panel picture
  int toggleId;
  std::span<const CleanupBoxInfo> boxes;
};

constexpr std::size_t kCleanupLeafCount = 7;
constexpr int kFirstCleanupBoxId = 10099;
constexpr int kLastCleanupBoxId = 10155;

// In tree order: Internet Explorer, Firefox, Opera, Chrome, Safari (under
// "Browsers"), Free space, History (under "Common").
const std::array<CleanupLeafInfo, kCleanupLeafCount>& CleanupLeaves();
constexpr std::size_t kFirstCommonLeaf = 5;

// The box's item in the flat order of CleanupSelection; kCleanupItemCount
// when its key or token is unknown (never, for the table above).
std::size_t CleanupItemOf(const CleanupBoxInfo& box);
