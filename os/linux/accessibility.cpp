// GTK's widgets carry an ATK object; its name is what AT-SPI shows. The
// toolkit has loaded GTK already, so its functions are looked up at run time
// instead of building against GTK's headers.
#include "os/accessibility.h"

#include <dlfcn.h>

namespace os::accessibility {

namespace {

using GetAccessible = void* (*)(void*);
using SetObjectName = void (*)(void*, const char*);

template <typename Function>
Function Lookup(const char* symbol) {
  return reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, symbol));
}

}  // namespace

void SetName(void* nativeWidget, const char* name) {
  static const auto getAccessible = Lookup<GetAccessible>("gtk_widget_get_accessible");
  static const auto setName = Lookup<SetObjectName>("atk_object_set_name");
  if (!nativeWidget || !name || !getAccessible || !setName)
    return;
  if (void* accessible = getAccessible(nativeWidget))
    setName(accessible, name);
}

}  // namespace os::accessibility
