// The table `crontab -l` prints: our entries are read from it, and removing
// one keeps every other line.
#include <fuzzer/FuzzedDataProvider.h>

#include "os/linux/crontab_parse.h"
#include "tools/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string name = input.ConsumeRandomLengthString(32);
  const std::string table = input.ConsumeRemainingBytesAsString();
  os::scheduler::crontab::Entries(table);
  bool found = false;
  const std::string kept = os::scheduler::crontab::WithoutEntry(table, name, found);
  FUZZ_CHECK(kept.size() <= table.size() && (found || kept == table));
  return 0;
}
