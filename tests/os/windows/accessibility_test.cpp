// A picture-only control's accessible name, as a screen reader asks for it.
#include <gtest/gtest.h>

#include <oleacc.h>

#include "os/accessibility.h"
#include "windows_test_support.h"

namespace {

TEST(WindowsAccessibility, NameReachesTheAccessibilityLayer) {
  if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
    GTEST_SKIP() << "Wine keeps no accessibility annotations";
  HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_POPUP | BS_BITMAP, 0, 0, 20, 20, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(button, nullptr);
  os::accessibility::SetName(button, "Shut down now");
  IAccessible* accessible = nullptr;
  ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(button, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                                   reinterpret_cast<void**>(&accessible))));
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  accessible->get_accName(self, &name);
  EXPECT_STREQ(name ? name : L"", L"Shut down now");
  SysFreeString(name);
  accessible->Release();
  DestroyWindow(button);
  os::accessibility::SetName(nullptr, "nothing");  // no window: nothing happens
}

}  // namespace
