// Looking rows up in a platform's location table is the same everywhere.
#include "os/cleanup_locations.h"

namespace os::cleanup_locations {

bool HasRow(std::string_view key, std::string_view token) {
  for (const Location& row : Table())
    if (key == row.key && token == row.token)
      return true;
  return false;
}

std::vector<Location> RowsOf(std::string_view key, std::string_view token) {
  std::vector<Location> out;
  for (const Location& row : Table())
    if (key == row.key && token == row.token)
      out.push_back(row);
  return out;
}

}  // namespace os::cleanup_locations
