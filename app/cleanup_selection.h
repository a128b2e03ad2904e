#pragma once
// The clean-up items of the current task: one flag per item.
#include <array>
#include <cstddef>

#include "app/cleanup_items.h"

struct CleanupSelection {
  bool anySelected = false;

  bool Get(ItemId id) const { return m_items[static_cast<std::size_t>(id)]; }
  void Set(ItemId id, bool on) { m_items[static_cast<std::size_t>(id)] = on; }
  void SelectAll(bool on);
  std::size_t CountSelected() const;
  bool operator==(const CleanupSelection&) const = default;

 private:
  std::array<bool, kCleanupItemCount> m_items{};
};
