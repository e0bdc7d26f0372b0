// The power tab: each button starts its command line at once, unconfirmed.
#include "app/win/main.h"
#include "launcher/launcher.h"

using launcher::RunPowerCommand;

void TForm1::Button1Click(TObject*) { RunPowerCommand(*Shell, launcher::kShutdownLine); }
void TForm1::Button2Click(TObject*) { RunPowerCommand(*Shell, launcher::kRestartLine); }
void TForm1::Button3Click(TObject*) { RunPowerCommand(*Shell, launcher::kTaskManagerLine); }
void TForm1::Button4Click(TObject*) { RunPowerCommand(*Shell, launcher::kAdministratorLine); }
void TForm1::Button6Click(TObject*) { RunPowerCommand(*Shell, launcher::kAutoLogonLine); }
