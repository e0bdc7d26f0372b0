// Placeholder until this tab is built.
#include "app/win/main.h"

void TForm1::Button8Click(TObject*) {}
void TForm1::Button9Click(TObject*) {}
void TForm1::Button10Click(TObject*) {}
void TForm1::IPPrintItemClick(TObject*) {}
IcmpPlatform& Win32IcmpPlatform() { return *static_cast<IcmpPlatform*>(nullptr); }
