#include <windows.h>

#include <stdexcept>
#include <vector>

#include "app/readme.h"
#include "app/win/main.h"
#include "base/text.h"
#include "base/win/system_error.h"
#include "ui/win/app.h"

namespace {

const char kPGothic[] = "ＭＳ Ｐゴシック";
const char kGothic[] = "ＭＳ ゴシック";
const COLORREF kMoneyGreen = RGB(192, 220, 192);
const COLORREF kBlack = RGB(0, 0, 0);

ui::FontSpec Sjis(const char* face, int height, bool bold, COLORREF color = CLR_INVALID) {
  ui::FontSpec f;
  f.face = face;
  f.height = height;
  f.bold = bold;
  f.charset = SHIFTJIS_CHARSET;
  f.color = color;
  return f;
}

ui::FontSpec Tahoma(int height, bool bold) {
  ui::FontSpec f;
  f.face = "Tahoma";
  f.height = height;
  f.bold = bold;
  return f;
}

}  // namespace

TForm1::TForm1()
    : HardInfo(&Win32HardInfoPlatform()),
      Wmi(&Win32WmiSource()),
      Drives(&Win32DriveAccess()),
      Icmp(&Win32IcmpPlatform()),
      Shell(&Win32ShellPlatform()) {
  // A control the system refuses is reported; the window is not left blank
  // without a word.
  if (ui::SafeCall([this] { BuildControls(); })) ui::SafeCall([this] { FormCreate(this); });
}

TForm1::~TForm1() {
  // Destroy the windows while the control objects still exist.
  if (Handle()) DestroyWindow(Handle());
}

void TForm1::BuildControls() {
  Name = "Form1";
  WithFont(Tahoma(11, false));
  CreateForm("TForm1", "ヴェスクインフォ Ver1.01", 510, 422);

  // Status bar: clock, three key panes, the maker's notice.
  sbrMain.Name = "sbrMain";
  sbrMain.At(0, 403, 510, 19).Docked(ui::Align::Bottom);
  sbrMain.Create(this, {{"ClockStatus1", 122, false, ""},
                        {"KeyStatus1", 41, false, ""},
                        {"KeyStatus2", 35, false, ""},
                        {"KeyStatus3", 34, false, ""},
                        {"StatusPane1", 169, true, "(C) Vesktech", true}});
  sbrMain.OnTimer = [this] { RefreshStatusPanes(); };

  PageControl1.Name = "PageControl1";
  PageControl1.At(0, 0, 510, 403).Docked(ui::Align::Client).WithFont(Sjis(kPGothic, 16, true));
  PageControl1.Create(this);
  struct Sheet {
    ui::TTabSheet& s;
    const char* name;
    const char* caption;
  };
  for (const Sheet& t : std::vector<Sheet>{{TabSheet1, "TabSheet1", "電源"},
                                           {TabSheet4, "TabSheet4", "DIALOG"},
                                           {TabSheet2, "TabSheet2", "HARD"},
                                           {TabSheet6, "TabSheet6", "S.M.A.R.T"},
                                           {TabSheet8, "TabSheet8", "FIND IP"},
                                           {TabSheet5, "TabSheet5", "OS"},
                                           {TabSheet7, "TabSheet7", "CPU"},
                                           {TabSheet3, "TabSheet3", "読んでね"}}) {
    t.s.Name = t.name;
    if (&t.s == &TabSheet8) t.s.WithFont(Sjis(kPGothic, 12, false));
    PageControl1.AddSheet(t.s, t.caption);
  }

  auto styled = [this](ui::TStyledButton& b, const char* name, ui::TControl* parent, int l, int t,
                       int w, int h, const char* caption, int tab,
                       void (TForm1::*handler)(TObject*)) {
    b.Name = name;
    b.At(l, t, w, h).WithTabOrder(tab).WithFont(Tahoma(16, true));
    b.Create(parent, caption);
    b.OnClick = [this, handler, &b] { (this->*handler)(&b); };
  };
  auto label = [](ui::TLabel& l, const char* name, ui::TControl* parent, int x, int y, int w, int h,
                  const char* caption) {
    l.Name = name;
    l.At(x, y, w, h);
    l.Create(parent, caption);
  };

  // 電源
  styled(Button3, "Button3", &TabSheet1, 20, 17, 200, 35, "タスクマネージャの起動", 0, &TForm1::Button3Click);
  styled(Button2, "Button2", &TabSheet1, 20, 69, 200, 35, "再起動", 2, &TForm1::Button2Click);
  styled(Button1, "Button1", &TabSheet1, 20, 124, 200, 35, "電源断", 1, &TForm1::Button1Click);
  styled(Button4, "Button4", &TabSheet1, 289, 17, 200, 55,
         "Administratorの表示\r※管理者権限が必要です", 3, &TForm1::Button4Click);
  styled(Button6, "Button6", &TabSheet1, 289, 86, 200, 35, "自動ログインの設定", 4, &TForm1::Button6Click);
  Label12.WithFont(Sjis(kPGothic, 16, true));
  label(Label12, "Label12", &TabSheet1, 20, 334, 373, 32,
        "機能追加のご要望お待ちしております。\r※ただし、レジストリ キー等の情報はご提供下さい。");

  // DIALOG
  ListBox1.Name = "ListBox1";
  ListBox1.At(0, 0, 506, 377).Docked(ui::Align::Client).WithTabOrder(0).WithColor(kMoneyGreen)
      .WithFont(Sjis(kPGothic, 15, true)).WithHint("ダブルクリックで表示");
  ListBox1.Create(&TabSheet4, 15);
  ListBox1.OnDblClick = [this] { ListBox1DblClick(&ListBox1); };

  // HARD
  Panel1.Name = "Panel1";
  Panel1.At(0, 0, 506, 42).Docked(ui::Align::Top).WithTabOrder(1);
  Panel1.Create(&TabSheet2);
  doGetClass.Name = "doGetClass";
  doGetClass.At(7, 10, 106, 25).WithTabOrder(1);
  doGetClass.Create(&Panel1, "Get Info");
  doGetClass.OnClick = [this] { doGetClassClick(&doGetClass); };
  edtClass.Name = "edtClass";
  edtClass.At(128, 10, 364, 24).WithTabOrder(0);
  edtClass.Create(&Panel1, std::vector<std::string>(kWmiClassItems, kWmiClassItems + 77),
                  "Win32_OperatingSystem", 16);
  ListView1.Name = "ListView1";
  ListView1.At(0, 42, 506, 335).Docked(ui::Align::Client).WithTabOrder(0)
      .WithFont(Sjis(kPGothic, 12, true));
  std::vector<int> widths1(21, 150);
  widths1[0] = 120;
  ListView1.Create(&TabSheet2, widths1);

  // S.M.A.R.T
  Panel2.Name = "Panel2";
  Panel2.At(0, 0, 506, 44).Docked(ui::Align::Top).WithTabOrder(1);
  Panel2.Create(&TabSheet6);
  doSmart.Name = "doSmart";
  doSmart.At(3, 11, 50, 25).WithTabOrder(1);
  doSmart.Create(&Panel2, "Info");
  doSmart.OnClick = [this] { doSmartClick(&doSmart); };
  DiskNum.Name = "DiskNum";
  DiskNum.At(59, 11, 40, 26).WithTabOrder(0).WithHint("論理ドライブ番号");
  DiskNum.Create(&Panel2, 0);
  TempLabel.WithFont(Sjis(kPGothic, 19, true, kBlack)).WithHint("温度");
  label(TempLabel, "TempLabel", &Panel2, 109, 15, 30, 19, "0ﾟC");
  Label10.WithFont(Sjis(kPGothic, 15, true));
  label(Label10, "Label10", &Panel2, 170, 6, 46, 15, "Model:");
  Label11.WithFont(Sjis(kPGothic, 15, true));
  label(Label11, "Label11", &Panel2, 170, 23, 45, 15, "Serial:");
  ListView2.Name = "ListView2";
  ListView2.At(0, 44, 506, 333).Docked(ui::Align::Client).WithTabOrder(0)
      .WithFont(Sjis(kPGothic, 12, false));
  ListView2.Create(&TabSheet6, {30, 200, 60, 60, 60, 60});

  // FIND IP
  Panel4.Name = "Panel4";
  Panel4.At(0, 0, 506, 81).Docked(ui::Align::Top).WithTabOrder(0);
  Panel4.Create(&TabSheet8);
  ui::TNumEdit* octets[] = {&N1, &N2, &N3, &N4};
  for (int i = 0; i < 4; ++i) {
    octets[i]->Name = "N" + std::to_string(i + 1);
    octets[i]->At(17 + 62 * i, 18, 50, 27).WithTabOrder(i).WithFont(Sjis(kPGothic, 19, true));
    octets[i]->Create(&Panel4);
  }
  N4.SetEnabled(false);
  Label4.WithFont(Sjis(kPGothic, 16, true));
  label(Label4, "Label4", &Panel4, 203, 54, 128, 16, "0..255 AUTO INC");
  styled(Button8, "Button8", &Panel4, 269, 17, 69, 28, "IP検索", 4, &TForm1::Button8Click);
  styled(Button10, "Button10", &Panel4, 344, 17, 69, 28, "停止", 6, &TForm1::Button10Click);
  styled(Button9, "Button9", &Panel4, 427, 17, 69, 28, "クリア", 5, &TForm1::Button9Click);
  RichEdit1.Name = "RichEdit1";
  RichEdit1.At(0, 81, 506, 296).Docked(ui::Align::Client).WithTabOrder(1).WithColor(kMoneyGreen)
      .WithFont(Sjis(kGothic, 16, true, kBlack));
  RichEdit1.PopupMenu.push_back({"IPPrintItem", "印刷", [this] { IPPrintItemClick(&RichEdit1); }});
  RichEdit1.Create(&TabSheet8);

  // OS and CPU
  label(Label1, "Label1", &TabSheet5, 32, 24, 0, 0, "OS  : ");
  label(Label2, "Label2", &TabSheet5, 32, 57, 0, 0, "Version : ");
  label(Label7, "Label7", &TabSheet5, 32, 89, 0, 0, "MAC  : ");
  label(Label8, "Label8", &TabSheet5, 32, 119, 0, 0, "HOST : ");
  label(Label9, "Label9", &TabSheet5, 32, 150, 0, 0, "IP : ");
  label(Label3, "Label3", &TabSheet7, 24, 27, 0, 0, "CPU : ");
  label(Label6, "Label6", &TabSheet7, 24, 59, 0, 0, "SPEED : ");
  label(Label5, "Label5", &TabSheet7, 24, 91, 0, 0, "INFO : ");

  // 読んでね
  Memo1.Name = "Memo1";
  Memo1.At(0, 0, 506, 377).Docked(ui::Align::Client).WithTabOrder(0)
      .WithFont(Sjis(kPGothic, 13, false));
  Memo1.Create(&TabSheet3);

  for (ui::TControl* c : std::vector<ui::TControl*>{&ListBox1, &DiskNum, &TempLabel}) AddHint(*c);
  ApplyTabOrder();
  LayoutChildren();
  RefreshStatusPanes();
  PageControl1.SetActivePageIndex(0);
}

void TForm1::RefreshStatusPanes() {
  sbrMain.SetPaneText(0, ui::LongDateText());
  sbrMain.SetPaneText(1, (GetKeyState(VK_CAPITAL) & 1) ? "CAPS" : "");
  sbrMain.SetPaneText(2, (GetKeyState(VK_NUMLOCK) & 1) ? "NUM" : "");
  sbrMain.SetPaneText(3, (GetKeyState(VK_SCROLL) & 1) ? "SCR" : "");
}

void TForm1::Show() {
  ui::SafeCall([this] { FormShow(this); });
  CenterOnDesktop();
  ShowWindow(Handle(), SW_SHOW);
  UpdateWindow(Handle());
}

void TForm1::FormShow(TObject*) {
  IdentitySequence();
  LoadReadMe();
}

namespace {

// Closes the read-me file on every path.
struct FileHandle {
  HANDLE h;
  ~FileHandle() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};

std::string SystemErrorText(DWORD code) {
  const std::string s = base::SystemErrorText(code);
  return s.empty() ? base::Format("System error %lu", code) : s;
}

}  // namespace

void TForm1::LoadReadMe() {
  // Resolved against the current directory; other writers are denied. Should
  // the name lead to a pipe, its server may not act in our name.
  FileHandle f{CreateFileA(app::kReadMeFileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | SECURITY_SQOS_PRESENT | SECURITY_ANONYMOUS, nullptr)};
  DWORD err = f.h == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
  // Only a disk file is read: a pipe or a device may block or never end.
  if (err == ERROR_SUCCESS && GetFileType(f.h) != FILE_TYPE_DISK) err = ERROR_NOT_SUPPORTED;
  if (err != ERROR_SUCCESS) {
    char full[MAX_PATH * 2] = {0};
    if (!GetFullPathNameA(app::kReadMeFileName, sizeof full, full, nullptr))
      lstrcpynA(full, app::kReadMeFileName, sizeof full);
    throw std::runtime_error(app::ReadMeOpenErrorText(full, SystemErrorText(err)));
  }
  // Reads one byte past the limit, to tell whether a character straddles it.
  std::string text;
  char buf[65536];
  DWORD got = 0;
  while (text.size() <= app::kReadMeMaxBytes && ReadFile(f.h, buf, sizeof buf, &got, nullptr) && got > 0)
    text.append(buf, got);
  if (text.size() > app::kReadMeMaxBytes) text.resize(base::WholeCharsLength(text, app::kReadMeMaxBytes));
  Memo1.SetLines(text);
}

TObject* TForm1::FindControl(const std::string& name) {
  std::vector<ui::TControl*> stack{this};
  while (!stack.empty()) {
    ui::TControl* c = stack.back();
    stack.pop_back();
    if (c->Name == name) return c;
    for (ui::TControl* k : c->Children()) stack.push_back(k);
  }
  return nullptr;
}

LRESULT TForm1::WndProc(UINT m, WPARAM w, LPARAM l) {
  if (m == WM_DESTROY && !destroyed_) {
    destroyed_ = true;
    ui::SafeCall([this] { FormDestroy(this); });
    if (QuitOnDestroy) PostQuitMessage(0);
  }
  return ui::TForm::WndProc(m, w, l);
}
