// Placeholder until this tab is built.
#include "app/win/main.h"

void TForm1::FormCreate(TObject*) {}
void TForm1::FormDestroy(TObject*) {}
void TForm1::ListBox1DblClick(TObject*) {}
ShellPlatform& Win32ShellPlatform() { return *static_cast<ShellPlatform*>(nullptr); }
