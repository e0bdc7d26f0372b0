// The power tab: each button starts its command line at once, unconfirmed.
#include "app/win/main.h"
#include "launcher/launcher.h"

using launcher::kShowNormal;

void TForm1::Button1Click(TObject*) { Shell->RunCommand(launcher::kShutdownLine, kShowNormal); }
void TForm1::Button2Click(TObject*) { Shell->RunCommand(launcher::kRestartLine, kShowNormal); }
void TForm1::Button3Click(TObject*) { Shell->RunCommand(launcher::kTaskManagerLine, kShowNormal); }
void TForm1::Button4Click(TObject*) { Shell->RunCommand(launcher::kAdministratorLine, kShowNormal); }
void TForm1::Button6Click(TObject*) { Shell->RunCommand(launcher::kAutoLogonLine, kShowNormal); }
