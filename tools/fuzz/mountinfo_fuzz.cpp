// Lines of /proc/self/mountinfo (or the table a test gives): the trash code
// takes mount points from them.
#include <sstream>

#include "os/linux/mountinfo.h"
#include "tools/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream table(std::string(reinterpret_cast<const char*>(data), size));
  std::string line;
  while (std::getline(table, line)) {
    os::mountinfo::Mount mount;
    if (os::mountinfo::ParseLine(line, mount))
      FUZZ_CHECK(mount.point.size() <= line.size() && !mount.options.empty());
  }
  return 0;
}
