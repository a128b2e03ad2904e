#include "os/idle.h"

namespace os::idle {

const char* SourceName(Source source) {
  switch (source) {
    case Source::MutterIdleMonitor: return "org.gnome.Mutter.IdleMonitor";
    case Source::ExtIdleNotify: return "ext_idle_notify_v1";
    case Source::KdeIdle: return "org_kde_kwin_idle";
    case Source::XScreenSaver: return "MIT-SCREEN-SAVER";
    case Source::Logind: return "logind IdleHint";
    case Source::Windows: return "GetLastInputInfo";
    case Source::None: break;
  }
  return "none";
}

}  // namespace os::idle
