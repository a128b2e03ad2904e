#include "cleanup/runner.h"

#include <algorithm>
#include <string>

#include "app/clock.h"
#include "cleanup/catalogue.h"
#include "cleanup/item_context.h"
#include "os/browsers.h"
#include "os/dry_run.h"
#include "os/internet_cache.h"
#include "os/processes.h"

namespace cleanup {

namespace {

// After all browsers: the time their files need to be let go.
constexpr std::chrono::milliseconds kClosingPause{3000};
constexpr std::chrono::milliseconds kPoll{50};

bool FamilySelected(const CleanupSelection& selection, BrowserFamily family) {
  for (const CleanupItem& item : CleanupItems())
    if (item.browser == family && selection.Get(item.id))
      return true;
  return false;
}

}  // namespace

void CollectSelectedItems(ItemContext& context) {
  for (const CatalogueEntry& entry : Catalogue()) {
    if (!entry.collect || !context.Selected(entry.id))
      continue;
    context.SetRow(&ItemRow(entry.id));
    entry.collect(context);
  }
  context.SetRow(nullptr);
}

const std::vector<BrowserProcesses>& BrowserProcessTable() {
  static const std::vector<BrowserProcesses> table = {
      {BrowserFamily::InternetExplorer, os::internet_cache::ProcessNames(), std::chrono::milliseconds(2000)},
      {BrowserFamily::Firefox, os::browsers::ProcessNames(os::browsers::Family::Firefox),
       std::chrono::milliseconds(1000)},
      {BrowserFamily::Opera, os::browsers::ProcessNames(os::browsers::Family::Opera), std::chrono::milliseconds(1000)},
      {BrowserFamily::Chrome, os::browsers::ProcessNames(os::browsers::Family::Chromium),
       std::chrono::milliseconds(300)},
      {BrowserFamily::Safari, {}, std::chrono::milliseconds(1000)},
  };
  return table;
}

std::vector<std::uint32_t> CloseBrowsers(const CleanupSelection& selection, Clock& clock) {
  std::vector<std::uint32_t> asked;
  std::vector<os::processes::ProcessInfo> processes;
  if (!os::processes::List(processes))
    return asked;
  std::chrono::milliseconds budget = kClosingPause;
  for (const BrowserProcesses& browser : BrowserProcessTable()) {
    if (browser.executables.empty() || !FamilySelected(selection, browser.family))
      continue;
    for (const auto& process : processes) {
      const bool match = std::any_of(browser.executables.begin(), browser.executables.end(),
                                     [&](const char* name) { return os::processes::RunsExecutable(process, name); });
      if (!match || process.pid == os::processes::CurrentId())
        continue;
      if (!os::processes::Terminate(process.pid, true))
        os::processes::Terminate(process.pid, false);
      asked.push_back(process.pid);
      budget += browser.pause;
    }
  }
  // Nothing really ended under the dry-run switch: nothing to wait for.
  if (asked.empty() || os::dry_run::Active())
    return asked;
  const auto deadline = clock.Monotonic() + budget;
  while (clock.Monotonic() < deadline &&
         std::any_of(asked.begin(), asked.end(), [](std::uint32_t pid) { return os::processes::Running(pid); }))
    clock.Sleep(kPoll);
  // Asked and still there (a "close all tabs?" question, a hung window): its
  // files would stay locked, so it is ended now.
  for (std::uint32_t pid : asked)
    if (os::processes::Running(pid))
      os::processes::Terminate(pid, false);
  return asked;
}

}  // namespace cleanup
