// Power actions, log off, the sleep inhibitor and sleep notifications through
// systemd-logind.
//
// What "force" means here:
//   not forced  PowerOff/Reboot/Suspend/Hibernate: <Method>WithFlags(flags=1,
//               SD_LOGIND_ROOT_CHECK_INHIBITORS) without interactive
//               authorisation, so block inhibitors stop the action even for
//               root; logind without the *WithFlags methods gets <Method>(false).
//               Log off: the desktop's session manager is asked to log out
//               (its inhibitors and unsaved documents have their say); with no
//               session manager the session is terminated.
//   forced      <Method>(true): root passes inhibitors, other users pass them
//               when polkit allows, asking for a password if it must.
//               Log off: logind terminates the session at once.
// Without a system bus: systemctl --no-ask-password <verb> (not forced) or
// systemctl -i <verb> (forced), and loginctl terminate-session <id|self>.
#include "os/power.h"

#include <unistd.h>

#include <map>
#include <mutex>

#include "os/dry_run.h"
#include "os/linux/logind.h"

namespace os::power {

namespace {

constexpr guint64 kRootCheckInhibitors = 1;

struct ActionInfo {
  const char* method;       // logind Manager method
  const char* systemctlVerb;
};

ActionInfo InfoOf(Action action) {
  switch (action) {
    case Action::PowerOff:
      return {"PowerOff", "poweroff"};
    case Action::Reboot:
      return {"Reboot", "reboot"};
    case Action::Suspend:
      return {"Suspend", "suspend"};
    case Action::Hibernate:
      return {"Hibernate", "hibernate"};
    case Action::LogOff:
      break;
  }
  return {"", ""};
}

void RecordDryRun(Action action, bool force) {
  const std::string forced = force ? "1" : "0";
  switch (action) {
    case Action::PowerOff:
      dry_run::Record("poweroff", {{"force", forced}});
      break;
    case Action::Reboot:
      dry_run::Record("reboot", {{"force", forced}});
      break;
    case Action::Suspend:
      dry_run::Record("suspend", {{"hibernate", "0"}, {"force", forced}});
      break;
    case Action::Hibernate:
      dry_run::Record("suspend", {{"hibernate", "1"}, {"force", forced}});
      break;
    case Action::LogOff:
      dry_run::Record("logoff", {{"force", forced}});
      break;
  }
}

Outcome Succeeded() {
  Outcome outcome;
  outcome.ok = true;
  return outcome;
}

Outcome Failed(const logind::Error& error) {
  Outcome outcome;
  outcome.errorCode = error.code != 0 ? error.code : 1;
  outcome.message = error.message;
  return outcome;
}

bool CallPowerMethod(const logind::Bus& bus, const char* method, bool force, logind::Error& error) {
  if (!force) {
    std::string withFlags = std::string(method) + "WithFlags";
    if (bus.CallNoReply(logind::kService, logind::kManagerPath, logind::kManagerInterface, withFlags.c_str(),
                        g_variant_new("(t)", kRootCheckInhibitors), logind::kActionTimeoutMs, error))
      return true;
    if (!logind::IsUnknownMethod(error))
      return false;
  }
  return bus.CallNoReply(logind::kService, logind::kManagerPath, logind::kManagerInterface, method,
                         g_variant_new("(b)", force ? TRUE : FALSE), logind::kActionTimeoutMs, error);
}

Outcome PowerAction(Action action, bool force) {
  ActionInfo info = InfoOf(action);
  logind::Error error;
  logind::Bus bus;
  if (bus.Open(logind::BusType::System, error)) {
    if (CallPowerMethod(bus, info.method, force, error))
      return Succeeded();
    if (!logind::IsServiceMissing(error))
      return Failed(error);
  }
  logind::Error toolError;
  if (logind::RunTool({"systemctl", force ? "-i" : "--no-ask-password", info.systemctlVerb}, toolError))
    return Succeeded();
  return Failed(toolError);
}

// The desktops' own log-out calls, tried in turn on the session bus.
struct SessionManager {
  const char* service;
  const char* path;
  const char* interface;
  const char* method;
  const char* argsFormat;  // GVariant text of the arguments
};

// GNOME (also Cinnamon, MATE, Budgie): mode 1 = no confirmation dialog,
// inhibitors still honoured. Xfce: no dialog, allow saving. KDE: plain logout.
constexpr SessionManager kSessionManagers[] = {
    {"org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager", "Logout", "(uint32 1,)"},
    {"org.xfce.SessionManager", "/org/xfce/SessionManager", "org.xfce.Session.Manager", "Logout", "(false, true)"},
    {"org.kde.Shutdown", "/Shutdown", "org.kde.Shutdown", "logout", "()"},
};

enum class Asked { Done, Failed, NoManager };

bool IsAbsent(const logind::Error& error) {
  return logind::IsServiceMissing(error) || logind::IsUnknownMethod(error) ||
         error.name == "org.freedesktop.DBus.Error.UnknownObject" ||
         error.name == "org.freedesktop.DBus.Error.UnknownInterface";
}

Asked AskSessionManager(logind::Error& error) {
  logind::Bus bus;
  logind::Error ignored;
  if (!bus.Open(logind::BusType::Session, ignored))
    return Asked::NoManager;
  for (const SessionManager& manager : kSessionManagers) {
    GVariant* args = g_variant_new_parsed(manager.argsFormat);
    if (bus.CallNoReply(manager.service, manager.path, manager.interface, manager.method, args,
                        logind::kActionTimeoutMs, error, G_DBUS_CALL_FLAGS_NO_AUTO_START))
      return Asked::Done;
    if (!IsAbsent(error))
      return Asked::Failed;
  }
  return Asked::NoManager;
}

Outcome TerminateOwnSession() {
  logind::Error error;
  logind::Bus bus;
  if (bus.Open(logind::BusType::System, error)) {
    std::string path;
    if (logind::FindOwnSession(bus, path, error) &&
        bus.CallNoReply(logind::kService, path.c_str(), logind::kSessionInterface, "Terminate", nullptr,
                        logind::kActionTimeoutMs, error))
      return Succeeded();
    if (!logind::IsServiceMissing(error))
      return Failed(error);
  }
  std::string id = logind::OwnSessionId();
  logind::Error toolError;
  if (logind::RunTool({"loginctl", "terminate-session", id.empty() ? "self" : id}, toolError))
    return Succeeded();
  return Failed(toolError);
}

Outcome LogOff(bool force) {
  if (!force) {
    logind::Error error;
    switch (AskSessionManager(error)) {
      case Asked::Done:
        return Succeeded();
      case Asked::Failed:
        return Failed(error);
      case Asked::NoManager:
        break;
    }
  }
  return TerminateOwnSession();
}

// The inhibitor: a file descriptor from logind, held until released.
std::mutex g_inhibitorMutex;
int g_inhibitorFd = -1;
bool g_inhibitorRecorded = false;  // held under the dry-run switch

// Sleep-signal subscriptions: each keeps its own connection alive.
struct Subscription {
  GDBusConnection* connection = nullptr;
  guint signalId = 0;
};
std::mutex g_subscriptionMutex;
std::map<unsigned, Subscription> g_subscriptions;
unsigned g_nextSubscription = 1;

void OnPrepareForSleep(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                       gpointer data) {
  if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)")))
    return;
  gboolean goingToSleep = FALSE;
  g_variant_get(parameters, "(b)", &goingToSleep);
  const auto& callback = *static_cast<SleepCallback*>(data);
  if (callback)
    callback(goingToSleep != FALSE);
}

void DeleteCallback(gpointer data) { delete static_cast<SleepCallback*>(data); }

}  // namespace

bool EnableShutdownPrivilege(int& failedStep) {
  failedStep = 0;
  return true;
}

Outcome Perform(Action action, bool force) {
  if (dry_run::Active()) {
    RecordDryRun(action, force);
    return Succeeded();
  }
  if (action == Action::LogOff)
    return LogOff(force);
  return PowerAction(action, force);
}

bool HoldSleepInhibitor(const std::string& why) {
  std::lock_guard<std::mutex> lock(g_inhibitorMutex);
  if (g_inhibitorFd >= 0 || g_inhibitorRecorded)
    return true;
  if (dry_run::Active()) {
    dry_run::Record("inhibit", {{"what", "sleep:idle"}, {"mode", "block"}});
    g_inhibitorRecorded = true;
    return true;
  }
  logind::Error error;
  logind::Bus bus;
  if (!bus.Open(logind::BusType::System, error))
    return false;
  GUnixFDList* fds = nullptr;
  GVariant* reply = bus.Call(logind::kService, logind::kManagerPath, logind::kManagerInterface, "Inhibit",
                             g_variant_new("(ssss)", "sleep:idle", "Duskwatch", why.c_str(), "block"),
                             logind::kQueryTimeoutMs, error, G_DBUS_CALL_FLAGS_NONE, &fds);
  if (!reply)
    return false;
  gint32 index = -1;
  if (g_variant_is_of_type(reply, G_VARIANT_TYPE("(h)")))
    g_variant_get(reply, "(h)", &index);
  g_variant_unref(reply);
  if (fds) {
    // The list closes its own copies; ours is a close-on-exec duplicate, so
    // launched programs cannot keep the machine awake after we let go.
    if (index >= 0 && index < g_unix_fd_list_get_length(fds))
      g_inhibitorFd = g_unix_fd_list_get(fds, index, nullptr);
    g_object_unref(fds);
  }
  return g_inhibitorFd >= 0;
}

void ReleaseSleepInhibitor() {
  std::lock_guard<std::mutex> lock(g_inhibitorMutex);
  if (g_inhibitorFd >= 0) {
    ::close(g_inhibitorFd);
    g_inhibitorFd = -1;
  }
  if (g_inhibitorRecorded) {
    dry_run::Record("uninhibit");
    g_inhibitorRecorded = false;
  }
}

bool SleepInhibitorHeld() {
  std::lock_guard<std::mutex> lock(g_inhibitorMutex);
  return g_inhibitorFd >= 0 || g_inhibitorRecorded;
}

unsigned SubscribeSleepSignal(SleepCallback callback) {
  logind::Error error;
  logind::Bus bus;
  if (!bus.Open(logind::BusType::System, error))
    return 0;
  // Delivered in the caller's (the GUI thread's) main context.
  guint signalId = g_dbus_connection_signal_subscribe(
      bus.Connection(), logind::kService, logind::kManagerInterface, "PrepareForSleep", logind::kManagerPath, nullptr,
      G_DBUS_SIGNAL_FLAGS_NONE, OnPrepareForSleep, new SleepCallback(std::move(callback)), DeleteCallback);
  // One round trip: the bus has the match rule once this returns, so no
  // signal sent after the subscription is missed.
  if (!bus.CallNoReply("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetId", nullptr,
                       logind::kQueryTimeoutMs, error)) {
    g_dbus_connection_signal_unsubscribe(bus.Connection(), signalId);
    return 0;
  }
  std::lock_guard<std::mutex> lock(g_subscriptionMutex);
  unsigned id = g_nextSubscription++;
  g_subscriptions[id] = {bus.Release(), signalId};
  return id;
}

void UnsubscribeSleepSignal(unsigned id) {
  Subscription subscription;
  {
    std::lock_guard<std::mutex> lock(g_subscriptionMutex);
    auto found = g_subscriptions.find(id);
    if (found == g_subscriptions.end())
      return;
    subscription = found->second;
    g_subscriptions.erase(found);
  }
  g_dbus_connection_signal_unsubscribe(subscription.connection, subscription.signalId);
  g_object_unref(subscription.connection);
}

}  // namespace os::power
