// Placeholder until this tab is built.
#include "app/win/main.h"

void TForm1::Button1Click(TObject*) {}
void TForm1::Button2Click(TObject*) {}
void TForm1::Button3Click(TObject*) {}
void TForm1::Button4Click(TObject*) {}
void TForm1::Button6Click(TObject*) {}
