#include "ui/win/print.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace ui {

const char* const kNoDefaultPrinterText =
    "通常使うプリンタが設定されていません。\r\nプリンタを設定してから印刷してください。";

namespace {

constexpr int kPointSize = 10;
constexpr int kMarginTenthsMm = 150;  // 15 mm on every side

class PrinterDC {
 public:
  explicit PrinterDC(const std::string& printer)
      : dc_(CreateDCA("WINSPOOL", printer.c_str(), nullptr, nullptr)) {
    if (!dc_) throw std::runtime_error("プリンタ " + printer + " を開けません");
  }
  ~PrinterDC() { DeleteDC(dc_); }
  PrinterDC(const PrinterDC&) = delete;
  PrinterDC& operator=(const PrinterDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

struct FaceChoice {
  const char* face;
  BYTE charset;
};

// A fixed-pitch Japanese face first: it keeps addresses aligned and shows
// Shift-JIS names. Some drivers (Wine's PostScript one) cannot embed
// outlines other than TrueType and print such text as nothing, so a face
// without them gives way to the next one.
const FaceChoice kFaces[] = {{"ＭＳ ゴシック", SHIFTJIS_CHARSET},
                             {"Courier New", DEFAULT_CHARSET},
                             {"DejaVu Sans Mono", DEFAULT_CHARSET},
                             {"Liberation Mono", DEFAULT_CHARSET}};

constexpr DWORD kGlyfTable = 0x66796C67;  // 'glyf', little-endian tag

// Whether the selected font has TrueType outlines (every driver embeds those).
bool Printable(HDC dc) { return GetFontData(dc, kGlyfTable, 0, nullptr, 0) != GDI_ERROR; }

// The print font selected into the DC while it lives.
class PrintFont {
 public:
  explicit PrintFont(HDC dc) : dc_(dc) {
    const int height = -MulDiv(kPointSize, GetDeviceCaps(dc, LOGPIXELSY), 72);
    for (const FaceChoice& f : kFaces) {
      HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, f.charset,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               FIXED_PITCH | FF_MODERN, f.face);
      if (!font) continue;
      HGDIOBJ old = SelectObject(dc_, font);
      if (!font_) {
        font_ = font;  // the first one stays if none is better
        old_ = old;
      }
      if (Printable(dc_)) {
        if (font != font_) {
          DeleteObject(font_);
          font_ = font;
        }
        return;
      }
      SelectObject(dc_, font_);
      if (font != font_) DeleteObject(font);
    }
    if (!font_) throw std::runtime_error("印刷用のフォントを作れません");
  }
  ~PrintFont() {
    SelectObject(dc_, old_);
    DeleteObject(font_);
  }
  PrintFont(const PrintFont&) = delete;
  PrintFont& operator=(const PrintFont&) = delete;

 private:
  HDC dc_;
  HFONT font_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

struct PageLayout {
  int left, top, lineHeight, linesPerPage;
};

int MarginPixels(HDC dc, int capsPerInch, int physicalOffset) {
  const int wanted = MulDiv(kMarginTenthsMm, GetDeviceCaps(dc, capsPerInch), 254);
  return std::max(0, wanted - GetDeviceCaps(dc, physicalOffset));
}

// Needs the print font selected.
PageLayout Layout(HDC dc) {
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  PageLayout l;
  l.left = MarginPixels(dc, LOGPIXELSX, PHYSICALOFFSETX);
  l.top = MarginPixels(dc, LOGPIXELSY, PHYSICALOFFSETY);
  l.lineHeight = std::max<int>(1, tm.tmHeight + tm.tmExternalLeading);
  const int usable = GetDeviceCaps(dc, VERTRES) - 2 * l.top;
  l.linesPerPage = std::max(1, usable / l.lineHeight);
  return l;
}

// Ends the document on success, aborts it otherwise.
class PrintJob {
 public:
  PrintJob(HDC dc, const std::string& title) : dc_(dc) {
    DOCINFOA di;
    ZeroMemory(&di, sizeof di);
    di.cbSize = sizeof di;
    di.lpszDocName = title.c_str();
    if (StartDocA(dc_, &di) <= 0) throw std::runtime_error("印刷を開始できません");
  }
  ~PrintJob() {
    if (!ended_) AbortDoc(dc_);
  }
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;
  void StartPage() {
    if (::StartPage(dc_) <= 0) throw std::runtime_error("印刷できません");
  }
  void EndPage() {
    if (::EndPage(dc_) <= 0) throw std::runtime_error("印刷できません");
  }
  void End() {
    ended_ = true;
    if (EndDoc(dc_) <= 0) throw std::runtime_error("印刷を終了できません");
  }

 private:
  HDC dc_;
  bool ended_ = false;
};

}  // namespace

std::string DefaultPrinterName() {
  // GetDefaultPrinterA is missing before Windows 2000, so it is looked up at
  // run time; the older systems keep the default in the "device" profile
  // entry as "name,driver,port". A fixed buffer: Wine's size query for the
  // ANSI form is not reliable.
  char name[1024] = {};
  DWORD size = sizeof name;
  using GetDefaultPrinterFn = BOOL(WINAPI*)(LPSTR, LPDWORD);
  if (HMODULE spool = LoadLibraryA("winspool.drv")) {
    auto fn = reinterpret_cast<GetDefaultPrinterFn>(
        reinterpret_cast<void*>(GetProcAddress(spool, "GetDefaultPrinterA")));
    BOOL ok = fn ? fn(name, &size) : FALSE;
    FreeLibrary(spool);
    if (fn) return ok ? name : "";
  }
  GetProfileStringA("windows", "device", "", name, sizeof name);
  std::string device = name;
  return device.substr(0, device.find(','));
}

PrintResult PrintTextLines(const std::string& title, const std::vector<std::string>& lines) {
  const std::string printer = DefaultPrinterName();
  if (printer.empty()) return PrintResult::NoDefaultPrinter;
  PrinterDC dc(printer);
  PrintFont font(dc.get());
  const PageLayout l = Layout(dc.get());
  SetBkMode(dc.get(), TRANSPARENT);
  SetTextColor(dc.get(), RGB(0, 0, 0));
  PrintJob job(dc.get(), title);
  // An empty list still prints one (empty) page.
  const size_t count = lines.size();
  size_t i = 0;
  do {
    job.StartPage();
    for (int row = 0; row < l.linesPerPage && i < count; ++row, ++i) {
      const std::string& s = lines[i];
      TextOutA(dc.get(), l.left, l.top + row * l.lineHeight, s.data(), static_cast<int>(s.size()));
    }
    job.EndPage();
  } while (i < count);
  job.End();
  return PrintResult::Printed;
}

int PrintLinesPerPage() {
  const std::string printer = DefaultPrinterName();
  if (printer.empty()) return 0;
  PrinterDC dc(printer);
  PrintFont font(dc.get());
  return Layout(dc.get()).linesPerPage;
}

}  // namespace ui
