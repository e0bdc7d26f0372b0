// Application-wide services of the widget layer: the title, the hidden
// application window, the error box, the message pumps and the screen cursor.
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
// Inside a catch block: shows the error being handled.
void ShowCurrentException();

// Runs fn; an escaping error goes to the error box and the program goes on.
// Returns whether fn ran to its end.
bool SafeCall(const std::function<void()>& fn);

// The application's own window: hidden, titled with the application title;
// it owns the boxes that belong to no form in particular.
HWND ApplicationWindow();

// Lets pending window messages run (keeps WM_QUIT for the main loop). Like
// the main loop, it gives a form's keys to the form first (page keys,
// dialog navigation).
void ProcessMessages();
// The main loop; returns the exit code once WM_QUIT arrives.
int RunMessageLoop();

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
