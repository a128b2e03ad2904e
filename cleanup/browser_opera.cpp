// The Opera items: the files of the Opera 8-12 layouts, and today's Opera,
// which is built on Chromium and keeps Chromium's databases.
#include "app/task.h"
#include "cleanup/browser_procedures.h"
#include "os/browsers.h"
#include "os/sysinfo.h"

namespace cleanup {

namespace {

std::string Narrow(const wxString& text) { return text.utf8_string(); }

enum class Layout { None, Old, New };

// Refreshes the layout in use and says which one may be cleaned.
Layout OperaLegacyLayout(BrowserSink& sink, std::string& profile) {
  Task& task = sink.CurrentTask();
  Layout layout = Layout::None;
  int result = 0;
  if (task.OperaOldVersionCode > 0) {
    layout = Layout::Old;
    result = RefreshOperaOld(task, sink.Places());
  } else if (task.OperaNewVersionCode > 0) {
    layout = Layout::New;
    result = RefreshOperaNew(task, sink.IgnoreBrowserVersion(), sink.Places());
  } else {
    return Layout::None;
  }
  if (result == kOperaNoProfile) {
    sink.LogError(kOperaNoProfile, "Opera is not started yet or the profile folder structure is not good.");
    return Layout::None;
  }
  if (result == kOperaUnsupported) {
    sink.LogError(kOperaUnsupported, "Opera's Version currently not supported.");
    return Layout::None;
  }
  if (result != 0 && result != kOperaVersionUnreadable)
    return Layout::None;
  profile = Narrow(layout == Layout::Old ? task.OperaOldProfileFolder : task.OperaNewProfileFolder);
  if (profile.empty()) {
    sink.LogError(kBrowserNoPath);
    return Layout::None;
  }
  if (profile.back() != '/')
    profile += '/';
  return layout;
}

struct OperaFiles {
  std::vector<const char*> oldLayout;
  std::vector<const char*> newLayout;
};

void AddLegacyFiles(BrowserSink& sink, const OperaFiles& files) {
  std::string profile;
  Layout layout = OperaLegacyLayout(sink, profile);
  if (layout == Layout::None)
    return;
  for (const char* name : layout == Layout::Old ? files.oldLayout : files.newLayout)
    sink.AddFile(profile + name);
}

// Today's Opera in every packaging whose folder exists (the distribution's,
// the snap), unless a running Opera holds it.
template <typename Body>
void ForEachOperaToday(BrowserSink& sink, Body body) {
  for (const os::browsers::ChromiumBrowser& opera : os::browsers::OperaBrowsers())
    if (!ChromiumInUse(sink, opera.userDataFolder))
      body(opera);
}

struct CacheFolder {
  int base;  // 1: the profile's cache base, 2: the installation folder
  const char* name;
};

const std::vector<CacheFolder> kCacheOldest = {{1, "cacheOp"}, {2, "cacheOp"}};
const std::vector<CacheFolder> kCacheOld = {{1, "cache4"}, {1, "images"}, {1, "vps"}, {1, "opcache"}, {2, "opcache"}};
const std::vector<CacheFolder> kCacheNew = {{1, "cache"},  {1, "icons"},   {1, "temporary_downloads"},
                                            {1, "vps"},    {1, "opcache"}, {2, "opcache"}};

// The scripts Opera keeps in its cache folders are its own, not the user's traces.
bool KeepsOperaScripts(const std::string& name) { return name == "opcache" || name == "cacheOp"; }

}  // namespace

void OperaCache(BrowserSink& sink) {
  std::string profile;
  Layout layout = OperaLegacyLayout(sink, profile);
  if (layout != Layout::None) {
    const Task& task = sink.CurrentTask();
    bool multiUser = layout == Layout::Old ? task.OperaMultiUserOld : task.OperaMultiUserNew;
    // A single-user installation's profile is the administrator's to clean.
    std::string base1 = (multiUser || os::sysinfo::IsAdministrator()) ? profile : "";
    std::string base2 = Narrow(task.OperaInstallFolder);
    if (!base2.empty())
      base2 += "/";
    const std::vector<CacheFolder>& folders =
        layout == Layout::New ? kCacheNew : (task.OperaOldVersionCode <= 8 ? kCacheOldest : kCacheOld);
    bool reported = false;
    for (const CacheFolder& folder : folders) {
      const std::string& base = folder.base == 1 ? base1 : base2;
      if (base.empty()) {
        if (!reported)
          sink.LogError(kBrowserNoPath);
        reported = true;
        continue;
      }
      CollectOptions options;
      if (KeepsOperaScripts(folder.name))
        options.fileFilter = [](const std::string& path) {
          return path.find("opr00000.js") == std::string::npos && path.find("opr00001.js") == std::string::npos;
        };
      sink.CollectFolder(base + folder.name, options);
    }
  }
  ForEachOperaToday(sink, [&](const os::browsers::ChromiumBrowser& opera) {
    if (opera.cacheFolder.empty())
      sink.LogError(kBrowserNoPath);
    else
      CollectChromiumCache(sink, opera.cacheFolder, opera.userDataFolder, opera.userDataFolder);
  });
}

void OperaCookies(BrowserSink& sink) {
  AddLegacyFiles(sink, {{"cookies4.dat"}, {"cookies4.dat"}});
  ForEachOperaToday(sink, [&](const os::browsers::ChromiumBrowser& opera) { CleanChromiumCookies(sink, opera.userDataFolder); });
}

void OperaHistory(BrowserSink& sink) {
  AddLegacyFiles(sink, {{"global.dat", "opera.dir", "vlink4.dat"}, {"global_history.dat", "vlink4.dat"}});
  ForEachOperaToday(sink, [&](const os::browsers::ChromiumBrowser& opera) {
    CleanChromiumHistory(sink, opera.userDataFolder, kVisitsPart);
  });
}

void OperaDownload(BrowserSink& sink) {
  AddLegacyFiles(sink, {{"download.dat"}, {"download.dat"}});
  ForEachOperaToday(sink, [&](const os::browsers::ChromiumBrowser& opera) {
    CleanChromiumHistory(sink, opera.userDataFolder, kDownloadPart);
  });
}

void OperaSession(BrowserSink& sink) {
  std::string profile;
  if (OperaLegacyLayout(sink, profile) != Layout::None)
    sink.CollectFolder(profile + "sessions", {});
  ForEachOperaToday(sink, [&](const os::browsers::ChromiumBrowser& opera) {
    sink.CollectFolder(opera.userDataFolder + "/Sessions", {});
    sink.CollectFolder(opera.userDataFolder + "/Sessions_Encrypted", {});
  });
}

void OperaTypedUrls(BrowserSink& sink) {
  AddLegacyFiles(sink, {{"typed_history.xml"}, {"typed_history.xml"}});
  ForEachOperaToday(sink, [&](const os::browsers::ChromiumBrowser& opera) {
    CleanChromiumHistory(sink, opera.userDataFolder, kTypedPart);
  });
}

void OperaPasswords(BrowserSink& sink) {
  AddLegacyFiles(sink, {{"wand.dat"}, {"wand.dat"}});
  ForEachOperaToday(sink,
                    [&](const os::browsers::ChromiumBrowser& opera) { CleanChromiumPasswords(sink, opera.userDataFolder); });
}

}  // namespace cleanup
