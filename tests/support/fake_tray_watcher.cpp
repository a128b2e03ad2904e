#include "tests/support/fake_tray_watcher.h"

#include <gio/gio.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include <wx/app.h>

namespace {

constexpr const char* kWatcherXml = R"(<node>
 <interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
 </interface>
</node>)";

constexpr auto kWait = std::chrono::seconds(5);

}  // namespace

struct FakeTrayWatcher::State {
  GPid daemon = 0;
  GDBusConnection* panel = nullptr;
  GDBusNodeInfo* info = nullptr;
  guint object = 0;
  std::vector<std::string> items;
  size_t seen = 0;
  bool refuse = false;  // registrations WaitForItem has handed out
  bool hadAddress = false;
  std::string oldAddress;

  // A call to the item, answered while the main loop runs: the item answers
  // from this very thread.
  GVariant* Call(const char* path, const char* interface, const char* method, GVariant* parameters,
                 GError** error = nullptr) {
    struct Reply {
      GVariant* value = nullptr;
      GError* error = nullptr;
      bool done = false;
    } reply;
    const std::string name = items.empty() ? "" : items.back();
    g_dbus_connection_call(
        panel, name.c_str(), path, interface, method, parameters, nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
          auto* out = static_cast<Reply*>(data);
          out->value = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &out->error);
          out->done = true;
        },
        &reply);
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (!reply.done && std::chrono::steady_clock::now() < deadline)
      Pump();
    if (!reply.done)
      return nullptr;  // leaks the pending reply's slot; the test fails anyway
    if (reply.error) {
      if (error)
        *error = reply.error;
      else
        g_error_free(reply.error);
    }
    return reply.value;
  }

  GVariant* Property(const char* name) {
    GVariant* reply = Call("/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get",
                           g_variant_new("(ss)", "org.kde.StatusNotifierItem", name));
    if (!reply)
      return nullptr;
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    g_variant_unref(reply);
    return value;
  }

  bool NameOwned(const std::string& name) {
    GVariant* reply = g_dbus_connection_call_sync(panel, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", "NameHasOwner",
                                                  g_variant_new("(s)", name.c_str()), G_VARIANT_TYPE("(b)"),
                                                  G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    gboolean owned = false;
    if (reply) {
      g_variant_get(reply, "(b)", &owned);
      g_variant_unref(reply);
    }
    return owned;
  }
};

FakeTrayWatcher::FakeTrayWatcher(Mode mode) : m_state(std::make_unique<State>()) {
  State& s = *m_state;
  if (const char* old = std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
    s.hadAddress = true;
    s.oldAddress = old;
  }
  // A bus of our own; it prints its address once it listens.
  const gchar* argv[] = {"dbus-daemon", "--session", "--nofork", "--print-address=1", nullptr};
  gint out = -1;
  GError* error = nullptr;
  if (!g_spawn_async_with_pipes(nullptr, const_cast<gchar**>(argv), nullptr,
                                static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD), nullptr,
                                nullptr, &s.daemon, nullptr, &out, nullptr, &error)) {
    m_problem = error->message;
    g_error_free(error);
    return;
  }
  std::string line;
  char c = 0;
  while (read(out, &c, 1) == 1 && c != '\n')
    line += c;
  close(out);
  if (line.empty()) {
    m_problem = "dbus-daemon printed no address";
    return;
  }
  g_setenv("DBUS_SESSION_BUS_ADDRESS", line.c_str(), TRUE);
  const char* address = line.c_str();
  const auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                       G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
  s.panel = g_dbus_connection_new_for_address_sync(address, flags, nullptr, nullptr, &error);
  if (!s.panel) {
    m_problem = error->message;
    g_error_free(error);
    return;
  }
  if (mode == Mode::None)
    return;
  s.refuse = mode == Mode::Refuse;
  s.info = g_dbus_node_info_new_for_xml(kWatcherXml, nullptr);
  static const GDBusInterfaceVTable table = {
      [](GDBusConnection*, const gchar* sender, const gchar*, const gchar*, const gchar* method,
         GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data) {
        auto* state = static_cast<State*>(data);
        const gchar* service = nullptr;
        g_variant_get(parameters, "(&s)", &service);
        if (state->refuse)
          return g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.DBus.Error.Failed",
                                                             "the panel is full");
        if (std::string(method) == "RegisterStatusNotifierItem")
          // A path instead of a name means "the sender, at this path".
          state->items.push_back(service[0] == '/' ? sender : service);
        g_dbus_method_invocation_return_value(invocation, nullptr);
      },
      [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* property, GError**,
         gpointer data) -> GVariant* {
        auto* state = static_cast<State*>(data);
        const std::string name = property;
        if (name == "IsStatusNotifierHostRegistered")
          return g_variant_new_boolean(true);
        if (name == "ProtocolVersion")
          return g_variant_new_int32(0);
        GVariantBuilder items;
        g_variant_builder_init(&items, G_VARIANT_TYPE("as"));
        for (const std::string& item : state->items)
          g_variant_builder_add(&items, "s", item.c_str());
        return g_variant_builder_end(&items);
      },
      nullptr,
      {}};
  s.object = g_dbus_connection_register_object(s.panel, "/StatusNotifierWatcher", s.info->interfaces[0], &table, &s,
                                               nullptr, &error);
  GVariant* reply = g_dbus_connection_call_sync(
      s.panel, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
      g_variant_new("(su)", "org.kde.StatusNotifierWatcher", 4u), G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 5000,
      nullptr, &error);
  if (!reply) {
    m_problem = error->message;
    g_error_free(error);
    return;
  }
  g_variant_unref(reply);
}

FakeTrayWatcher::~FakeTrayWatcher() {
  State& s = *m_state;
  if (s.object)
    g_dbus_connection_unregister_object(s.panel, s.object);
  if (s.panel) {
    g_dbus_connection_close_sync(s.panel, nullptr, nullptr);
    g_object_unref(s.panel);
  }
  if (s.info)
    g_dbus_node_info_unref(s.info);
  if (s.daemon > 0) {
    kill(s.daemon, SIGTERM);
    waitpid(s.daemon, nullptr, 0);
    g_spawn_close_pid(s.daemon);
  }
  if (s.hadAddress)
    g_setenv("DBUS_SESSION_BUS_ADDRESS", s.oldAddress.c_str(), TRUE);
  else
    g_unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

void FakeTrayWatcher::Pump() {
  for (int round = 0; round < 10; ++round) {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    if (wxTheApp)
      wxTheApp->ProcessPendingEvents();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

std::string FakeTrayWatcher::WaitForItem() {
  const auto deadline = std::chrono::steady_clock::now() + kWait;
  while (m_state->items.size() <= m_state->seen && std::chrono::steady_clock::now() < deadline)
    Pump();
  if (m_state->items.size() <= m_state->seen)
    return "";
  m_state->seen = m_state->items.size();
  return m_state->items.back();
}

bool FakeTrayWatcher::ItemGone() {
  if (m_state->items.empty())
    return true;
  const auto deadline = std::chrono::steady_clock::now() + kWait;
  while (std::chrono::steady_clock::now() < deadline) {
    Pump();
    if (!m_state->NameOwned(m_state->items.back()))
      return true;
  }
  return false;
}

std::string FakeTrayWatcher::ToolTipTitle() {
  GVariant* value = m_state->Property("ToolTip");
  if (!value)
    return "<no tool-tip>";
  const gchar* title = nullptr;
  g_variant_get(value, "(&s@a(iiay)&s&s)", nullptr, nullptr, &title, nullptr);
  std::string out = title;
  g_variant_unref(value);
  return out;
}

std::vector<FakeTrayWatcher::Pixmap> FakeTrayWatcher::IconPixmaps() {
  std::vector<Pixmap> out;
  GVariant* value = m_state->Property("IconPixmap");
  if (!value)
    return out;
  GVariantIter iter;
  g_variant_iter_init(&iter, value);
  Pixmap pixmap;
  GVariant* bytes = nullptr;
  while (g_variant_iter_next(&iter, "(ii@ay)", &pixmap.width, &pixmap.height, &bytes)) {
    gsize size = 0;
    auto* data = static_cast<const unsigned char*>(g_variant_get_fixed_array(bytes, &size, 1));
    pixmap.argb.assign(data, data + size);
    out.push_back(pixmap);
    g_variant_unref(bytes);
  }
  g_variant_unref(value);
  return out;
}

std::vector<std::pair<int, std::string>> FakeTrayWatcher::Menu() {
  std::vector<std::pair<int, std::string>> out;
  GVariant* menuPath = m_state->Property("Menu");
  if (!menuPath)
    return out;
  const std::string path = g_variant_get_string(menuPath, nullptr);
  g_variant_unref(menuPath);
  // Panels ask before they show the menu; then read the layout.
  if (GVariant* about = m_state->Call(path.c_str(), "com.canonical.dbusmenu", "AboutToShow", g_variant_new("(i)", 0)))
    g_variant_unref(about);
  GVariant* reply = m_state->Call(path.c_str(), "com.canonical.dbusmenu", "GetLayout",
                                  g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)));
  if (!reply)
    return out;
  guint32 revision = 0;
  GVariant* children = nullptr;
  g_variant_get(reply, "(u(ia{sv}@av))", &revision, nullptr, nullptr, &children);
  GVariantIter iter;
  g_variant_iter_init(&iter, children);
  GVariant* child = nullptr;
  while (g_variant_iter_next(&iter, "v", &child)) {
    gint32 id = 0;
    GVariant* properties = nullptr;
    g_variant_get(child, "(i@a{sv}av)", &id, &properties, nullptr);
    const gchar* label = "";
    g_variant_lookup(properties, "label", "&s", &label);
    out.emplace_back(id, label);
    g_variant_unref(properties);
    g_variant_unref(child);
  }
  g_variant_unref(children);
  g_variant_unref(reply);
  return out;
}

bool FakeTrayWatcher::Click(int id) {
  GVariant* reply = m_state->Call("/MenuBar", "com.canonical.dbusmenu", "Event",
                                  g_variant_new("(isvu)", id, "clicked", g_variant_new_int32(0), 0u));
  if (!reply)
    return false;
  g_variant_unref(reply);
  Pump();
  return true;
}

bool FakeTrayWatcher::Activate() {
  GVariant* reply =
      m_state->Call("/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate", g_variant_new("(ii)", 0, 0));
  if (!reply)
    return false;
  g_variant_unref(reply);
  Pump();
  return true;
}
