// Java's deployment.properties names the cache folder the clean-up walks.
#include "cleanup/java_deployment.h"
#include "tools/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string file = fuzz::Scratch() + "/deployment.properties";
  fuzz::WriteFile(file, std::string_view(reinterpret_cast<const char*>(data), size));
  FUZZ_CHECK(cleanup::JavaCacheDirectory(file).size() <= size);
  return 0;
}
