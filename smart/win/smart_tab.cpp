// Placeholder until this tab is built.
#include "app/win/main.h"

void TForm1::doSmartClick(TObject*) {}
DriveAccess& Win32DriveAccess() { return *static_cast<DriveAccess*>(nullptr); }
