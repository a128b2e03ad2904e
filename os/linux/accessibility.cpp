// GTK's widgets carry an ATK object; its name is what AT-SPI shows. The
// toolkit has loaded GTK already, so its functions are looked up at run time
// instead of building against GTK's headers.
#include "os/accessibility.h"

#include <dlfcn.h>

namespace os::accessibility {

namespace {

struct List {
  void* data;
  List* next;
  List* previous;
};

struct Gtk {
  void* (*getAccessible)(void*) = nullptr;
  void (*setName)(void*, const char*) = nullptr;
  int (*canFocus)(void*) = nullptr;
  unsigned long (*containerType)() = nullptr;
  int (*isA)(void*, unsigned long) = nullptr;
  List* (*children)(void*) = nullptr;
  void (*freeList)(List*) = nullptr;

  bool Ok() const { return getAccessible && setName && canFocus && containerType && isA && children && freeList; }
};

template <typename Function>
void Lookup(Function& function, const char* symbol) {
  function = reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, symbol));
}

const Gtk& Functions() {
  static const Gtk gtk = [] {
    Gtk g;
    Lookup(g.getAccessible, "gtk_widget_get_accessible");
    Lookup(g.setName, "atk_object_set_name");
    Lookup(g.canFocus, "gtk_widget_get_can_focus");
    Lookup(g.containerType, "gtk_container_get_type");
    Lookup(g.isA, "g_type_check_instance_is_a");
    Lookup(g.children, "gtk_container_get_children");
    Lookup(g.freeList, "g_list_free");
    return g;
  }();
  return gtk;
}

void Name(const Gtk& gtk, void* widget, const char* name) {
  if (void* accessible = gtk.getAccessible(widget))
    gtk.setName(accessible, name);
}

// A control may be a box or a scrolled window around the widget that takes
// the focus (sliders, multi-line texts, date pickers): that one is what a
// screen reader lands on, so it gets the name too.
void NameFocusable(const Gtk& gtk, void* widget, const char* name) {
  if (!gtk.isA(widget, gtk.containerType()))
    return;
  List* children = gtk.children(widget);
  for (List* child = children; child; child = child->next) {
    if (gtk.canFocus(child->data))
      Name(gtk, child->data, name);
    NameFocusable(gtk, child->data, name);
  }
  gtk.freeList(children);
}

}  // namespace

void SetName(void* nativeWidget, const char* name) {
  const Gtk& gtk = Functions();
  if (!nativeWidget || !name || !gtk.Ok())
    return;
  Name(gtk, nativeWidget, name);
  NameFocusable(gtk, nativeWidget, name);
}

}  // namespace os::accessibility
