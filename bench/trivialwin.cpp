// The smallest window program: the baseline for start-up timing.
#include <windows.h>

static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(h, m, w, l);
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = inst;
  wc.lpszClassName = "TTrivial";
  RegisterClassA(&wc);
  HWND h = CreateWindowA("TTrivial", "trivial", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                         nullptr, nullptr, inst, nullptr);
  (void)h;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
