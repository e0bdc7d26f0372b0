// Application-wide services of the widget layer: the title, the error box,
// the message pump and the screen cursor.
#pragma once
#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace ui {

extern const char* const kApplicationTitle;

// Shows the default error box: message ("." appended when its last character
// sorts after "."), the application title, the stop icon, OK.
void ShowErrorBox(const std::string& message);
void ShowException(const std::exception& e);

// Runs fn; an escaping error goes to the error box and the program goes on.
void SafeCall(const std::function<void()>& fn);

// Lets pending window messages run (keeps WM_QUIT for the main loop).
void ProcessMessages();
// The main loop; returns the exit code once WM_QUIT arrives. keyFilter sees
// every message first and returns true for those it handled.
int RunMessageLoop(HWND mainWindow, const std::function<bool(const MSG&)>& keyFilter = nullptr);

enum class TCursor { Default, HourGlass };
TCursor ScreenCursor();
void SetScreenCursor(TCursor c);
// Sets the cursor for WM_SETCURSOR; true when it did.
bool ApplyScreenCursor();

// The user locale's settings.
char LocaleDecimalSeparator();
char LocaleThousandSeparator();
std::string LongDateText();  // today in the user locale's long date format

}  // namespace ui
