// The widget layer as a user meets it: the size grip, repainting on resize,
// the notice pane, the numeric edits, the refusal box, long printed lines,
// the keys in the message pumps, and errors inside routed messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "launcher/launcher.h"
#include "tests/win/cups.h"
#include "tests/win/harness.h"
#include "tests/win/loopback_icmp.h"
#include "ui/win/app.h"
#include "ui/win/print.h"

namespace {

class UiForm : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm();
    ShowWithoutFormShow(*form);
    Pump(50);
  }
  // Grows (or shrinks) the window without asking for any repaint.
  void Resize(int dw, int dh) {
    RECT wr;
    GetWindowRect(form->Handle(), &wr);
    SetWindowPos(form->Handle(), nullptr, 0, 0, wr.right - wr.left + dw, wr.bottom - wr.top + dh,
                 SWP_NOMOVE | SWP_NOZORDER);
    Pump(100);
  }
  std::unique_ptr<TForm1> form;
};

// Pixels of the shadow colour (the grip's and the separators' lines) in a
// rectangle of the window, as it was last painted.
int ShadowPixels(HWND h, int left, int top, int right, int bottom) {
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  HDC dc = GetDC(h);
  int n = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) n += GetPixel(dc, x, y) == shadow;
  ReleaseDC(h, dc);
  return n;
}

int ClientWidth(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  return r.right;
}

}  // namespace

TEST_F(UiForm, SizeGripSizesTheWindowExceptWhenMaximised) {
  HWND bar = form->sbrMain.Handle();
  RECT r;
  GetWindowRect(bar, &r);
  const POINT grip = {r.right - 4, r.bottom - 4};
  EXPECT_EQ(HTBOTTOMRIGHT, SendMessageA(bar, WM_NCHITTEST, 0, MAKELPARAM(grip.x, grip.y)));
  EXPECT_EQ(HTCLIENT, SendMessageA(bar, WM_NCHITTEST, 0, MAKELPARAM(r.left + 60, grip.y)));

  // A press on the grip and a drag of 60 by 40 pixels: the press is posted
  // where the pointer is, the drag and the release where it goes.
  RECT before, after;
  GetWindowRect(form->Handle(), &before);
  SetCursorPos(grip.x, grip.y);
  PostMessageA(bar, WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, MAKELPARAM(grip.x, grip.y));
  SetCursorPos(grip.x + 60, grip.y + 40);
  const LPARAM to = MAKELPARAM(grip.x + 60, grip.y + 40);
  PostMessageA(form->Handle(), WM_MOUSEMOVE, MK_LBUTTON, to);
  PostMessageA(form->Handle(), WM_LBUTTONUP, 0, to);
  Pump(150);
  GetWindowRect(form->Handle(), &after);
  EXPECT_EQ(before.left, after.left);
  EXPECT_EQ(before.top, after.top);
  EXPECT_EQ(before.right + 60, after.right);
  EXPECT_EQ(before.bottom + 40, after.bottom);

  ShowWindow(form->Handle(), SW_MAXIMIZE);
  Pump(150);
  GetWindowRect(bar, &r);
  EXPECT_NE(HTBOTTOMRIGHT, SendMessageA(bar, WM_NCHITTEST, 0, MAKELPARAM(r.right - 4, r.bottom - 4)));
  const int w = ClientWidth(bar);
  EXPECT_EQ(0, ShadowPixels(bar, w - 17, 0, w, 19)) << "no grip while maximised";
  ShowWindow(form->Handle(), SW_RESTORE);
  Pump(150);
  EXPECT_GT(ShadowPixels(bar, ClientWidth(bar) - 17, 0, ClientWidth(bar), 19), 0);
}

TEST_F(UiForm, ResizingRepaintsTheGripAndThePanelFrames) {
  form->PageControl1.SetActivePageIndex(4);
  Pump(100);
  HWND bar = form->sbrMain.Handle(), panel = form->Panel4.Handle();
  ASSERT_EQ(510, ClientWidth(bar));
  ASSERT_GT(ShadowPixels(bar, 493, 0, 510, 19), 0);
  ASSERT_GT(ShadowPixels(panel, 505, 30, 506, 50), 0);  // the frame's right edge

  Resize(200, 100);
  ASSERT_EQ(710, ClientWidth(bar));
  EXPECT_EQ(0, ShadowPixels(bar, 493, 0, 510, 19)) << "an old grip stays mid-bar";
  EXPECT_GT(ShadowPixels(bar, 693, 0, 710, 19), 0);
  EXPECT_EQ(0, ShadowPixels(panel, 505, 30, 506, 50)) << "the panel keeps its old right edge";
  EXPECT_GT(ShadowPixels(panel, 705, 30, 706, 50), 0);

  Resize(-300, -50);
  ASSERT_EQ(410, ClientWidth(bar));
  EXPECT_GT(ShadowPixels(bar, 393, 0, 410, 19), 0) << "no grip after shrinking";
  EXPECT_GT(ShadowPixels(panel, 405, 30, 406, 50), 0);
}

TEST_F(UiForm, NoticePaneIsSizedToItsText) {
  HWND bar = form->sbrMain.Handle();
  const int start = 122 + 41 + 35 + 34;  // the notice pane's left edge
  // The notice's separator: the first full-height shadow line after the pane starts.
  int separator = -1;
  for (int x = start + 1; x < 500 && separator < 0; ++x)
    if (ShadowPixels(bar, x, 3, x + 1, 16) == 13) separator = x;
  ASSERT_GT(separator, 0);
  // The text's last dark pixel before it.
  int textEnd = -1;
  HDC dc = GetDC(bar);
  for (int x = start + 1; x < separator; ++x)
    for (int y = 2; y < 17; ++y)
      if (GetRValue(GetPixel(dc, x, y)) < 96) textEnd = x;
  ReleaseDC(bar, dc);
  ASSERT_GT(textEnd, start);
  EXPECT_LE(separator - textEnd, 12) << "the separator sits past the text";
}

namespace {

// Loopback echoes without name lookups; stops the sweep after two addresses.
class TwoEchoes : public LoopbackIcmp {
 public:
  std::vector<std::string> probed;
  std::function<void()> stop;
  bool GetHostByAddr(std::uint32_t, std::string&) override { return false; }
  unsigned IcmpSendEcho(Proc p, Handle h, std::uint32_t dest, const void* data, std::uint16_t size,
                        const EchoOptions& o, void* reply, std::uint32_t replySize,
                        std::uint32_t timeout) override {
    probed.push_back(real.InetNtoa(dest));
    if (probed.size() == 2) stop();
    return LoopbackIcmp::IcmpSendEcho(p, h, dest, data, size, o, reply, replySize, timeout);
  }
};

void Paste(HWND edit, const std::string& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  memcpy(GlobalLock(mem), text.c_str(), text.size() + 1);
  GlobalUnlock(mem);
  SetClipboardData(CF_TEXT, mem);
  CloseClipboard();
  SendMessageA(edit, WM_PASTE, 0, 0);
}

}  // namespace

TEST_F(UiForm, OctetsShowNoLeadingZerosAndTheSweepProbesWhatItLists) {
  form->PageControl1.SetActivePageIndex(4);
  HWND n1 = form->N1.Handle(), n2 = form->N2.Handle();
  SetFocus(n1);
  form->N1.SetText("");
  for (char ch : std::string("010")) SendMessageA(n1, WM_CHAR, ch, 0);
  EXPECT_EQ("010", form->N1.Text());  // as typed while it has the focus
  SetFocus(n2);
  EXPECT_EQ("10", form->N1.Text());

  // Pasted text is refused or clamped as typed text is, by its whole value.
  const struct {
    const char* before;
    const char* pasted;
    const char* after;
  } pastes[] = {{"12", "-5", "12"}, {"12", "12a", "12"}, {"12", " 7", "12"}, {"", "300", "255"},
                {"12", "7", "127"}, {"", "1000", "255"}, {"", "0010", "10"}};
  for (const auto& c : pastes) {
    form->N2.SetText(c.before);
    SendMessageA(n2, EM_SETSEL, 2, 2);
    Paste(n2, c.pasted);
    EXPECT_EQ(c.after, form->N2.Text()) << c.pasted;
  }

  TwoEchoes icmp;
  icmp.stop = [&] { PostMessageA(form->Button10.Handle(), BM_CLICK, 0, 0); };
  form->Icmp = &icmp;
  form->N1.SetText("127");
  form->N2.SetText("0");
  SetFocus(form->N3.Handle());
  form->N3.SetText("010");
  form->Button8.Click();
  EXPECT_EQ("10", form->N3.Text());
  ASSERT_GE(icmp.probed.size(), 2u);
  EXPECT_EQ("127.0.10.0", icmp.probed[0]);
  const std::vector<std::string> lines = form->RichEdit1.Lines();
  ASSERT_FALSE(lines.empty()) << "loopback addresses answer";
  for (const std::string& line : lines) {
    const std::string address = line.substr(0, line.find(':'));
    EXPECT_NE(icmp.probed.end(), std::find(icmp.probed.begin(), icmp.probed.end(), address)) << line;
  }
}

TEST(UiLauncher, RefusalBoxIsOwnedByTheApplicationWindow) {
  BoxWatcher boxes;
  launcher::ExecuteTool(Win32ShellPlatform(), nullptr, "Z:\\vesk-no-such-folder\\no-such.exe", "", "");
  Pump(200);
  const auto seen = boxes.Boxes();
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ("表示できませんでした．", seen[0].text);
  ASSERT_NE(nullptr, seen[0].owner);
  EXPECT_EQ(ui::ApplicationWindow(), seen[0].owner);
  EXPECT_FALSE(IsWindowVisible(seen[0].owner));
  char title[64] = {0};
  GetWindowTextA(seen[0].owner, title, sizeof title);
  EXPECT_STREQ(ui::kApplicationTitle, title);
}

namespace {

// Rows of ink on a page: runs of pixel rows with anything dark in them.
int TextRows(const GrayPage& page) {
  int rows = 0;
  bool inRow = false;
  for (int y = 0; y < page.height; ++y) {
    bool dark = false;
    for (int x = 0; x < page.width && !dark; ++x) dark = page.Dark(x, y);
    rows += dark && !inRow;
    inRow = dark;
  }
  return rows;
}

// A host name of 208 characters without descenders, so that printed rows
// stay apart.
std::string LongHostName() {
  std::string name;
  while (name.size() < 208) name += "abcde";
  return name.substr(0, 208);
}

}  // namespace

TEST(UiPrint, LongLineWrapsOntoTheFollowingLines) {
  if (IsCupsChild()) {
    auto form = MakeForm();
    form->RichEdit1.AppendLine("127.0.0.1:" + LongHostName());
    form->RichEdit1.AppendLine("127.0.0.2:");
    BoxWatcher boxes;
    form->IPPrintItemClick(&form->RichEdit1);
    Pump(200);
    EXPECT_TRUE(boxes.Boxes().empty());
    return;
  }
  Workspace ws;
  const Workspace::PdfRun run = ws.PrintToPdf("UiPrint.LongLineWrapsOntoTheFollowingLines", 100);
  if (!run.skip.empty()) GTEST_SKIP() << run.skip;
  ASSERT_TRUE(run.failure.empty()) << run.failure;
  std::istringstream pages(ReadAll(ws.Dir() + "/pages.txt"));
  std::string first;
  std::getline(pages, first);
  GrayPage page;
  ASSERT_TRUE(ParsePgm(ReadAll(ws.Dir() + "/" + base::Trim(first)), page)) << first;
  // 218 characters at about 85 a line: three rows, then the second line.
  EXPECT_EQ(4, TextRows(page));
  ws.Shell("unlink", "rm -f '" + run.pdf + "'", 10000);
}

namespace {

// A styled button on a system that cannot say when the pointer leaves (95).
class NoLeaveNotice : public ui::TStyledButton {
 protected:
  bool TrackLeave() override { return false; }
};

}  // namespace

// Hot while the pointer is over a styled button, and no longer once it has
// gone: told by the system, or found by looking where the system cannot
// tell (there the pointer, in the screen's corner, is never over it).
TEST_F(UiForm, HotTrackingEndsWhenThePointerLeaves) {
  ui::TStyledButton& told = form->Button3;
  RECT r, f;
  GetWindowRect(told.Handle(), &r);
  GetWindowRect(form->Handle(), &f);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  EXPECT_TRUE(PumpUntil([&] { return told.Hot(); }));
  SetCursorPos(f.right + 20, f.bottom + 20);
  EXPECT_TRUE(PumpUntil([&] { return !told.Hot(); }));

  NoLeaveNotice untold;
  untold.At(20, 200, 100, 30);
  untold.Create(&form->TabSheet1, "95");
  SetCursorPos(0, 0);
  SendMessageA(untold.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(untold.Hot());
  EXPECT_TRUE(PumpUntil([&] { return !untold.Hot(); }));
  form.reset();  // the windows go before the button they hold
}

TEST_F(UiForm, PumpsOfLongWorkHandleTabAndCtrlTab) {
  form->PageControl1.SetActivePageIndex(4);
  SetFocus(form->N1.Handle());
  // The sweep's pump, then the launcher's: Tab moves to the next octet.
  PostMessageA(form->N1.Handle(), WM_KEYDOWN, VK_TAB, 0);
  ui::ProcessMessages();
  EXPECT_EQ(form->N2.Handle(), GetFocus());
  PostMessageA(form->N2.Handle(), WM_KEYDOWN, VK_TAB, 0);
  Win32ShellPlatform().RunPendingMessages();
  EXPECT_EQ(form->N3.Handle(), GetFocus());

  // Ctrl+Tab, with Ctrl held in this thread's key state only.
  BYTE keys[256];
  GetKeyboardState(keys);
  const BYTE ctrl = keys[VK_CONTROL];
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  PostMessageA(form->N3.Handle(), WM_KEYDOWN, VK_TAB, 0);
  ui::ProcessMessages();
  keys[VK_CONTROL] = ctrl;
  SetKeyboardState(keys);
  EXPECT_EQ(5, form->PageControl1.ActivePageIndex());
}

TEST_F(UiForm, ErrorsInRoutedMessagesReachTheErrorBoxAndHandlesAreCleared) {
  BoxWatcher boxes;
  bool thrown = false;
  form->sbrMain.OnTimer = [&thrown] {
    if (thrown) return;
    thrown = true;
    throw std::runtime_error("timer failed");
  };
  ASSERT_TRUE(PumpUntil([&] { return !boxes.Boxes().empty(); }));
  EXPECT_EQ("timer failed.", boxes.Boxes()[0].text);
  EXPECT_TRUE(IsWindowVisible(form->Handle())) << "the program goes on";

  // Only our own windows are objects; a destroyed one lets go of its handle.
  EXPECT_EQ(nullptr, ui::TControl::FromHandle(form->ToolTip()));
  EXPECT_EQ(&form->Memo1, ui::TControl::FromHandle(form->Memo1.Handle()));
  DestroyWindow(form->Memo1.Handle());
  EXPECT_EQ(nullptr, form->Memo1.Handle());
}
