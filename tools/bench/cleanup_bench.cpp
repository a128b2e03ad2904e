// Times a clean-up of a 50,000-file cache tree through the real main window
// (collection, worker, progress dialog on screen) against `rm -rf` of an
// identical tree made and synced in the same run.
//   dkwt_cleanup_bench [files=50000] [rounds=3]        timing, both items
//   dkwt_cleanup_bench --once <item> <root> [--log]     one clean-up of the tree
//       that make_cache_tree wrote into the item's folder below <root> (for strace)
// <item> is "temp" (<root>/tmp/cache, the shared temporary folder) or "cache"
// (<root>/home/.adobe/Flash_Player/AssetCache/cache, a private cache).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/timer.h>

#include "cleanup/catalogue.h"
#include "tools/bench/cache_tree.h"
#include "ui/cd_frame.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

fs::path g_root;
bool g_ownRoot = true;

void SetEnv(const char* name, const fs::path& value) { setenv(name, value.c_str(), 1); }

// A private home for the run; nothing outside it is cleaned.
void MakeSandbox(const std::string& given) {
  std::string pattern = (fs::temp_directory_path() / "dkwt-cleanup-bench-XXXXXX").string();
  g_ownRoot = given.empty();
  g_root = g_ownRoot ? fs::path(mkdtemp(pattern.data())) : fs::path(given);
  const fs::path home = g_root / "home";
  fs::create_directories(home / "Desktop");
  fs::create_directories(g_root / "tmp");
  SetEnv("HOME", home);
  SetEnv("XDG_DATA_HOME", home / ".local/share");
  SetEnv("XDG_CONFIG_HOME", home / ".config");
  SetEnv("XDG_CACHE_HOME", home / ".cache");
  SetEnv("TMP", g_root / "tmp");
  SetEnv("TMPDIR", g_root / "tmp");
  SetEnv("DKWT_DRY_RUN", g_root / "dry-run");
  SetEnv("DKWT_MOUNTINFO", "/dev/null");
}

fs::path ItemFolder(const std::string& item) {
  return item == "temp" ? g_root / "tmp" / "cache" : g_root / "home/.adobe/Flash_Player/AssetCache/cache";
}

// One clean-up of the item through the window; seconds from the start to the
// worker's end as the window sees it.
double CleanThroughWindow(CDFrame* frame, const std::string& item, bool log) {
  CleanupSelection selection;
  selection.Set(item == "temp" ? ItemId::FreeSpaceTemp : ItemId::FreeSpaceFlashPlayer, true);
  selection.anySelected = true;
  frame->m_cleanupSelection = selection;
  frame->m_settings.m_silentMode = false;
  frame->m_settings.m_logDeletedFiles = log;
  const auto start = Clock::now();
  frame->StartCleanup();
  // A nested loop that sleeps between events, as the real one does; a busy
  // loop here would take a processor from the worker.
  wxGUIEventLoop loop;
  wxTimer watch;
  watch.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (!frame->IsCleanupRunning())
      loop.Exit();
  });
  watch.Start(5);
  loop.Run();
  watch.Stop();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  frame->m_executeTimer.Stop();
  return seconds;
}

double RemoveWithRm(const fs::path& folder) {
  const auto start = Clock::now();
  const std::string command = "rm -rf '" + folder.string() + "'";
  if (std::system(command.c_str()) != 0)
    std::fprintf(stderr, "rm failed\n");
  return std::chrono::duration<double>(Clock::now() - start).count();
}

class BenchApp : public wxApp {
 public:
  BenchApp(std::vector<std::string> args) : m_args(std::move(args)) {}
  bool OnInit() override {
    const bool once = !m_args.empty() && m_args[0] == "--once";
    MakeSandbox(once && m_args.size() > 2 ? m_args[2] : std::string());
    m_frame = new CDFrame(nullptr, 6999, "Duskwatch v. 2.1", wxPoint(100, 100), wxSize(664, 529));
    m_frame->BuildControls();
    m_frame->Show();
    // The dialog needs the event loop running.
    CallAfter([this] {
      Run();
      m_frame->Destroy();
      ExitMainLoop();
    });
    return true;
  }
  int OnExit() override {
    std::error_code ignored;
    if (g_ownRoot)
      fs::remove_all(g_root, ignored);
    return 0;
  }

 private:
  void Run() {
    if (!m_args.empty() && m_args[0] == "--once") {
      const std::string item = m_args.size() > 1 ? m_args[1] : "cache";
      const bool log = m_args.size() > 3 && m_args[3] == "--log";
      std::printf("%s: %.3f s\n", item.c_str(), CleanThroughWindow(m_frame, item, log));
      // Traced, the toolkit's own threads can keep the process from ending;
      // the count is complete here.
      std::fflush(stdout);
      std::_Exit(0);
    }
    const int files = m_args.empty() ? 50000 : std::atoi(m_args[0].c_str());
    const int rounds = m_args.size() > 1 ? std::atoi(m_args[1].c_str()) : 3;
    for (const std::string item : {"temp", "cache"}) {
      std::vector<double> ratios;
      for (int round = 0; round < rounds; ++round) {
        const fs::path twin = g_root / "rm-twin";
        MakeCacheTree(ItemFolder(item), files);
        MakeCacheTree(twin, files);
        std::system("sync");
        // Alternate the order so that neither side always meets a warm cache.
        double ours = 0, rm = 0;
        if (round % 2 == 0) {
          ours = CleanThroughWindow(m_frame, item, false);
          rm = RemoveWithRm(twin);
        } else {
          rm = RemoveWithRm(twin);
          ours = CleanThroughWindow(m_frame, item, false);
        }
        std::printf("%-5s round %d: Duskwatch %.3f s, rm -rf %.3f s, ratio %.3f\n", item.c_str(), round, ours, rm,
                    ours / rm);
        ratios.push_back(ours / rm);
      }
      std::sort(ratios.begin(), ratios.end());
      std::printf("%-5s median ratio %.3f (%d files)\n", item.c_str(), ratios[ratios.size() / 2], files);
    }
  }

  std::vector<std::string> m_args;
  CDFrame* m_frame = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::vector<std::string> args(argv + 1, argv + argc);
  wxApp::SetInstance(new BenchApp(args));
  int fakeArgc = 1;
  return wxEntry(fakeArgc, argv);
}
