// Monitors: SC_MONITORPOWER through DefWindowProc of a hidden window of ours,
// and the monitor devices of SetupAPI with their device power state.
#include "os/display.h"

#include <windows.h>

#include <cfgmgr32.h>
#include <setupapi.h>

#include <algorithm>
#include <vector>

#include "os/dry_run.h"
#include "os/windows/wide.h"

namespace os::display {

namespace {

// The monitor device class {4D36E96E-E325-11CE-BFC1-08002BE10318}.
const GUID kMonitorClass = {0x4d36e96e, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

constexpr LPARAM kMonitorPowerOn = -1;
constexpr LPARAM kMonitorPowerOff = 2;

// Sends SC_MONITORPOWER to a hidden top-level window of this thread, whose
// default procedure passes it to the system. False with the error when the
// window cannot be made or the answer is not zero.
bool SendMonitorPower(LPARAM state, int& errorCode) {
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (!window) {
    errorCode = static_cast<int>(GetLastError());
    return false;
  }
  SetLastError(0);
  const LRESULT answer = SendMessageW(window, WM_SYSCOMMAND, SC_MONITORPOWER, state);
  const DWORD error = GetLastError();
  DestroyWindow(window);
  if (answer == 0)
    return true;
  errorCode = error != 0 ? static_cast<int>(error) : ERROR_GEN_FAILURE;
  return false;
}

PowerState FromDeviceState(DEVICE_POWER_STATE state) {
  switch (state) {
    case PowerDeviceD0: return PowerState::On;
    case PowerDeviceD1: return PowerState::Standby;
    case PowerDeviceD2: return PowerState::Suspend;
    case PowerDeviceD3: return PowerState::Off;
    default: return PowerState::Unknown;
  }
}

// The device's description; false when the device is to be skipped.
bool Description(HDEVINFO devices, SP_DEVINFO_DATA& device, std::string& text) {
  DWORD needed = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_DEVICEDESC, nullptr, nullptr, 0, &needed) &&
      GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return GetLastError() == ERROR_INVALID_DATA;  // no description: listed without one
  std::vector<BYTE> buffer(std::max<DWORD>(needed, 1024) + sizeof(wchar_t), 0);
  if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_DEVICEDESC, nullptr, buffer.data(),
                                         static_cast<DWORD>(buffer.size() - sizeof(wchar_t)), nullptr))
    return GetLastError() == ERROR_INVALID_DATA;
  text = win::Narrow(reinterpret_cast<const wchar_t*>(buffer.data()));
  return true;
}

}  // namespace

bool MonitorOff(int& errorCode) {
  errorCode = 0;
  if (dry_run::Active()) {
    dry_run::Record("monitor", {{"state", "off"}});
    return true;
  }
  return SendMonitorPower(kMonitorPowerOff, errorCode);
}

bool MonitorOn(int& errorCode) {
  errorCode = 0;
  if (dry_run::Active()) {
    dry_run::Record("monitor", {{"state", "on"}});
    return true;
  }
  if (!SendMonitorPower(kMonitorPowerOn, errorCode))
    return false;
  // Newer systems ignore "on" and wait for input: a mouse move of nothing.
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = MOUSEEVENTF_MOVE;
  SendInput(1, &input, sizeof input);
  return true;
}

PowerState MonitorPowerState() {
  std::vector<MonitorInfo> monitors;
  int errorCode = 0;
  if (!ListMonitors(monitors, errorCode) || monitors.empty())
    return PowerState::Unknown;
  return monitors.front().state;
}

bool ListMonitors(std::vector<MonitorInfo>& monitors, int& errorCode) {
  monitors.clear();
  errorCode = 0;
  HDEVINFO devices = SetupDiGetClassDevsW(&kMonitorClass, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) {
    errorCode = static_cast<int>(GetLastError());
    return false;
  }
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    MonitorInfo monitor;
    if (!Description(devices, device, monitor.description))
      continue;
    CM_POWER_DATA power{};
    power.PD_Size = sizeof power;
    if (SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_DEVICE_POWER_DATA, nullptr,
                                          reinterpret_cast<BYTE*>(&power), sizeof power, nullptr))
      monitor.state = FromDeviceState(power.PD_MostRecentPowerState);
    else if (GetLastError() != ERROR_INVALID_DATA)
      continue;  // unreadable device: skipped
    monitors.push_back(monitor);
  }
  const DWORD ended = GetLastError();
  SetupDiDestroyDeviceInfoList(devices);
  if (ended != ERROR_NO_MORE_ITEMS && ended != ERROR_SUCCESS) {
    errorCode = static_cast<int>(ended);
    return false;
  }
  return true;
}

bool MonitorSupported(int& errorCode) {
  errorCode = 0;
  HKEY key = nullptr;
  const LSTATUS status =
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum\\DISPLAY", 0, KEY_QUERY_VALUE, &key);
  if (status == ERROR_SUCCESS) {
    RegCloseKey(key);
    return true;
  }
  // Out of resources says nothing about the monitor: no error to log.
  if (status != ERROR_NO_SYSTEM_RESOURCES)
    errorCode = static_cast<int>(status);
  return false;
}

}  // namespace os::display
