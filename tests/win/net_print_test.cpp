// Printing the FIND IP list: the message without a default printer, and a
// real job through a private CUPS scheduler with a cups-pdf queue, printed
// by a child run; this process then checks the PDF that cups-pdf wrote.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "tests/win/cups.h"
#include "tests/win/harness.h"
#include "ui/win/app.h"
#include "ui/win/print.h"

namespace {

// Count of pixels clearly darker than paper; -1 when not a page.
long DarkPixels(const std::string& pgm) {
  GrayPage page;
  if (!ParsePgm(pgm, page)) return -1;
  long dark = 0;
  for (int y = 0; y < page.height; ++y)
    for (int x = 0; x < page.width; ++x) dark += page.Dark(x, y);
  return dark;
}

std::string Field(const std::string& info, const std::string& name) {
  std::istringstream in(info);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(name + ":", 0) == 0) return base::Trim(line.substr(name.size() + 1));
  }
  return "";
}

// The child's part: the queue is the default printer; print the list.
void PrintThreePagesAsChild() {
  const std::string queue = EnvVar(kCupsQueueVar);
  ASSERT_EQ(ui::DefaultPrinterName(), queue) << "Wine did not pick up the CUPS default";
  const int perPage = ui::PrintLinesPerPage();
  ASSERT_GT(perPage, 5);
  auto form = MakeForm();
  ShowWithoutFormShow(*form);
  const int count = 2 * perPage + perPage / 2;
  for (int i = 0; i < count; ++i)
    form->RichEdit1.AppendLine(base::Format("127.0.%d.%d:host-%03d.example", i / 256, i % 256, i));
  ASSERT_EQ(form->RichEdit1.Lines().size(), static_cast<size_t>(count));
  BoxWatcher boxes;
  ASSERT_EQ(form->RichEdit1.PopupMenu.size(), 1u);
  EXPECT_EQ(form->RichEdit1.PopupMenu[0].Name, "IPPrintItem");
  form->RichEdit1.PopupMenu[0].OnClick();
  Pump(200);
  EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Boxes()[0].text;
}

TEST(NetPrint, WithoutDefaultPrinterSaysSoAndPrintsNothing) {
  if (IsCupsChild()) GTEST_SKIP() << "child run";
  if (!ui::DefaultPrinterName().empty())
    GTEST_SKIP() << "a default printer is set: " << ui::DefaultPrinterName();
  EXPECT_EQ(ui::PrintLinesPerPage(), 0);
  auto form = MakeForm();
  ShowWithoutFormShow(*form);
  form->RichEdit1.AppendLine("127.0.0.1:localhost");
  BoxWatcher boxes;
  form->IPPrintItemClick(&form->RichEdit1);
  Pump(200);
  const auto shown = boxes.Boxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, ui::kNoDefaultPrinterText);
  EXPECT_EQ(shown[0].caption, ui::kApplicationTitle);
  EXPECT_EQ(form->RichEdit1.Lines().size(), 1u);
}

TEST(NetPrint, ThreePageListThroughCupsPdf) {
  if (IsCupsChild()) {
    PrintThreePagesAsChild();
    return;
  }
  Workspace ws;
  const std::string d = ws.Dir();
  const Workspace::PdfRun run = ws.PrintToPdf("NetPrint.ThreePageListThroughCupsPdf", 30);
  if (!run.skip.empty()) GTEST_SKIP() << run.skip;
  ASSERT_TRUE(run.failure.empty()) << run.failure;
  const std::string& pdf = run.pdf;
  const std::string info = ReadAll(d + "/pdfinfo.txt");
  EXPECT_EQ(Field(info, "Title"), "Find IP List") << pdf << "\n" << info;
  EXPECT_EQ(Field(info, "Pages"), "3") << info;

  std::istringstream pages(ReadAll(d + "/pages.txt"));
  std::string page;
  int rendered = 0;
  while (std::getline(pages, page)) {
    page = base::Trim(page);
    if (page.empty()) continue;
    ++rendered;
    const long dark = DarkPixels(ReadAll(d + "/" + page));
    EXPECT_GT(dark, 50) << page << " looks blank";
  }
  EXPECT_EQ(rendered, 3);
  ws.Shell("unlink", "rm -f '" + pdf + "'", 10000);
}

}  // namespace
