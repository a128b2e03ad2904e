// recently-used.xbel is never parsed: whatever is in it is replaced by the
// empty list. Any content, even a broken one, must end as exactly that.
#include "os/recent_documents.h"
#include "tools/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string file = fuzz::Scratch() + "/recently-used.xbel";
  fuzz::WriteFile(file, std::string_view(reinterpret_cast<const char*>(data), size));
  FUZZ_CHECK(os::recent_documents::ResetStore(file));
  FUZZ_CHECK(fuzz::ReadFile(file) == os::recent_documents::EmptyStore());
  return 0;
}
