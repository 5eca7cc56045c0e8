#include "ui/core/dpi_awareness.h"

#include <windows.h>

#include "base/win/scoped_handle.h"

namespace ui {

namespace {

constexpr int kPerMonitorDpiAware = 2;
constexpr UINT kEffectiveDpi = 0;

// user32 exports both only on newer systems; they are looked up when needed.
using SetProcessDpiAwarenessInternalFn = BOOL(WINAPI*)(int awareness);
using GetDpiForMonitorInternalFn = BOOL(WINAPI*)(HMONITOR monitor, UINT type, UINT* x, UINT* y);

FARPROC User32Function(const char* name) {
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  return user32 ? ::GetProcAddress(user32, name) : nullptr;
}

}  // namespace

bool SwitchProcessToDpiAwareness() {
  const auto set_awareness = reinterpret_cast<SetProcessDpiAwarenessInternalFn>(
      User32Function("SetProcessDpiAwarenessInternal"));
  if (set_awareness && set_awareness(kPerMonitorDpiAware)) return true;
  return ::SetProcessDPIAware() != FALSE;
}

int QueryPrimaryMonitorDpi() {
  const auto get_dpi = reinterpret_cast<GetDpiForMonitorInternalFn>(
      User32Function("GetDpiForMonitorInternal"));
  if (get_dpi) {
    HMONITOR monitor = ::MonitorFromPoint(POINT{1, 1}, MONITOR_DEFAULTTONEAREST);
    UINT x = 0;
    UINT y = 0;
    if (monitor && get_dpi(monitor, kEffectiveDpi, &x, &y) && x > 0) return static_cast<int>(x);
    return 96;
  }
  // Systems without per-monitor DPI have one DPI for the whole desktop.
  nbase::win::ScopedGetDc desktop(nullptr);
  if (!desktop) return 96;
  const int dpi = ::GetDeviceCaps(desktop.get(), LOGPIXELSX);
  return dpi > 0 ? dpi : 96;
}

}  // namespace ui
