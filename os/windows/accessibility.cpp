// A control's accessible name through the accessibility layer's dynamic
// annotation: it overrides the name screen readers would take from the
// window text, which a picture-only button does not have.
#include "os/accessibility.h"

#include <windows.h>

#include <oleacc.h>

#include "os/windows/wide.h"

namespace os::accessibility {

namespace {

const CLSID kAccPropServicesClass = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
const IID kAccPropServicesInterface = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
const GUID kNameProperty = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

}  // namespace

void SetName(void* nativeWidget, const char* name) {
  HWND window = static_cast<HWND>(nativeWidget);
  if (!window || !name || !IsWindow(window))
    return;
  win::ComScope com;
  if (!com.Ok())
    return;
  IAccPropServices* services = nullptr;
  if (FAILED(CoCreateInstance(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER, kAccPropServicesInterface,
                              reinterpret_cast<void**>(&services))) ||
      !services)
    return;
  // The annotation lives as long as the window.
  services->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kNameProperty,
                           win::Wide(name).c_str());
  services->Release();
}

}  // namespace os::accessibility
