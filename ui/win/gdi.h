// Scoped GDI helpers: an object made here is deleted, a selection undone
// and a device context released when its holder goes, on every path; and
// the drawing steps that several controls share.
#pragma once
#include <windows.h>

#include <string>

namespace ui {

// Owns one GDI object: brush, pen, font or region.
template <class H>
class GdiObject {
 public:
  explicit GdiObject(H h = nullptr) : h_(h) {}
  ~GdiObject() { reset(); }
  GdiObject(GdiObject&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
  GdiObject& operator=(GdiObject&& o) noexcept {
    if (this != &o) {
      reset(o.h_);
      o.h_ = nullptr;
    }
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  H get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void reset(H h = nullptr) {
    if (h_) DeleteObject(h_);
    h_ = h;
  }

 private:
  H h_;
};

using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Font = GdiObject<HFONT>;
using Region = GdiObject<HRGN>;

inline Brush SolidBrush(COLORREF c) { return Brush(CreateSolidBrush(c)); }
inline Pen SolidPen(COLORREF c) { return Pen(CreatePen(PS_SOLID, 1, c)); }

// Keeps an object selected into a device context while it lives.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~Selected() { SelectObject(dc_, old_); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Limits drawing to a rectangle while it lives.
class ClippedTo {
 public:
  ClippedTo(HDC dc, const RECT& r) : dc_(dc), region_(CreateRectRgnIndirect(&r)) {
    SelectClipRgn(dc_, region_.get());
  }
  ~ClippedTo() { SelectClipRgn(dc_, nullptr); }
  ClippedTo(const ClippedTo&) = delete;
  ClippedTo& operator=(const ClippedTo&) = delete;

 private:
  HDC dc_;
  Region region_;
};

// A window's device context (GetDC / ReleaseDC).
class WindowDC {
 public:
  explicit WindowDC(HWND h) : h_(h), dc_(GetDC(h)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(h_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND h_;
  HDC dc_;
};

// The context of one WM_PAINT (BeginPaint / EndPaint): the window is
// validated even when drawing fails half-way.
class PaintDC {
 public:
  explicit PaintDC(HWND h) : h_(h), dc_(BeginPaint(h, &ps_)) {}
  ~PaintDC() { EndPaint(h_, &ps_); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND h_;
  PAINTSTRUCT ps_;
  HDC dc_;
};

// A context this program created (CreateDC / DeleteDC).
class OwnedDC {
 public:
  explicit OwnedDC(HDC dc) : dc_(dc) {}
  ~OwnedDC() {
    if (dc_) DeleteDC(dc_);
  }
  OwnedDC(const OwnedDC&) = delete;
  OwnedDC& operator=(const OwnedDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// Draws text engraved: a highlight one pixel down-right, the text on top.
inline void DrawEngraved(HDC dc, const std::string& text, RECT rc, UINT format, COLORREF color,
                         bool enabled) {
  SetBkMode(dc, TRANSPARENT);
  RECT lit = rc;
  OffsetRect(&lit, 1, 1);
  SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &lit, format);
  SetTextColor(dc, enabled ? color : GetSysColor(COLOR_GRAYTEXT));
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc, format);
}

}  // namespace ui
