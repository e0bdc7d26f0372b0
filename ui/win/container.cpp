#include "ui/win/container.h"

#include <algorithm>

#include "ui/win/app.h"

namespace ui {

namespace {
const char kContainerClass[] = "VeskContainer";
}

void TWinContainer::Create(TControl* parent) {
  // Redrawn whole on every resize: the panel's frame follows its edges.
  RegisterOwnClass(kContainerClass, CS_HREDRAW | CS_VREDRAW);
  CreateWin(parent, kContainerClass, "", WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT);
}

void TWinContainer::LayoutChildren() {
  if (!hwnd_) return;
  RECT rc;
  GetClientRect(hwnd_, &rc);
  for (TControl* c : children_) {
    const int h = Scale(c->height_);
    if (c->align_ == Align::Top) {
      c->SetBounds(rc.left, rc.top, rc.right - rc.left, h);
      rc.top += h;
    } else if (c->align_ == Align::Bottom) {
      c->SetBounds(rc.left, rc.bottom - h, rc.right - rc.left, h);
      rc.bottom -= h;
    }
  }
  for (TControl* c : children_)
    if (c->align_ == Align::Client)
      c->SetBounds(rc.left, rc.top, std::max(0L, rc.right - rc.left), std::max(0L, rc.bottom - rc.top));
}

void TWinContainer::ApplyDpi() {
  TControl::ApplyDpi();
  LayoutChildren();
}

void TWinContainer::ApplyTabOrder() { ApplyTabOrderTo(*this); }

void TWinContainer::ApplyTabOrderTo(const TControl& parent) {
  std::vector<TControl*> order;
  for (TControl* c : parent.children_)
    if (c->tabOrder_ >= 0 && c->hwnd_) order.push_back(c);
  std::stable_sort(order.begin(), order.end(),
                   [](TControl* a, TControl* b) { return a->tabOrder_ < b->tabOrder_; });
  HWND after = HWND_TOP;
  for (TControl* c : order) {
    SetWindowPos(c->hwnd_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = c->hwnd_;
  }
  for (TControl* c : parent.children_)
    if (!c->children_.empty()) ApplyTabOrderTo(*c);
}

void TWinContainer::Paint(HDC dc, const RECT& rc) {
  HBRUSH b = BackBrush();
  FillRect(dc, &rc, b ? b : GetSysColorBrush(COLOR_BTNFACE));
}

void TPanel::Paint(HDC dc, const RECT& rc) {
  TWinContainer::Paint(dc, rc);
  RECT r = rc;
  DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
}

LRESULT TWinContainer::WndProc(UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_COMMAND:
      if (TControl* c = FromHandle(reinterpret_cast<HWND>(l))) {
        c->OnCommand(HIWORD(w));
        return 0;
      }
      break;
    case WM_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(l);
      LRESULT r = 0;
      if (TControl* c = FromHandle(nm->hwndFrom))
        if (c->OnNotify(nm, r)) return r;
      break;
    }
    case WM_DRAWITEM: {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(l);
      if (TControl* c = FromHandle(di->hwndItem))
        if (c->OnDrawItem(di)) return TRUE;
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (TControl* c = FromHandle(reinterpret_cast<HWND>(l))) {
        HDC dc = reinterpret_cast<HDC>(w);
        SetTextColor(dc, TextColorOf(c->EffectiveFont()));
        if (HBRUSH b = c->BackBrush()) {
          SetBkColor(dc, c->Color());
          return reinterpret_cast<LRESULT>(b);
        }
        const int face = m == WM_CTLCOLORSTATIC ? COLOR_BTNFACE : COLOR_WINDOW;
        SetBkColor(dc, GetSysColor(face));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(face));
      }
      break;
    case WM_SETCURSOR:
      if (ApplyScreenCursor()) return TRUE;
      break;
    case WM_SIZE:
      LayoutChildren();
      return 0;
    case WM_SETFONT:
      fontHandle_ = reinterpret_cast<HFONT>(w);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(fontHandle_);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PaintDC dc(hwnd_);
      RECT rc;
      GetClientRect(hwnd_, &rc);
      Paint(dc.get(), rc);
      return 0;
    }
  }
  return DefaultProc(m, w, l);
}

}  // namespace ui
