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

#include "tests/win/cups.h"
#include "tests/win/harness.h"
#include "base/text.h"
#include "ui/win/app.h"
#include "ui/win/print.h"

namespace {

// Count of pixels clearly darker than paper in a binary PGM (P5) page.
long DarkPixels(const std::string& pgm) {
  std::istringstream in(pgm);
  std::string magic;
  int w = 0, h = 0, maxval = 0;
  in >> magic >> w >> h >> maxval;
  in.get();
  if (magic != "P5" || w <= 0 || h <= 0 || maxval <= 0 || maxval > 255) return -1;
  std::string data(static_cast<size_t>(w) * h, '\0');
  in.read(&data[0], static_cast<std::streamsize>(data.size()));
  long dark = 0;
  for (unsigned char c : data)
    if (c < maxval / 2) ++dark;
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
  for (const char* tool : {"/usr/bin/pdfinfo", "/usr/bin/pdftoppm"})
    if (!Exists(tool)) GTEST_SKIP() << "cannot read PDFs here: " << tool << " is not installed";

  Workspace ws;
  const std::string d = ws.Dir();
  const unsigned job = 1000 + (GetCurrentProcessId() * 7 + GetTickCount()) % 900000;
  const std::string queue = base::Format("VeskFindIp%u", job);
  const std::string sock = ws.Socket();
  const std::string why = ws.StartCups(queue, Workspace::Queue::Pdf, job);
  if (!why.empty()) GTEST_SKIP() << "CUPS cannot run here: " << why;

  int rc = 0;
  const std::string noChild = ws.RunChild("NetPrint.ThreePageListThroughCupsPdf", queue, 200000, rc);
  if (!noChild.empty()) GTEST_SKIP() << noChild;
  ASSERT_EQ(rc, 0) << "the printing child failed:\n" << ws.Log("child");

  // Wait for the job to finish, then find the PDF it made.
  rc = ws.Shell("find",
                "cd '" + d + "'\nexport CUPS_SERVER='" + sock + "'\n"
                "for i in $(seq 240); do\n"
                "  [ -z \"$(lpstat -o " + queue + " 2>/dev/null)\" ] && break; sleep 0.5\n"
                "done\n"
                "pdf=''\n"
                "while read -r dir; do\n"
                "  for f in \"$dir\"/*job_" + std::to_string(job) + "*.pdf; do\n"
                "    [ -f \"$f\" ] && pdf=$f\n"
                "  done\n"
                "  [ -n \"$pdf\" ] && break\n"
                "  for f in $(find \"$dir\" -maxdepth 1 -name '*.pdf' -newer stamp 2>/dev/null); do\n"
                "    pdf=$f\n"
                "  done\n"
                "  [ -n \"$pdf\" ] && break\n"
                "done < outdirs\n"
                "[ -n \"$pdf\" ] || { echo 'no new PDF in:'; cat outdirs; tail -20 error_log; exit 5; }\n"
                "echo \"$pdf\" > pdfname\n"
                "pdfinfo \"$pdf\" > pdfinfo.txt\n"
                "pdftoppm -r 30 -gray \"$pdf\" page\n"
                "ls page*.pgm > pages.txt\n",
                150000);
  ASSERT_EQ(rc, 0) << ws.Log("find");
  const std::string pdf = base::Trim(ReadAll(d + "/pdfname"));
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
