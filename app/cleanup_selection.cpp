#include "app/cleanup_selection.h"

#include <algorithm>

void CleanupSelection::SelectAll(bool on) {
  m_items.fill(on);
  anySelected = on;
}

std::size_t CleanupSelection::CountSelected() const {
  return static_cast<std::size_t>(std::count(m_items.begin(), m_items.end(), true));
}
