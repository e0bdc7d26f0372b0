// The OS and CPU tabs: filled once, when the window is first shown.
#include "app/win/main.h"
#include "base/text.h"
#include "probes/hardinfo.h"
#include "probes/win/hardinfo_win.h"
#include "ui/win/app.h"

#include <string>

using namespace hardinfo;

// A probe that raises ends the sequence where it stands; the labels after it
// keep their design captions.
void TForm1::IdentitySequence() {
  HardInfoPlatform& p = *HardInfo;
  const std::string host = GetLocalComputerName(p);
  Label1.SetCaption("OS : " + GetOSName(p));
  Label2.SetCaption("Version : " + std::to_string(GetOSVersionNumber(p)));
  Label7.SetCaption("MAC : " + GetMACAddress(p));
  Label8.SetCaption("HOST : " + host);
  Label9.SetCaption("IP : " + GetIPAddress(p, host));
  Label3.SetCaption("CPU : " + GetCPUName(p));
  Label6.SetCaption("SPEED : " + base::GeneralNumberText(GetCPUSpeed(p), ui::LocaleDecimalSeparator()));
  Label5.SetCaption("INFO : " + GetCPUIDText(p));
  // A fresh look-up, not the address shown above.
  const std::array<std::string, 3> octets = FirstThreeOctets(GetIPAddress(p, host));
  N1.SetText(octets[0]);
  N2.SetText(octets[1]);
  N3.SetText(octets[2]);
}

HardInfoPlatform& Win32HardInfoPlatform() {
  static Win32HardInfo platform;
  return platform;
}
