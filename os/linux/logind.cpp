#include "os/linux/logind.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace os::logind {

namespace {

struct ConnectState {
  GDBusConnection* connection = nullptr;
  GError* error = nullptr;
  bool done = false;
  bool timedOut = false;
};

void OnConnected(GObject*, GAsyncResult* result, gpointer data) {
  auto* state = static_cast<ConnectState*>(data);
  state->connection = g_dbus_connection_new_for_address_finish(result, &state->error);
  state->done = true;
}

gboolean OnConnectTimeout(gpointer data) {
  static_cast<ConnectState*>(data)->timedOut = true;
  return G_SOURCE_REMOVE;
}

std::string Trim(std::string text) {
  const char* blanks = " \t\r\n";
  text.erase(0, text.find_first_not_of(blanks));
  text.erase(text.find_last_not_of(blanks) + 1);
  return text;
}

Error LocalError(const std::string& message) {
  Error error;
  error.code = 1;
  error.message = message;
  return error;
}

bool SessionPathFrom(GVariant* reply, std::string& path) {
  if (!reply)
    return false;
  const gchar* object = nullptr;
  g_variant_get(reply, "(&o)", &object);
  path = object;
  g_variant_unref(reply);
  return true;
}

}  // namespace

Error FromGError(const GError* error) {
  if (!error)
    return LocalError("unknown failure");
  Error out;
  out.code = error->code != 0 ? error->code : 1;
  gchar* remote = g_dbus_error_get_remote_error(error);
  GError* copy = g_error_copy(error);
  g_dbus_error_strip_remote_error(copy);
  if (remote) {
    out.name = remote;
    out.message = out.name + ": " + copy->message;
  } else {
    out.message = copy->message;
  }
  g_free(remote);
  g_error_free(copy);
  return out;
}

Bus::~Bus() {
  if (m_connection)
    g_object_unref(m_connection);
}

GDBusConnection* Bus::Release() {
  GDBusConnection* connection = m_connection;
  m_connection = nullptr;
  return connection;
}

bool Bus::Open(BusType type, Error& error) {
  GError* gerror = nullptr;
  gchar* address =
      g_dbus_address_get_for_bus_sync(type == BusType::System ? G_BUS_TYPE_SYSTEM : G_BUS_TYPE_SESSION, nullptr, &gerror);
  if (!address) {
    error = FromGError(gerror);
    g_error_free(gerror);
    return false;
  }
  // Autolaunching would start a bus of our own, which knows no desktop.
  if (g_str_has_prefix(address, "autolaunch:")) {
    g_free(address);
    error = LocalError("no session bus");
    return false;
  }

  // Connect asynchronously on a private context so a bus that accepts the
  // socket but never answers is given up after a while.
  GMainContext* context = g_main_context_new();
  g_main_context_push_thread_default(context);
  auto* state = new ConnectState;
  GCancellable* cancellable = g_cancellable_new();
  g_dbus_connection_new_for_address(
      address,
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, cancellable, OnConnected, state);
  GSource* timeout = g_timeout_source_new(kConnectTimeoutMs);
  g_source_set_callback(timeout, OnConnectTimeout, state, nullptr);
  g_source_attach(timeout, context);
  while (!state->done && !state->timedOut)
    g_main_context_iteration(context, TRUE);
  if (!state->done) {
    g_cancellable_cancel(cancellable);
    state->timedOut = false;
    g_source_destroy(timeout);
    g_source_unref(timeout);
    timeout = g_timeout_source_new(1000);
    g_source_set_callback(timeout, OnConnectTimeout, state, nullptr);
    g_source_attach(timeout, context);
    while (!state->done && !state->timedOut)
      g_main_context_iteration(context, TRUE);
  }
  g_source_destroy(timeout);
  g_source_unref(timeout);
  g_main_context_pop_thread_default(context);
  g_main_context_unref(context);
  g_object_unref(cancellable);
  g_free(address);

  if (!state->done) {
    // The connection attempt never came back even after cancelling: leave
    // its state to it rather than free what it may still write to.
    error = LocalError("the bus did not answer");
    return false;
  }
  bool ok = state->connection != nullptr;
  if (ok) {
    if (m_connection)
      g_object_unref(m_connection);
    m_connection = state->connection;
  } else {
    error = FromGError(state->error);
    g_error_free(state->error);
  }
  delete state;
  return ok;
}

GVariant* Bus::Call(const char* service, const char* path, const char* interface, const char* method, GVariant* args,
                    int timeoutMs, Error& error, GDBusCallFlags flags, GUnixFDList** outFds) const {
  if (!m_connection) {
    if (args)
      g_variant_unref(g_variant_ref_sink(args));
    error = LocalError("not connected");
    return nullptr;
  }
  GError* gerror = nullptr;
  GVariant* reply =
      outFds ? g_dbus_connection_call_with_unix_fd_list_sync(m_connection, service, path, interface, method, args,
                                                             nullptr, flags, timeoutMs, nullptr, outFds, nullptr,
                                                             &gerror)
             : g_dbus_connection_call_sync(m_connection, service, path, interface, method, args, nullptr, flags,
                                           timeoutMs, nullptr, &gerror);
  if (!reply) {
    error = FromGError(gerror);
    g_error_free(gerror);
  }
  return reply;
}

bool Bus::CallNoReply(const char* service, const char* path, const char* interface, const char* method,
                      GVariant* args, int timeoutMs, Error& error, GDBusCallFlags flags) const {
  GVariant* reply = Call(service, path, interface, method, args, timeoutMs, error, flags);
  if (!reply)
    return false;
  g_variant_unref(reply);
  return true;
}

bool IsUnknownMethod(const Error& error) { return error.name == "org.freedesktop.DBus.Error.UnknownMethod"; }

bool IsServiceMissing(const Error& error) {
  return error.name == "org.freedesktop.DBus.Error.ServiceUnknown" ||
         error.name == "org.freedesktop.DBus.Error.NameHasNoOwner";
}

std::string OwnSessionId() {
  const char* id = std::getenv("XDG_SESSION_ID");
  return id ? id : "";
}

bool FindOwnSession(const Bus& bus, std::string& path, Error& error) {
  std::string id = OwnSessionId();
  if (!id.empty()) {
    return SessionPathFrom(bus.Call(kService, kManagerPath, kManagerInterface, "GetSession",
                                    g_variant_new("(s)", id.c_str()), kQueryTimeoutMs, error),
                           path);
  }
  if (SessionPathFrom(bus.Call(kService, kManagerPath, kManagerInterface, "GetSessionByPID",
                               g_variant_new("(u)", static_cast<guint32>(::getpid())), kQueryTimeoutMs, error),
                      path))
    return true;
  if (IsServiceMissing(error))
    return false;
  // "auto": the caller's session, else the user's graphical one. Older logind
  // does not know it; then the first answer tells more.
  Error autoError;
  return SessionPathFrom(bus.Call(kService, kManagerPath, kManagerInterface, "GetSession", g_variant_new("(s)", "auto"),
                                  kQueryTimeoutMs, autoError),
                         path);
}

bool RunTool(const std::vector<std::string>& argv, Error& error) {
  std::vector<gchar*> args;
  for (const std::string& arg : argv)
    args.push_back(const_cast<gchar*>(arg.c_str()));
  args.push_back(nullptr);

  gchar* errors = nullptr;
  gint status = 0;
  GError* gerror = nullptr;
  auto flags = static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDIN_FROM_DEV_NULL);
  if (!g_spawn_sync(nullptr, args.data(), nullptr, flags, nullptr, nullptr, nullptr, &errors, &status, &gerror)) {
    error = FromGError(gerror);
    g_error_free(gerror);
    return false;
  }
  std::string text = Trim(errors ? errors : "");
  g_free(errors);
  if (g_spawn_check_wait_status(status, &gerror))
    return true;
  error = FromGError(gerror);
  g_error_free(gerror);
  error.message = argv.front() + ": " + (text.empty() ? error.message : text);
  return false;
}

}  // namespace os::logind
