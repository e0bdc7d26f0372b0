#include "ui/win/dpi.h"

#include "base/win/late_bound.h"
#include "base/win/system_library.h"
#include "ui/win/gdi.h"

namespace ui {

using base::LateBound;

namespace {

using MonitorDpiFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

// GetDpiForMonitor (Windows 8.1), from the system folder's shcore.dll, which
// stays loaded: a window may move to another monitor at any time.
MonitorDpiFn MonitorDpi() {
  static const MonitorDpiFn fn =
      LateBound<MonitorDpiFn>(base::LoadSystemLibrary("shcore.dll"), "GetDpiForMonitor");
  return fn;
}

}  // namespace

int SystemDpi() {
  WindowDC screen(nullptr);
  const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kDesignDpi;
}

int WindowDpi(HWND h) {
  if (auto forWindow = LateBound<UINT(WINAPI*)(HWND)>("user32.dll", "GetDpiForWindow"))
    if (const UINT dpi = forWindow(h)) return static_cast<int>(dpi);
  // MonitorFromWindow is missing on 95 and NT 4, GetDpiForMonitor before 8.1.
  auto monitorOf = LateBound<HMONITOR(WINAPI*)(HWND, DWORD)>("user32.dll", "MonitorFromWindow");
  if (MonitorDpiFn forMonitor = monitorOf ? MonitorDpi() : nullptr) {
    UINT x = 0, y = 0;
    const int kEffective = 0;  // MDT_EFFECTIVE_DPI
    if (SUCCEEDED(forMonitor(monitorOf(h, MONITOR_DEFAULTTONEAREST), kEffective, &x, &y)) && y > 0)
      return static_cast<int>(y);
  }
  return SystemDpi();
}

}  // namespace ui
