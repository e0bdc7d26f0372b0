// The Win32 side of wmiquery: the WMI scripting interface, with the native
// WMI COM API answering what a scripting implementation leaves out.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <string>

#include "wmi/wmiquery.h"

// A tagged value as the engine sees it; wide texts become ANSI text.
WmiValue WmiValueFromVariant(const VARIANT& v);

// Wide text in the ANSI code page.
std::string WmiAnsiText(const wchar_t* s, int length = -1);

// The source the form uses: scripting interface first; when it reports a
// property enumeration, name or type as not implemented, the same request
// is answered through IWbemLocator/IWbemServices.
class Win32WmiSourceImpl : public WmiSource {
 public:
  std::unique_ptr<WmiObjectSet> Open(const WmiRequest& request) override;
  char DecimalSeparator() override;
  void Beep(unsigned type) override;
};

// The one the form uses (also declared with the form).
WmiSource& Win32WmiSource();
