#include "ui/win/app.h"

#include "base/text.h"

namespace ui {

const char* const kApplicationTitle = "Vesktech PC Infomation Tool";

void ShowErrorBox(const std::string& message) {
  MessageBoxA(GetActiveWindow(), base::ErrorBoxText(message).c_str(), kApplicationTitle,
              MB_OK | MB_ICONSTOP);
}

void ShowException(const std::exception& e) { ShowErrorBox(e.what()); }

void SafeCall(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    ShowException(e);
  } catch (...) {
    ShowErrorBox("Unknown error");
  }
}

void ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {  // leave it for the main loop
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

int RunMessageLoop(HWND mainWindow, const std::function<bool(const MSG&)>& keyFilter) {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (keyFilter && keyFilter(msg)) continue;
    if (mainWindow && IsWindow(mainWindow) && IsDialogMessageA(mainWindow, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

namespace {
TCursor g_cursor = TCursor::Default;  // the screen cursor, as one per process
}

TCursor ScreenCursor() { return g_cursor; }

void SetScreenCursor(TCursor c) {
  g_cursor = c;
  SetCursor(LoadCursor(nullptr, c == TCursor::HourGlass ? IDC_WAIT : IDC_ARROW));
}

bool ApplyScreenCursor() {
  if (g_cursor == TCursor::Default) return false;
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  return true;
}

static std::string LocaleInfo(LCTYPE type) {
  char buf[128] = {0};
  GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, sizeof buf);
  return buf;
}

char LocaleDecimalSeparator() {
  std::string s = LocaleInfo(LOCALE_SDECIMAL);
  return s.empty() ? '.' : s[0];
}

char LocaleThousandSeparator() {
  std::string s = LocaleInfo(LOCALE_STHOUSAND);
  return s.empty() ? ',' : s[0];
}

std::string LongDateText() {
  char buf[256] = {0};
  if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, buf, sizeof buf) > 0)
    return buf;
  SYSTEMTIME t;
  GetLocalTime(&t);
  return base::Format("%04d年%d月%d日", t.wYear, t.wMonth, t.wDay);
}

}  // namespace ui
