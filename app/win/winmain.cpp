// Program entry: COM apartment, common controls, the main window, the loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/win/main.h"
#include "ui/win/app.h"

namespace {

// COM stays initialised for the whole run (the WMI requests need it).
struct ComApartment {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ~ComApartment() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ComApartment com;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                              ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&icc);
  TForm1 form;
  if (!form.Handle()) return 1;  // the error box has said why
  form.QuitOnDestroy = true;
  form.Show();
  return ui::RunMessageLoop();
}
