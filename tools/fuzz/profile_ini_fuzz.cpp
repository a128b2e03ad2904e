// The ini reader behind the options and Firefox's ini files: any bytes read
// back without a crash, and a value written into any file reads back as
// written.
#include <fuzzer/FuzzedDataProvider.h>

#include "os/profile.h"
#include "tools/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(24);
  const std::string key = input.ConsumeRandomLengthString(24);
  const std::string value = input.ConsumeRandomLengthString(48);
  const std::string file = fuzz::Scratch() + "/options.ini";
  fuzz::WriteFile(file, input.ConsumeRemainingBytesAsString());

  os::profile::GetString(file, section, key, "$$default");
  const std::vector<std::string> sections = os::profile::SectionNames(file);
  for (const std::string& name : sections)
    FUZZ_CHECK(!name.empty());
  if (!sections.empty())
    os::profile::KeyNames(file, sections.back());
  os::profile::KeyNames(file, section);

  if (os::profile::WriteString(file, section, key, value))
    FUZZ_CHECK(os::profile::GetString(file, section, key, "$$default", value.size() + 1) == value);
  if (os::profile::DeleteKey(file, section, key))
    FUZZ_CHECK(os::profile::GetString(file, section, key, "$$default") == "$$default");
  if (os::profile::DeleteSection(file, section))
    FUZZ_CHECK(os::profile::KeyNames(file, section).empty());
  return 0;
}
