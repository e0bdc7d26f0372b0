#include "ui/win/app.h"

#include "base/text.h"
#include "ui/win/form.h"

namespace ui {

const char* const kApplicationTitle = "Vesktech PC Infomation Tool";

void ShowErrorBox(const std::string& message) {
  MessageBoxA(GetActiveWindow(), base::ErrorBoxText(message).c_str(), kApplicationTitle,
              MB_OK | MB_ICONSTOP);
}

void ShowException(const std::exception& e) { ShowErrorBox(e.what()); }

void ShowCurrentException() {
  try {
    throw;
  } catch (const std::exception& e) {
    ShowException(e);
  } catch (...) {
    ShowErrorBox("Unknown error");
  }
}

bool SafeCall(const std::function<void()>& fn) {
  try {
    fn();
    return true;
  } catch (...) {
    ShowCurrentException();
    return false;
  }
}

HWND ApplicationWindow() {
  static HWND window = CreateWindowExA(0, "STATIC", kApplicationTitle, WS_POPUP, 0, 0, 0, 0, nullptr,
                                       nullptr, GetModuleHandleA(nullptr), nullptr);
  return window;
}

namespace {

// One step of every pump: the form of the message's window sees it first.
void Dispatch(MSG& msg) {
  auto* form = dynamic_cast<TForm*>(TControl::FromHandle(RootWindow(msg.hwnd)));
  if (form && form->PreTranslate(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

}  // namespace

void ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {  // leave it for the main loop
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    Dispatch(msg);
  }
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
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
