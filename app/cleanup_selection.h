#pragma once
// The clean-up items of the current task: one flag per (key, token) pair of
// the task file's CLEANUP section, in the order they are written.
#include <array>
#include <cstddef>
#include <vector>

constexpr std::size_t kCleanupKeyCount = 12;
constexpr std::size_t kCleanupItemCount = 57;

struct CleanupKey {
  const char* key;
  std::vector<const char*> tokens;
};

// The twelve keys with their tokens, in file order.
const std::array<CleanupKey, kCleanupKeyCount>& CleanupKeys();

// Index of the first item of a key in the flat list of 57 items.
std::size_t CleanupFirstItem(std::size_t keyIndex);

struct CleanupSelection {
  std::array<bool, kCleanupItemCount> items{};
  bool anySelected = false;

  bool Get(std::size_t keyIndex, std::size_t tokenIndex) const {
    return items[CleanupFirstItem(keyIndex) + tokenIndex];
  }
  void Set(std::size_t keyIndex, std::size_t tokenIndex, bool on) {
    items[CleanupFirstItem(keyIndex) + tokenIndex] = on;
  }
  void SelectAll(bool on);
  std::size_t CountSelected() const;
};
