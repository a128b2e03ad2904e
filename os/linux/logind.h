#pragma once
// Internal to the Linux platform layer: short-lived D-Bus connections to
// systemd-logind (and the desktop's session manager), the caller's session,
// and the command-line tools used when the bus cannot be reached.
#include <gio/gio.h>

#include <string>
#include <vector>

namespace os::logind {

inline constexpr const char* kService = "org.freedesktop.login1";
inline constexpr const char* kManagerPath = "/org/freedesktop/login1";
inline constexpr const char* kManagerInterface = "org.freedesktop.login1.Manager";
inline constexpr const char* kSessionInterface = "org.freedesktop.login1.Session";

// A hung bus must not hang the program: actions may wait for polkit's
// question, queries and the connection itself get less.
inline constexpr int kActionTimeoutMs = 25000;
inline constexpr int kQueryTimeoutMs = 5000;
inline constexpr int kConnectTimeoutMs = 5000;

struct Error {
  int code = 0;
  std::string name;     // the D-Bus error name, empty for local failures
  std::string message;  // "<name>: <text>" for D-Bus errors
};

Error FromGError(const GError* error);

enum class BusType { System, Session };

// A private connection to the bus the environment names at the time of the
// call (DBUS_SYSTEM_BUS_ADDRESS / DBUS_SESSION_BUS_ADDRESS). Nothing is cached,
// so a bus that was restarted or moved is found again next time.
class Bus {
 public:
  Bus() = default;
  ~Bus();
  Bus(const Bus&) = delete;
  Bus& operator=(const Bus&) = delete;

  bool Open(BusType type, Error& error);
  GDBusConnection* Connection() const { return m_connection; }
  // Hands the connection over (for subscriptions that outlive this object).
  GDBusConnection* Release();

  // Returns the reply (to be unreffed) or nullptr with the error. Consumes a
  // floating `args`. `outFds` receives the reply's file descriptors.
  GVariant* Call(const char* service, const char* path, const char* interface, const char* method, GVariant* args,
                 int timeoutMs, Error& error, GDBusCallFlags flags = G_DBUS_CALL_FLAGS_NONE,
                 GUnixFDList** outFds = nullptr) const;
  bool CallNoReply(const char* service, const char* path, const char* interface, const char* method, GVariant* args,
                   int timeoutMs, Error& error, GDBusCallFlags flags = G_DBUS_CALL_FLAGS_NONE) const;

 private:
  GDBusConnection* m_connection = nullptr;
};

bool IsUnknownMethod(const Error& error);
// logind is not on this bus at all, so the command-line tools are worth a try.
bool IsServiceMissing(const Error& error);

// The object path of the caller's session: XDG_SESSION_ID, else the session
// this process belongs to, else the user's display session (a program started
// by a user timer belongs to no session).
bool FindOwnSession(const Bus& bus, std::string& path, Error& error);

// The caller's session id for the command-line tools; empty when unknown.
std::string OwnSessionId();

// Runs a tool without a shell, searched on PATH; success is exit status 0.
bool RunTool(const std::vector<std::string>& argv, Error& error);

}  // namespace os::logind
