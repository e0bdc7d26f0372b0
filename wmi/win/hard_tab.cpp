// Placeholder until this tab is built.
#include "app/win/main.h"

void TForm1::doGetClassClick(TObject*) {}
WmiSource& Win32WmiSource() { return *static_cast<WmiSource*>(nullptr); }
