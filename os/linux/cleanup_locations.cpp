#include "os/cleanup_locations.h"

#include <cstdlib>

#include "os/folders.h"

namespace os::cleanup_locations {

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string XdgBase(const char* variable, const char* fallback) {
  const std::string value = Env(variable);
  // The XDG rules ignore relative values.
  if (!value.empty() && value.front() == '/')
    return value;
  const std::string home = Env("HOME");
  return home.empty() ? std::string() : home + "/" + fallback;
}

}  // namespace

const std::vector<Location>& Table() {
  static const std::vector<Location> rows = {
      {"Free_Space", "Temp", Root::Temp, "", What::FilesAndFolders},
      {"Free_Space", "RecycleBin", Root::DataHome, "Trash/files", What::FilesAndFolders},
      {"Free_Space", "RecycleBin", Root::DataHome, "Trash/info", What::FilesAndFolders},
      {"Free_Space", "RecycleBin", Root::DataHome, "Trash/expunged", What::FilesAndFolders},
      {"Free_Space", "Thumbnails", Root::CacheHome, "thumbnails", What::FilesOnly},
      {"Free_Space", "Thumbnails", Root::Home, ".thumbnails", What::FilesOnly},
      {"Free_Space", "FlashPlayer", Root::Home, ".adobe/Flash_Player/AssetCache", What::FilesAndFolders},
      {"Free_Space", "FlashPlayer", Root::Home, ".macromedia/Flash_Player", What::FilesAndFolders},
      {"Free_Space", "Java", Root::Home, ".java/deployment/", What::FilesAndFolders},
      {"History", "RecentDocumentsList", Root::DataHome, "recently-used.xbel", What::RecentStore},
      {"History", "RecentDocumentsList", Root::Home, ".recently-used.xbel", What::RecentStore},
      {"History", "RecentDocumentsList", Root::DataHome, "RecentDocuments", What::FilesOnly, ".desktop"},
  };
  return rows;
}

const std::vector<const char*>& SessionFiles() {
  static const std::vector<const char*> patterns = {
      "xauth_*",      ".Xauthority*", "serverauth.*", ".X*-lock",    // X authority and lock files
      "krb5cc_*",                                                     // Kerberos ticket caches
      "ssh-*",                                                        // ssh agents
      "systemd-private-*",                                            // services' private temporary folders
      ".ICE-unix",    ".X11-unix",    ".XIM-unix",    ".font-unix",  // the desktop's sockets
      "tmux-*",       "pulse-*",      "dbus-*",
  };
  return patterns;
}

bool ResolveRoot(Root root, std::string& path) {
  switch (root) {
    case Root::Home:
      path = Env("HOME");
      break;
    case Root::DataHome:
      path = XdgBase("XDG_DATA_HOME", ".local/share");
      break;
    case Root::ConfigHome:
      path = XdgBase("XDG_CONFIG_HOME", ".config");
      break;
    case Root::CacheHome:
      path = XdgBase("XDG_CACHE_HOME", ".cache");
      break;
    case Root::Temp:
      path = folders::TempFolder();
      break;
    case Root::InternetCache:
    case Root::InternetCookies:
    case Root::InternetHistory:
    case Root::BurnArea:
    case Root::SharedData:
      path.clear();
      break;
  }
  return !path.empty();
}

}  // namespace os::cleanup_locations
