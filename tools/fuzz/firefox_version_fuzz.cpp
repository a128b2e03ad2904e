// The Firefox version comes from an installation's application.ini, or else
// from the profile's compatibility.ini. Input: application.ini, then
// compatibility.ini after a line "#--next-file--".
#include <cstdlib>

#include <wx/init.h>

#include "app/task.h"
#include "cleanup/browser_discovery.h"
#include "os/browsers.h"
#include "tools/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static wxInitializer toolkit;
  ::setenv("HOME", fuzz::Scratch().c_str(), 1);
  fuzz::WriteFile(fuzz::Scratch() + "/.mozilla/firefox/profiles.ini",
                  "[Profile0]\nName=default\nIsRelative=1\nPath=p.default\nDefault=1\n");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string install = fuzz::Scratch() + "/firefox";
  std::vector<std::string_view> files = fuzz::Parts(data, size, 2);
  fuzz::WriteFile(install + "/application.ini", files[0]);
  fuzz::WriteFile(fuzz::Scratch() + "/.mozilla/firefox/p.default/compatibility.ini", files[1]);

  std::string version;
  if (os::browsers::InstalledFirefoxVersion({install}, version)) {
    cleanup::FirefoxVersionCodeOf(version, false, 0);
    cleanup::FirefoxVersionCodeOf(version, true, 0);
    cleanup::FirefoxVersionNumberOf(version);
  }
  for (const std::vector<std::string>& installs : {std::vector<std::string>{install}, std::vector<std::string>{}}) {
    cleanup::BrowserPlaces places;
    places.firefoxInstallFolders = installs;
    Task task;
    cleanup::DiscoverBrowserFields(task, false, places);
    cleanup::FirefoxHistoryFile(task);
    cleanup::FirefoxCookiesFile(task);
  }
  return 0;
}
