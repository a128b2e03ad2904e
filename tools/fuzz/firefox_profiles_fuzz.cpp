// Firefox's profiles.ini and installs.ini choose the profile folder the
// clean-up works in. Input: profiles.ini, then installs.ini after a line
// "#--next-file--".
#include <cstdlib>

#include <wx/init.h>

#include "app/task.h"
#include "cleanup/browser_discovery.h"
#include "tools/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static wxInitializer toolkit;
  ::setenv("HOME", fuzz::Scratch().c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string root = fuzz::Scratch() + "/.mozilla/firefox";
  std::vector<std::string_view> files = fuzz::Parts(data, size, 2);
  fuzz::WriteFile(root + "/profiles.ini", files[0]);
  fuzz::WriteFile(root + "/installs.ini", files[1]);
  Task task;
  if (cleanup::LookUpFirefoxProfile(task) == 0)
    FUZZ_CHECK(!task.FirefoxProfileFolder.empty() && !task.FirefoxProfileRelativePath.empty());
  cleanup::DiscoverBrowserFields(task, false, cleanup::BrowserPlaces{});
  cleanup::FirefoxProfileBase(task);
  cleanup::FirefoxHistoryFile(task);
  return 0;
}
