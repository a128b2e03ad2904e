// Where the browsers of every packaging are found, and the locks of running
// browsers.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "os/browsers.h"
#include "tests/support/sandbox.h"

namespace fs = std::filesystem;

namespace {

TEST(BrowserRoots, EveryPackagingIsFoundOnceWithItsOwnCache) {
  Sandbox sandbox;
  const std::string home = sandbox.Home().string();
  const std::string config = sandbox.ConfigHome().string();
  for (const std::string& folder :
       {home + "/snap/firefox/common/.mozilla/firefox", home + "/.var/app/org.mozilla.firefox/.mozilla/firefox",
        home + "/snap/chromium/common/chromium", config + "/BraveSoftware/Brave-Browser", config + "/vivaldi",
        home + "/.var/app/com.google.Chrome/config/google-chrome", home + "/snap/opera/1234/.config/opera"})
    fs::create_directories(folder);
  fs::create_symlink("1234", home + "/snap/opera/current");
  // One folder reached by two rows is one browser.
  fs::create_directories(config + "/microsoft-edge");
  fs::create_directory_symlink(config + "/microsoft-edge", config + "/microsoft-edge-beta");

  std::vector<os::browsers::FirefoxRoot> firefox = os::browsers::FirefoxRoots();
  ASSERT_EQ(firefox.size(), 2u);
  EXPECT_EQ(firefox[0].cacheRoot, home + "/snap/firefox/common/.cache/mozilla/firefox");
  EXPECT_EQ(firefox[0].installFolders, std::vector<std::string>{"/snap/firefox/current/usr/lib/firefox"});
  EXPECT_EQ(firefox[1].cacheRoot, home + "/.var/app/org.mozilla.firefox/cache/mozilla/firefox");

  std::vector<std::string> names;
  for (const auto& browser : os::browsers::ChromiumBrowsers())
    names.push_back(browser.name);
  EXPECT_EQ(names, (std::vector<std::string>{"google-chrome (flatpak)", "chromium (snap)", "brave", "vivaldi",
                                             "microsoft-edge"}));
  EXPECT_EQ(os::browsers::ChromiumBrowsers()[1].cacheFolder, home + "/snap/chromium/common/.cache/chromium");
  std::vector<os::browsers::ChromiumBrowser> opera = os::browsers::OperaBrowsers();
  ASSERT_EQ(opera.size(), 1u);
  EXPECT_EQ(opera[0].cacheFolder, home + "/snap/opera/common/.cache/opera");
}

// A lock names a running browser only when its process is alive (and, for
// Chromium, of this machine); Firefox's .parentlock is asked of the kernel.
TEST(BrowserLocks, OnlyALiveProcessOfThisMachineHoldsAProfile) {
  Sandbox sandbox;
  const std::string folder = sandbox.Home().string() + "/profile";
  fs::create_directories(folder);
  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  const std::string me = std::to_string(getpid());
  const std::string gone = "2147483000";  // above any pid_max
  struct Case {
    os::browsers::Family family;
    const char* link;
    std::string target;
    bool inUse;
  };
  const Case cases[] = {
      {os::browsers::Family::Firefox, "lock", "127.0.1.1:+" + me, true},
      {os::browsers::Family::Firefox, "lock", "127.0.1.1:+" + gone, false},
      {os::browsers::Family::Firefox, "lock", "garbage", false},
      {os::browsers::Family::Chromium, "SingletonLock", std::string(host) + "-" + me, true},
      {os::browsers::Family::Chromium, "SingletonLock", "another-machine-" + me, false},
      {os::browsers::Family::Chromium, "SingletonLock", std::string(host) + "-" + gone, false},
  };
  std::string holder;
  for (const Case& c : cases) {
    fs::remove(folder + "/" + c.link);
    fs::create_symlink(c.target, folder + "/" + c.link);
    EXPECT_EQ(os::browsers::ProfileInUse(c.family, folder, holder), c.inUse) << c.target;
    EXPECT_EQ(holder.empty(), !c.inUse);
  }

  // .parentlock decides over the lock link, which still names us: unlocked
  // means free, a lock held by another process means in use.
  const std::string parentLock = folder + "/.parentlock";
  int fd = open(parentLock.c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  fs::remove(folder + "/lock");
  fs::create_symlink("127.0.1.1:+" + me, folder + "/lock");
  EXPECT_FALSE(os::browsers::ProfileInUse(os::browsers::Family::Firefox, folder, holder));
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  if (child == 0) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    char ok = fcntl(fd, F_SETLK, &lock) == 0 ? '1' : '0';
    (void)!write(ready[1], &ok, 1);
    pause();
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  EXPECT_EQ(ok, '1');
  EXPECT_TRUE(os::browsers::ProfileInUse(os::browsers::Family::Firefox, folder, holder));
  EXPECT_NE(holder.find(".parentlock"), std::string::npos);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  close(fd);
  close(ready[0]);
  close(ready[1]);
}

}  // namespace
