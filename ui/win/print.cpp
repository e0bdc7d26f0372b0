#include "ui/win/print.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>

#include "base/text.h"
#include "base/win/late_bound.h"
#include "base/win/system_library.h"
#include "ui/win/gdi.h"

namespace ui {

static_assert(sizeof(DOCINFOA) == (sizeof(void*) == 8 ? 40 : 20), "");

const char* const kNoDefaultPrinterText =
    "通常使うプリンタが設定されていません。\r\nプリンタを設定してから印刷してください。";

namespace {

constexpr int kPointSize = 10;
constexpr int kMarginTenthsMm = 150;  // 15 mm on every side

class PrinterDC : public OwnedDC {
 public:
  explicit PrinterDC(const std::string& printer)
      : OwnedDC(CreateDCA("WINSPOOL", printer.c_str(), nullptr, nullptr)) {
    if (!get()) throw std::runtime_error("プリンタ " + printer + " を開けません");
  }
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
  explicit PrintFont(HDC dc) {
    const int height = -MulDiv(kPointSize, GetDeviceCaps(dc, LOGPIXELSY), 72);
    for (const FaceChoice& f : kFaces) {
      Font font(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, f.charset, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, f.face));
      if (!font) continue;
      bool printable;
      {
        Selected trial(dc, font.get());
        printable = Printable(dc);
      }
      if (printable || !font_) font_ = std::move(font);  // the first one stays if none is better
      if (printable) break;
    }
    if (!font_) throw std::runtime_error("印刷用のフォントを作れません");
    selected_.emplace(dc, font_.get());
  }

 private:
  Font font_;
  std::optional<Selected> selected_;  // released before the font
};

struct PageLayout {
  int left, top, width, lineHeight, linesPerPage;
};

int MarginPixels(HDC dc, int capsPerInch, int physicalOffset) {
  const int wanted = MulDiv(kMarginTenthsMm, GetDeviceCaps(dc, capsPerInch), 254);
  return std::max(0, wanted - GetDeviceCaps(dc, physicalOffset));
}

// Measured in the print font, which the caller keeps selected.
PageLayout Layout(HDC dc, const PrintFont&) {
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  PageLayout l;
  l.left = MarginPixels(dc, LOGPIXELSX, PHYSICALOFFSETX);
  l.top = MarginPixels(dc, LOGPIXELSY, PHYSICALOFFSETY);
  l.width = std::max(1, GetDeviceCaps(dc, HORZRES) - 2 * l.left);
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
  {
    const base::SystemLibrary spool("winspool.drv");
    if (auto fn = base::LateBound<GetDefaultPrinterFn>(spool.get(), "GetDefaultPrinterA"))
      return fn(name, &size) ? name : "";
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
  const PageLayout l = Layout(dc.get(), font);
  SetBkMode(dc.get(), TRANSPARENT);
  SetTextColor(dc.get(), RGB(0, 0, 0));
  // A line wider than the page goes on over the following printed lines.
  const auto measure = [&dc](const std::string& s) {
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc.get(), s.data(), static_cast<int>(s.size()), &size);
    return static_cast<int>(size.cx);
  };
  std::vector<std::string> printed;
  for (const std::string& line : lines)
    for (std::string& piece : base::WrapToWidth(line, l.width, measure)) printed.push_back(std::move(piece));
  PrintJob job(dc.get(), title);
  // An empty list still prints one (empty) page.
  size_t i = 0;
  do {
    job.StartPage();
    for (int row = 0; row < l.linesPerPage && i < printed.size(); ++row, ++i) {
      const std::string& s = printed[i];
      TextOutA(dc.get(), l.left, l.top + row * l.lineHeight, s.data(), static_cast<int>(s.size()));
    }
    job.EndPage();
  } while (i < printed.size());
  job.End();
  return PrintResult::Printed;
}

int PrintLinesPerPage() {
  const std::string printer = DefaultPrinterName();
  if (printer.empty()) return 0;
  PrinterDC dc(printer);
  PrintFont font(dc.get());
  return Layout(dc.get(), font).linesPerPage;
}

}  // namespace ui
