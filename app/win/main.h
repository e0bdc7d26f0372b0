// The main window: every control of the eight tabs, named as on the form,
// and the handlers of each tab (defined in that tab's unit folder).
#pragma once
#include "ui/win/controls.h"

#include <string>
#include <vector>

using TObject = ui::TControl;

// --- platform seams, one per unit (declared by the unit's header) ---
class HardInfoPlatform;   // probes/hardinfo.h
class WmiSource;          // wmi/wmiquery.h
class DriveAccess;        // smart/smartapi.h
class IcmpPlatform;       // net/icmp.h
class ShellPlatform;      // launcher/launcher.h

class TForm1 : public ui::TForm {
 public:
  // Builds every control, then runs FormCreate. Not yet visible.
  TForm1();
  ~TForm1() override;

  // Runs FormShow (an escaping error goes to the error box), then centres
  // the window on the desktop and shows it.
  void Show();
  // Ends the message loop when the window is destroyed (the program's form).
  bool QuitOnDestroy = false;

  // Life cycle.
  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void LoadReadMe();

  // The platform each tab reaches; tests replace them before Show().
  // Each is a Win32 implementation unless replaced.
  HardInfoPlatform* HardInfo;
  WmiSource* Wmi;
  DriveAccess* Drives;
  IcmpPlatform* Icmp;
  ShellPlatform* Shell;

  // --- OS and CPU tabs (app/win/identity.cpp) ---
  void IdentitySequence();

  // --- HARD tab (wmi/win/hard_tab.cpp) ---
  void doGetClassClick(TObject* Sender);

  // --- S.M.A.R.T tab (smart/win/smart_tab.cpp) ---
  void doSmartClick(TObject* Sender);

  // --- FIND IP tab (net/win/findip_tab.cpp) ---
  void Button8Click(TObject* Sender);
  void Button9Click(TObject* Sender);
  void Button10Click(TObject* Sender);
  void IPPrintItemClick(TObject* Sender);
  bool StopRequested = false;

  // --- DIALOG tab and power tab (launcher/win/) ---
  void ListBox1DblClick(TObject* Sender);
  // Appends one catalogue entry: its command to ToolCommands, an item with
  // the command's index to ListBox1.
  void AddTool(const std::string& name, const std::string& command);
  void SortToolList();
  // The command of a list item; nullptr when there is none or the item's
  // data is no index into ToolCommands.
  const std::string* ToolCommandOf(int item) const;
  // Released by FormDestroy.
  std::vector<std::string> ToolCommands;
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Button4Click(TObject* Sender);
  void Button6Click(TObject* Sender);

  // --- controls ---
  ui::TStatusBar sbrMain;
  ui::TPageControl PageControl1;
  ui::TTabSheet TabSheet1, TabSheet4, TabSheet2, TabSheet6, TabSheet8, TabSheet5, TabSheet7,
      TabSheet3;

  // 電源
  ui::TStyledButton Button3, Button2, Button1, Button4, Button6;
  ui::TLabel Label12;
  // DIALOG
  ui::TListBox ListBox1;
  // HARD
  ui::TPanel Panel1;
  ui::TButton doGetClass;
  ui::TComboBox edtClass;
  ui::TListView ListView1;
  // S.M.A.R.T
  ui::TPanel Panel2;
  ui::TButton doSmart;
  ui::TSpinEdit DiskNum;
  ui::TLabel TempLabel, Label10, Label11;
  ui::TListView ListView2;
  // FIND IP
  ui::TPanel Panel4;
  ui::TNumEdit N1, N2, N3, N4;
  ui::TLabel Label4;
  ui::TStyledButton Button8, Button10, Button9;
  ui::TRichEdit RichEdit1;
  // OS
  ui::TLabel Label1, Label2, Label7, Label8, Label9;
  // CPU
  ui::TLabel Label3, Label6, Label5;
  // 読んでね
  ui::TMemo Memo1;

  // Every control by name, for tests and tools.
  TObject* FindControl(const std::string& name);

 protected:
  LRESULT WndProc(UINT m, WPARAM w, LPARAM l) override;

 private:
  void BuildControls();
  void RefreshStatusPanes();
  bool destroyed_ = false;
};

// The items of edtClass: 71 class names, then 6 queries.
extern const char* const kWmiClassItems[77];

// The Win32 platforms the form uses unless a test replaces them; each is
// defined by its unit.
HardInfoPlatform& Win32HardInfoPlatform();
WmiSource& Win32WmiSource();
DriveAccess& Win32DriveAccess();
IcmpPlatform& Win32IcmpPlatform();
ShellPlatform& Win32ShellPlatform();
