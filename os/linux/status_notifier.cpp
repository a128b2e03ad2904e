// The tray icon of today's panels: a StatusNotifierItem with a
// com.canonical.dbusmenu menu, registered with org.kde.StatusNotifierWatcher.
// Our own over GDBus rather than libappindicator: that one has no tool-tip
// and takes icons only as theme names or files, while ours changes both
// every second from pixels in memory.
#include <gio/gio.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <wx/bitmap.h>
#include <wx/image.h>

#include "os/linux/tray_internal.h"

namespace os::tray {

namespace {

constexpr const char* kWatcherName = "org.kde.StatusNotifierWatcher";
constexpr const char* kWatcherPath = "/StatusNotifierWatcher";
constexpr const char* kItemPath = "/StatusNotifierItem";
constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
constexpr const char* kMenuPath = "/MenuBar";
constexpr const char* kMenuInterface = "com.canonical.dbusmenu";
constexpr int kCallTimeoutMs = 2000;

constexpr const char* kIntrospection = R"xml(<node>
 <interface name="org.kde.StatusNotifierItem">
  <property name="Category" type="s" access="read"/>
  <property name="Id" type="s" access="read"/>
  <property name="Title" type="s" access="read"/>
  <property name="Status" type="s" access="read"/>
  <property name="WindowId" type="i" access="read"/>
  <property name="IconThemePath" type="s" access="read"/>
  <property name="IconName" type="s" access="read"/>
  <property name="IconPixmap" type="a(iiay)" access="read"/>
  <property name="OverlayIconName" type="s" access="read"/>
  <property name="OverlayIconPixmap" type="a(iiay)" access="read"/>
  <property name="AttentionIconName" type="s" access="read"/>
  <property name="AttentionIconPixmap" type="a(iiay)" access="read"/>
  <property name="AttentionMovieName" type="s" access="read"/>
  <property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
  <property name="ItemIsMenu" type="b" access="read"/>
  <property name="Menu" type="o" access="read"/>
  <method name="ContextMenu"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
  <method name="Activate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
  <method name="SecondaryActivate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
  <method name="Scroll"><arg name="delta" type="i" direction="in"/><arg name="orientation" type="s" direction="in"/></method>
  <signal name="NewTitle"/>
  <signal name="NewIcon"/>
  <signal name="NewAttentionIcon"/>
  <signal name="NewOverlayIcon"/>
  <signal name="NewToolTip"/>
  <signal name="NewStatus"><arg name="status" type="s"/></signal>
 </interface>
 <interface name="com.canonical.dbusmenu">
  <property name="Version" type="u" access="read"/>
  <property name="TextDirection" type="s" access="read"/>
  <property name="Status" type="s" access="read"/>
  <property name="IconThemePath" type="as" access="read"/>
  <method name="GetLayout">
   <arg name="parentId" type="i" direction="in"/><arg name="recursionDepth" type="i" direction="in"/>
   <arg name="propertyNames" type="as" direction="in"/>
   <arg name="revision" type="u" direction="out"/><arg name="layout" type="(ia{sv}av)" direction="out"/>
  </method>
  <method name="GetGroupProperties">
   <arg name="ids" type="ai" direction="in"/><arg name="propertyNames" type="as" direction="in"/>
   <arg name="properties" type="a(ia{sv})" direction="out"/>
  </method>
  <method name="GetProperty">
   <arg name="id" type="i" direction="in"/><arg name="name" type="s" direction="in"/>
   <arg name="value" type="v" direction="out"/>
  </method>
  <method name="Event">
   <arg name="id" type="i" direction="in"/><arg name="eventId" type="s" direction="in"/>
   <arg name="data" type="v" direction="in"/><arg name="timestamp" type="u" direction="in"/>
  </method>
  <method name="EventGroup">
   <arg name="events" type="a(isvu)" direction="in"/><arg name="idErrors" type="ai" direction="out"/>
  </method>
  <method name="AboutToShow">
   <arg name="id" type="i" direction="in"/><arg name="needUpdate" type="b" direction="out"/>
  </method>
  <method name="AboutToShowGroup">
   <arg name="ids" type="ai" direction="in"/>
   <arg name="updatesNeeded" type="ai" direction="out"/><arg name="idErrors" type="ai" direction="out"/>
  </method>
  <signal name="ItemsPropertiesUpdated"><arg type="a(ia{sv})"/><arg type="a(ias)"/></signal>
  <signal name="LayoutUpdated"><arg name="revision" type="u"/><arg name="parent" type="i"/></signal>
  <signal name="ItemActivationRequested"><arg name="id" type="i"/><arg name="timestamp" type="u"/></signal>
 </interface>
</node>)xml";

// The session bus's address, without GLib's X11 autolaunch (which would
// start a bus of its own when the session has none).
std::string SessionBusAddress() {
  if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
    return address;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
    std::error_code error;
    const std::filesystem::path socket = std::filesystem::path(runtime) / "bus";
    if (std::filesystem::exists(socket, error))
      return "unix:path=" + socket.string();
  }
  return {};
}

GDBusConnection* ConnectSessionBus(GError** error) {
  const std::string address = SessionBusAddress();
  if (address.empty())
    return nullptr;
  const auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                       G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
  return g_dbus_connection_new_for_address_sync(address.c_str(), flags, nullptr, nullptr, error);
}

GDBusNodeInfo* Introspection() {
  static GDBusNodeInfo* info = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
  return info;
}

// dbusmenu reads "_" as a mnemonic mark.
std::string MenuLabel(const std::string& label) {
  std::string out;
  for (char c : label) {
    out += c;
    if (c == '_')
      out += '_';
  }
  return out;
}

GVariant* EmptyPixmaps() { return g_variant_new_array(G_VARIANT_TYPE("(iiay)"), nullptr, 0); }

// Every picture of the bundle as ARGB32 in network byte order.
std::vector<std::vector<unsigned char>> Pixmaps(const wxIconBundle& pictures, std::vector<wxSize>& sizes) {
  std::vector<std::vector<unsigned char>> out;
  for (size_t index = 0; index < pictures.GetIconCount(); ++index) {
    const wxIcon icon = pictures.GetIconByIndex(index);
    if (!icon.IsOk())
      continue;
    wxBitmap bitmap;
    bitmap.CopyFromIcon(icon);
    const wxImage image = bitmap.ConvertToImage();
    if (!image.IsOk())
      continue;
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    std::vector<unsigned char> argb;
    argb.reserve(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        argb.push_back(image.HasAlpha() ? image.GetAlpha(x, y) : (image.IsTransparent(x, y) ? 0 : 255));
        argb.push_back(image.GetRed(x, y));
        argb.push_back(image.GetGreen(x, y));
        argb.push_back(image.GetBlue(x, y));
      }
    sizes.emplace_back(width, height);
    out.push_back(std::move(argb));
  }
  return out;
}

class StatusNotifier : public Icon {
 public:
  StatusNotifier(GDBusConnection* bus, Handlers handlers)
      : m_bus(bus), m_handlers(std::move(handlers)), m_cancellable(g_cancellable_new()) {}

  bool Export(GError** error) {
    static const GDBusInterfaceVTable itemTable = {&StatusNotifier::ItemCall, &StatusNotifier::ItemProperty, nullptr,
                                                   {}};
    static const GDBusInterfaceVTable menuTable = {&StatusNotifier::MenuCall, &StatusNotifier::MenuProperty, nullptr,
                                                   {}};
    GDBusNodeInfo* info = Introspection();
    if (!info)
      return false;
    m_itemObject = g_dbus_connection_register_object(m_bus, kItemPath, info->interfaces[0], &itemTable, this,
                                                     nullptr, error);
    if (m_itemObject == 0)
      return false;
    m_menuObject = g_dbus_connection_register_object(m_bus, kMenuPath, info->interfaces[1], &menuTable, this,
                                                     nullptr, error);
    if (m_menuObject == 0)
      return false;
    // A panel that starts (or restarts) later gets the item too.
    m_watcherWatch = g_bus_watch_name_on_connection(m_bus, kWatcherName, G_BUS_NAME_WATCHER_FLAGS_NONE,
                                                    &StatusNotifier::WatcherAppeared,
                                                    &StatusNotifier::WatcherVanished, this, nullptr);
    return true;
  }

  ~StatusNotifier() override {
    g_cancellable_cancel(m_cancellable);
    if (m_watcherWatch)
      g_bus_unwatch_name(m_watcherWatch);
    if (m_nameOwner)
      g_bus_unown_name(m_nameOwner);
    if (m_itemObject)
      g_dbus_connection_unregister_object(m_bus, m_itemObject);
    if (m_menuObject)
      g_dbus_connection_unregister_object(m_bus, m_menuObject);
    if (m_pixmaps)
      g_variant_unref(m_pixmaps);
    g_dbus_connection_close_sync(m_bus, nullptr, nullptr);
    g_object_unref(m_cancellable);
    g_object_unref(m_bus);
  }

  bool Show(const wxIconBundle& pictures, const std::string& toolTip) override {
    std::vector<wxSize> sizes;
    auto pixmaps = Pixmaps(pictures, sizes);
    if (pixmaps != m_pixels || !m_pixmaps) {
      m_pixels = std::move(pixmaps);
      SetPixmaps(sizes);
      Emit(kItemPath, kItemInterface, "NewIcon", nullptr);
    }
    if (toolTip != m_toolTip) {
      m_toolTip = toolTip;
      Emit(kItemPath, kItemInterface, "NewToolTip", nullptr);
    }
    RefreshMenu();
    if (!m_shown) {
      // A name of our own per showing: giving it up is what removes the item from every panel.
      m_shown = true;
      m_failed = false;
      m_name = "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" + std::to_string(++m_showings);
      m_nameOwner = g_bus_own_name_on_connection(m_bus, m_name.c_str(), G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE,
                                                 &StatusNotifier::NameAcquired, &StatusNotifier::NameLost, this,
                                                 nullptr);
    }
    return !m_failed;
  }

  bool Remove() override {
    if (!m_shown)
      return false;
    m_shown = false;
    m_nameAcquired = false;
    g_bus_unown_name(m_nameOwner);
    m_nameOwner = 0;
    return true;
  }

  bool Shown() const override { return m_shown && !m_failed; }

 private:
  void SetPixmaps(const std::vector<wxSize>& sizes) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a(iiay)"));
    for (size_t index = 0; index < m_pixels.size(); ++index) {
      GVariant* bytes = g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, m_pixels[index].data(),
                                                  m_pixels[index].size(), 1);
      g_variant_builder_add(&builder, "(ii@ay)", sizes[index].x, sizes[index].y, bytes);
    }
    if (m_pixmaps)
      g_variant_unref(m_pixmaps);
    m_pixmaps = g_variant_ref_sink(g_variant_builder_end(&builder));
  }

  void Emit(const char* path, const char* interface, const char* signal, GVariant* parameters) {
    GError* error = nullptr;
    if (!g_dbus_connection_emit_signal(m_bus, nullptr, path, interface, signal, parameters, &error))
      Fail(error);
  }

  void Fail(GError* error) {
    if (m_handlers.failed)
      m_handlers.failed(error && error->code ? error->code : 1,
                        std::string("tray icon: ") + (error ? error->message : "the session bus refused it"));
    if (error)
      g_error_free(error);
  }

  void Register() {
    if (!m_shown || !m_nameAcquired || !m_watcherPresent)
      return;
    g_dbus_connection_call(m_bus, kWatcherName, kWatcherPath, kWatcherName, "RegisterStatusNotifierItem",
                           g_variant_new("(s)", m_name.c_str()), nullptr, G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs,
                           m_cancellable, &StatusNotifier::Registered, this);
  }

  static void Registered(GObject* source, GAsyncResult* result, gpointer data) {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    if (reply) {
      g_variant_unref(reply);
      return;
    }
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
      g_error_free(error);
      return;
    }
    auto* self = static_cast<StatusNotifier*>(data);
    self->m_failed = true;
    self->Fail(error);
  }

  static void NameAcquired(GDBusConnection*, const gchar*, gpointer data) {
    auto* self = static_cast<StatusNotifier*>(data);
    self->m_nameAcquired = true;
    self->Register();
  }

  static void NameLost(GDBusConnection*, const gchar* name, gpointer data) {
    auto* self = static_cast<StatusNotifier*>(data);
    self->m_nameAcquired = false;
    if (!self->m_shown)
      return;
    self->m_failed = true;
    GError* error = g_error_new(G_IO_ERROR, G_IO_ERROR_EXISTS, "cannot own the bus name %s", name);
    self->Fail(error);
  }

  static void WatcherAppeared(GDBusConnection*, const gchar*, const gchar*, gpointer data) {
    auto* self = static_cast<StatusNotifier*>(data);
    self->m_watcherPresent = true;
    self->Register();
  }

  static void WatcherVanished(GDBusConnection*, const gchar*, gpointer data) {
    static_cast<StatusNotifier*>(data)->m_watcherPresent = false;
  }

  // ---- org.kde.StatusNotifierItem ----

  static GVariant* ItemProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* property,
                                GError** error, gpointer data) {
    auto* self = static_cast<StatusNotifier*>(data);
    const std::string name = property;
    if (name == "Category")
      return g_variant_new_string("ApplicationStatus");
    if (name == "Id")
      return g_variant_new_string("duskwatch");
    if (name == "Title")
      return g_variant_new_string("Duskwatch");
    if (name == "Status")
      return g_variant_new_string("Active");
    if (name == "WindowId")
      return g_variant_new_int32(0);
    if (name == "IconPixmap")
      return self->m_pixmaps ? g_variant_ref(self->m_pixmaps) : EmptyPixmaps();
    if (name == "OverlayIconPixmap" || name == "AttentionIconPixmap")
      return EmptyPixmaps();
    if (name == "ToolTip")
      return g_variant_new("(s@a(iiay)ss)", "", EmptyPixmaps(), self->m_toolTip.c_str(), "");
    if (name == "ItemIsMenu")
      return g_variant_new_boolean(false);
    if (name == "Menu")
      return g_variant_new_object_path(kMenuPath);
    if (name == "IconThemePath" || name == "IconName" || name == "OverlayIconName" || name == "AttentionIconName" ||
        name == "AttentionMovieName")
      return g_variant_new_string("");
    g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "no property %s", property);
    return nullptr;
  }

  static void ItemCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method, GVariant*,
                       GDBusMethodInvocation* invocation, gpointer data) {
    auto* self = static_cast<StatusNotifier*>(data);
    g_dbus_method_invocation_return_value(invocation, nullptr);
    // The menu is ours to show through dbusmenu; only the primary action does something.
    if (std::string(method) == "Activate" && self->m_handlers.activate)
      self->m_handlers.activate();
  }

  // ---- com.canonical.dbusmenu ----

  std::vector<MenuItem> CurrentItems() const {
    return m_handlers.menu ? m_handlers.menu() : std::vector<MenuItem>{};
  }

  static bool SameItems(const std::vector<MenuItem>& a, const std::vector<MenuItem>& b) {
    if (a.size() != b.size())
      return false;
    for (size_t index = 0; index < a.size(); ++index)
      if (a[index].id != b[index].id || a[index].label != b[index].label)
        return false;
    return true;
  }

  // True when the menu changed since the panel last read it.
  bool RefreshMenu() {
    std::vector<MenuItem> items = CurrentItems();
    if (SameItems(items, m_items))
      return false;
    m_items = std::move(items);
    ++m_revision;
    Emit(kMenuPath, kMenuInterface, "LayoutUpdated", g_variant_new("(ui)", m_revision, 0));
    return true;
  }

  const MenuItem* FindItem(int id) const {
    for (const MenuItem& item : m_items)
      if (item.id == id)
        return &item;
    return nullptr;
  }

  static GVariant* ItemProperties(const MenuItem& item) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&builder, "{sv}", "label", g_variant_new_string(MenuLabel(item.label).c_str()));
    g_variant_builder_add(&builder, "{sv}", "enabled", g_variant_new_boolean(true));
    g_variant_builder_add(&builder, "{sv}", "visible", g_variant_new_boolean(true));
    return g_variant_builder_end(&builder);
  }

  GVariant* Layout(int parent) const {
    GVariantBuilder children;
    g_variant_builder_init(&children, G_VARIANT_TYPE("av"));
    if (parent != 0) {
      const MenuItem* item = FindItem(parent);
      return g_variant_new("(i@a{sv}@av)", parent, ItemProperties(*item), g_variant_builder_end(&children));
    }
    for (const MenuItem& item : m_items)
      g_variant_builder_add(&children, "v",
                            g_variant_new("(i@a{sv}@av)", item.id, ItemProperties(item),
                                          g_variant_new_array(G_VARIANT_TYPE_VARIANT, nullptr, 0)));
    GVariantBuilder root;
    g_variant_builder_init(&root, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&root, "{sv}", "children-display", g_variant_new_string("submenu"));
    return g_variant_new("(i@a{sv}@av)", 0, g_variant_builder_end(&root), g_variant_builder_end(&children));
  }

  static GVariant* MenuProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* property,
                                GError** error, gpointer) {
    const std::string name = property;
    if (name == "Version")
      return g_variant_new_uint32(3);
    if (name == "TextDirection")
      return g_variant_new_string("ltr");
    if (name == "Status")
      return g_variant_new_string("normal");
    if (name == "IconThemePath")
      return g_variant_new_strv(nullptr, 0);
    g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "no property %s", property);
    return nullptr;
  }

  static void UnknownItem(GDBusMethodInvocation* invocation, int id) {
    g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_INVALID_ARGS, "no menu item %d", id);
  }

  // A click counts only for an item the menu holds now: a panel may still show
  // a menu read before a countdown started.
  bool Clickable(int id) {
    RefreshMenu();
    return FindItem(id) != nullptr;
  }

  void Clicked(int id) {
    if (m_handlers.command)
      m_handlers.command(id);
  }

  static void MenuCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                       GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data) {
    auto* self = static_cast<StatusNotifier*>(data);
    const std::string name = method;
    if (name == "GetLayout") {
      gint32 parent = 0;
      gint32 depth = 0;
      g_variant_get(parameters, "(ii^a&s)", &parent, &depth, nullptr);
      if (parent == 0)
        self->RefreshMenu();
      if (parent != 0 && !self->FindItem(parent))
        return UnknownItem(invocation, parent);
      g_dbus_method_invocation_return_value(invocation,
                                            g_variant_new("(u@(ia{sv}av))", self->m_revision, self->Layout(parent)));
    } else if (name == "GetGroupProperties") {
      GVariantIter* ids = nullptr;
      g_variant_get(parameters, "(ai^a&s)", &ids, nullptr);
      GVariantBuilder out;
      g_variant_builder_init(&out, G_VARIANT_TYPE("a(ia{sv})"));
      gint32 id = 0;
      while (g_variant_iter_next(ids, "i", &id))
        if (const MenuItem* item = self->FindItem(id))
          g_variant_builder_add(&out, "(i@a{sv})", id, ItemProperties(*item));
      g_variant_iter_free(ids);
      g_dbus_method_invocation_return_value(invocation, g_variant_new("(@a(ia{sv}))", g_variant_builder_end(&out)));
    } else if (name == "GetProperty") {
      gint32 id = 0;
      const gchar* key = nullptr;
      g_variant_get(parameters, "(i&s)", &id, &key);
      const MenuItem* item = self->FindItem(id);
      GVariant* value = nullptr;
      if (item) {
        GVariant* properties = g_variant_ref_sink(ItemProperties(*item));
        value = g_variant_lookup_value(properties, key, nullptr);
        g_variant_unref(properties);
      }
      if (!value)
        return UnknownItem(invocation, id);
      g_dbus_method_invocation_return_value(invocation, g_variant_new("(v)", value));
    } else if (name == "Event") {
      gint32 id = 0;
      const gchar* event = nullptr;
      g_variant_get(parameters, "(i&svu)", &id, &event, nullptr, nullptr);
      const bool clicked = std::string(event) == "clicked";
      if (clicked && !self->Clickable(id))
        return UnknownItem(invocation, id);
      g_dbus_method_invocation_return_value(invocation, nullptr);
      if (clicked)
        self->Clicked(id);
    } else if (name == "EventGroup") {
      GVariantIter* events = nullptr;
      g_variant_get(parameters, "(a(isvu))", &events);
      GVariantBuilder errors;
      g_variant_builder_init(&errors, G_VARIANT_TYPE("ai"));
      std::vector<int> clicked;
      gint32 id = 0;
      const gchar* event = nullptr;
      while (g_variant_iter_next(events, "(i&svu)", &id, &event, nullptr, nullptr)) {
        if (std::string(event) != "clicked")
          continue;
        if (self->Clickable(id))
          clicked.push_back(id);
        else
          g_variant_builder_add(&errors, "i", id);
      }
      g_variant_iter_free(events);
      g_dbus_method_invocation_return_value(invocation, g_variant_new("(@ai)", g_variant_builder_end(&errors)));
      for (int item : clicked)
        self->Clicked(item);
    } else if (name == "AboutToShow") {
      g_dbus_method_invocation_return_value(invocation, g_variant_new("(b)", self->RefreshMenu()));
    } else if (name == "AboutToShowGroup") {
      GVariantBuilder updates;
      g_variant_builder_init(&updates, G_VARIANT_TYPE("ai"));
      if (self->RefreshMenu())
        g_variant_builder_add(&updates, "i", 0);
      g_dbus_method_invocation_return_value(
          invocation, g_variant_new("(@ai@ai)", g_variant_builder_end(&updates),
                                    g_variant_new_array(G_VARIANT_TYPE_INT32, nullptr, 0)));
    } else {
      g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_METHOD, "no method %s",
                                            method);
    }
  }

  GDBusConnection* m_bus;
  Handlers m_handlers;
  GCancellable* m_cancellable;
  guint m_itemObject = 0;
  guint m_menuObject = 0;
  guint m_watcherWatch = 0;
  guint m_nameOwner = 0;
  std::string m_name;
  int m_showings = 0;
  bool m_shown = false;
  bool m_failed = false;
  bool m_nameAcquired = false;
  bool m_watcherPresent = false;
  std::vector<std::vector<unsigned char>> m_pixels;
  GVariant* m_pixmaps = nullptr;
  std::string m_toolTip;
  std::vector<MenuItem> m_items;
  guint32 m_revision = 0;
};

}  // namespace

bool WatcherPresent() {
  GError* error = nullptr;
  GDBusConnection* bus = ConnectSessionBus(&error);
  if (!bus) {
    if (error)
      g_error_free(error);
    return false;
  }
  GVariant* reply = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                "org.freedesktop.DBus", "NameHasOwner", g_variant_new("(s)", kWatcherName),
                                                G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs,
                                                nullptr, &error);
  gboolean owned = false;
  if (reply) {
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
  } else {
    g_error_free(error);
  }
  g_object_unref(bus);
  return owned;
}

std::unique_ptr<Icon> CreateStatusNotifier(Handlers handlers) {
  GError* error = nullptr;
  GDBusConnection* bus = ConnectSessionBus(&error);
  if (!bus) {
    if (handlers.failed)
      handlers.failed(error ? error->code : 1,
                      std::string("tray icon: ") + (error ? error->message : "no session bus"));
    if (error)
      g_error_free(error);
    return nullptr;
  }
  auto icon = std::make_unique<StatusNotifier>(bus, handlers);
  if (!icon->Export(&error)) {
    if (handlers.failed)
      handlers.failed(error ? error->code : 1,
                      std::string("tray icon: ") + (error ? error->message : "cannot export the item"));
    if (error)
      g_error_free(error);
    return nullptr;
  }
  return icon;
}

}  // namespace os::tray
