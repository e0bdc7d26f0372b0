// The display scale. Every size of the form is designed in pixels at 96 per
// inch and shown at the scale of the monitor the window is on.
#pragma once
#include <windows.h>

namespace ui {

constexpr int kDesignDpi = 96;

// A design value at dpi pixels per inch.
inline int ScaleTo(int v, int dpi) { return MulDiv(v, dpi, kDesignDpi); }

// The system's pixels per inch: the screen's, as every Windows has it.
int SystemDpi();
// The pixels per inch of the monitor a window is on where the system can
// tell (Windows 8.1 and later), else the system's.
int WindowDpi(HWND h);

}  // namespace ui
