// Chromium's "Local State" (JSON) lists the profiles whose folders are cleaned:
// only plain folder names may come out of it.
#include "os/browsers.h"
#include "tools/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string folder = fuzz::Scratch() + "/chromium";
  fuzz::WriteFile(folder + "/Local State", std::string_view(reinterpret_cast<const char*>(data), size));
  for (const std::string& name : os::browsers::ChromiumProfileNames(folder))
    FUZZ_CHECK(!name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos);
  return 0;
}
