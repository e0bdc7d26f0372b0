// Program entry: COM apartment, common controls, the main window, the loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/win/main.h"
#include "base/win/late_bound.h"
#include "ui/win/app.h"

namespace {

// COM stays initialised for the whole run (the WMI requests need it), as a
// single-threaded apartment. Windows 95 without DCOM has only CoInitialize,
// which makes the same apartment.
struct ComApartment {
  HRESULT hr;
  ComApartment() {
    auto ex = base::LateBound<HRESULT(WINAPI*)(void*, DWORD)>("ole32.dll", "CoInitializeEx");
    hr = ex ? ex(nullptr, COINIT_APARTMENTTHREADED) : CoInitialize(nullptr);
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
};

// The original common controls of 95 and NT 4 register every class at once
// and have no InitCommonControlsEx.
static_assert(sizeof(INITCOMMONCONTROLSEX) == 8, "");
void InitControls() {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                              ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
  auto ex = base::LateBound<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>("comctl32.dll", "InitCommonControlsEx");
  if (!ex || !ex(&icc)) InitCommonControls();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The library search was limited before this, by the stack guard's initializer.
  ComApartment com;
  InitControls();
  TForm1 form;
  if (!form.Handle()) return 1;  // the error box has said why
  form.QuitOnDestroy = true;
  form.Show();
  return ui::RunMessageLoop();
}
