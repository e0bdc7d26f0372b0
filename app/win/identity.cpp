// Placeholder until this tab is built.
#include "app/win/main.h"

void TForm1::IdentitySequence() {}
HardInfoPlatform& Win32HardInfoPlatform() { return *static_cast<HardInfoPlatform*>(nullptr); }
