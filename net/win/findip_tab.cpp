// FIND IP tab: sweeps one block of 256 addresses with ICMP echo and lists
// the hosts that answer, with their names.
#include <windows.h>

#include <memory>

#include "app/win/main.h"
#include "net/icmp.h"
#include "ui/win/app.h"
#include "ui/win/print.h"

namespace {

// Puts the default cursor back however the sweep ends.
struct DefaultCursorOnExit {
  ~DefaultCursorOnExit() { ui::SetScreenCursor(ui::TCursor::Default); }
};

}  // namespace

void TForm1::Button8Click(TObject*) {
  StopRequested = false;
  // The octets show and are read without leading zeros, so that the
  // address probed is the one listed (inet_addr reads "010" as octal).
  for (ui::TNumEdit* n : {&N1, &N2, &N3}) n->ShowDisplayText();
  RichEdit1.Clear();
  ui::SetScreenCursor(ui::TCursor::HourGlass);
  DefaultCursorOnExit restore;
  // Declared after the cursor guard so that it is released first.
  TICMP icmp(*Icmp);
  icmp.TimeoutMs = 1;
  // The octet and the list show ten times a second, not on every address.
  ui::PaintThrottle paint({&N4, &RichEdit1}, 100);
  for (int i = 0; i <= 255; ++i) {
    // Lets stop, clear, print and a nested sweep run.
    ui::ProcessMessages();
    // Set by Button10Click while the messages ran.
    // cppcheck-suppress knownConditionTrueFalse
    if (StopRequested) break;
    N4.SetText(std::to_string(i));
    const std::string address = ProbeAddressText(N1.DisplayText(), N2.DisplayText(), N3.DisplayText(), i);
    icmp.SetHost(address);
    if (icmp.SendEcho() > 0) RichEdit1.AppendLine(address + ":" + LookupHostName(*Icmp, address));
    paint.Changed();
  }
}

void TForm1::Button10Click(TObject*) {
  StopRequested = true;
  ui::SetScreenCursor(ui::TCursor::Default);
}

void TForm1::Button9Click(TObject*) { RichEdit1.Clear(); }

void TForm1::IPPrintItemClick(TObject*) {
  if (ui::PrintTextLines("Find IP List", RichEdit1.Lines()) == ui::PrintResult::NoDefaultPrinter)
    MessageBoxA(Handle(), ui::kNoDefaultPrinterText, ui::kApplicationTitle,
                MB_OK | MB_ICONEXCLAMATION);
}
