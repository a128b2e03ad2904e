// Chromium's "Bookmarks" (JSON): the URLs the history clean-up keeps.
#include "cleanup/browser_procedures.h"
#include "tools/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string file = fuzz::Scratch() + "/Bookmarks";
  fuzz::WriteFile(file, std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<std::string> urls;
  cleanup::ReadChromeBookmarkUrls(file, urls);
  return 0;
}
