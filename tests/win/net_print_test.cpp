// Printing the FIND IP list: the message without a default printer, and a
// real job through a private CUPS scheduler with a cups-pdf queue.
//
// Wine reads the CUPS printers once, when a process starts, so the queue is
// set up first and a child run of this same test program prints; this
// process then checks the PDF that cups-pdf wrote.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/win/harness.h"
#include "ui/text.h"
#include "ui/win/app.h"
#include "ui/win/print.h"

namespace {

const char kChildFlag[] = "VESK_NET_PRINT_CHILD";
const char kQueueVar[] = "VESK_NET_PRINT_QUEUE";

std::string WinPath(const std::string& unixPath) {
  std::string p = "Z:" + unixPath;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

// The Unix path of a file of ours; Wine converts any drive.
std::string UnixPath(const std::string& winPath) {
  // cppcheck reads the calling-convention macro as a cast.
  // cppcheck-suppress cstyleCast
  using ToUnix = char*(CDECL*)(LPCWSTR);
  auto toUnix = reinterpret_cast<ToUnix>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
  WCHAR wide[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, winPath.c_str(), -1, wide, MAX_PATH);
  if (char* u = toUnix ? toUnix(wide) : nullptr) {
    std::string out = u;
    HeapFree(GetProcessHeap(), 0, u);
    return out;
  }
  std::string p = winPath.substr(2);
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
}

bool Exists(const std::string& unixPath) {
  return GetFileAttributesA(WinPath(unixPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadAll(const std::string& unixPath) {
  std::ifstream f(WinPath(unixPath), std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void WriteAll(const std::string& unixPath, const std::string& text) {
  std::ofstream f(WinPath(unixPath), std::ios::binary);
  f << text;
}

std::string EnvVar(const char* name) {
  char buf[1024];
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

// A Unix folder of this run's scheduler, scripts and logs.
class Workspace {
 public:
  Workspace() : dir_(ui::Format("/tmp/vesk-net-print-%lu-%lu", GetCurrentProcessId(), GetTickCount())) {
    CreateDirectoryA(WinPath(dir_).c_str(), nullptr);
  }
  ~Workspace() {
    // Stops the scheduler this test started, by its process id.
    if (cupsdStarted)
      Shell("stop",
            "pid=$(cat '" + dir_ + "/cupsd.pid'); kill $pid; for i in $(seq 50); do "
            "kill -0 $pid 2>/dev/null || break; sleep 0.1; done",
            20000);
    Shell("remove", "cd /; rm -rf '" + dir_ + "'", 0, false);
    for (int waited = 0; waited < 10000 && Exists(dir_); waited += 50) Sleep(50);
  }
  const std::string& Dir() const { return dir_; }

  // Runs body with /bin/sh and waits for its status; -1 when it did not
  // finish in time. Its output is in <name>.log.
  int Shell(const std::string& name, const std::string& body, int timeoutMs,
            bool marker = true) const {
    const std::string script = dir_ + "/" + name + ".sh";
    const std::string done = dir_ + "/" + name + ".done";
    std::string text = "PATH=/usr/sbin:/usr/bin:/sbin:/bin; export PATH\n";
    if (marker)
      text += "(\n" + body + "\n) >'" + dir_ + "/" + name + ".log' 2>&1\necho $? >'" + done +
              ".tmp' && mv '" + done + ".tmp' '" + done + "'\n";
    else
      text += body + "\n";
    WriteAll(script, text);
    std::string cmd = "Z:\\bin\\sh " + script;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      return -1;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    // A Unix child gives no exit code back, so the script leaves a marker.
    for (int waited = 0; waited < timeoutMs; waited += 50) {
      if (Exists(done)) return std::atoi(ReadAll(done).c_str());
      Sleep(50);
    }
    return -1;
  }
  std::string Log(const std::string& name) const { return ReadAll(dir_ + "/" + name + ".log"); }

  bool cupsdStarted = false;

 private:
  std::string dir_;
};

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
    if (line.rfind(name + ":", 0) == 0) return ui::Trim(line.substr(name.size() + 1));
  }
  return "";
}

// The child's part: the queue is the default printer; print the list.
void PrintThreePagesAsChild() {
  const std::string queue = EnvVar(kQueueVar);
  ASSERT_EQ(ui::DefaultPrinterName(), queue) << "Wine did not pick up the CUPS default";
  const int perPage = ui::PrintLinesPerPage();
  ASSERT_GT(perPage, 5);
  auto form = MakeForm();
  ShowWithoutFormShow(*form);
  const int count = 2 * perPage + perPage / 2;
  for (int i = 0; i < count; ++i)
    form->RichEdit1.AppendLine(ui::Format("127.0.%d.%d:host-%03d.example", i / 256, i % 256, i));
  ASSERT_EQ(form->RichEdit1.Lines().size(), static_cast<size_t>(count));
  BoxWatcher boxes;
  ASSERT_EQ(form->RichEdit1.PopupMenu.size(), 1u);
  EXPECT_EQ(form->RichEdit1.PopupMenu[0].Name, "IPPrintItem");
  form->RichEdit1.PopupMenu[0].OnClick();
  Pump(200);
  EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Boxes()[0].text;
}

TEST(NetPrint, WithoutDefaultPrinterSaysSoAndPrintsNothing) {
  if (!EnvVar(kChildFlag).empty()) GTEST_SKIP() << "child run";
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
  if (!EnvVar(kChildFlag).empty()) {
    PrintThreePagesAsChild();
    return;
  }
  for (const char* tool : {"/usr/sbin/cupsd", "/usr/sbin/lpadmin", "/usr/lib/cups/backend/cups-pdf",
                           "/usr/bin/pdfinfo", "/usr/bin/pdftoppm", "/bin/sh"})
    if (!Exists(tool)) GTEST_SKIP() << "CUPS cannot run here: " << tool << " is not installed";

  Workspace ws;
  const std::string d = ws.Dir();
  const unsigned job = 1000 + (GetCurrentProcessId() * 7 + GetTickCount()) % 900000;
  const std::string queue = ui::Format("VeskFindIp%u", job);
  const std::string sock = d + "/cups.sock";

  // A scheduler of our own on a private socket; job numbers unique to this
  // run so that concurrent runs never write the same PDF name.
  WriteAll(d + "/cupsd.conf", "Listen " + sock +
                                  "\nLogLevel warn\nWebInterface No\nBrowsing No\n"
                                  "<Location />\n Order allow,deny\n Allow all\n</Location>\n"
                                  "<Policy default>\n <Limit All>\n  Order deny,allow\n </Limit>\n"
                                  "</Policy>\n");
  WriteAll(d + "/cups-files.conf", "ServerRoot " + d + "\nRequestRoot " + d + "/spool\nCacheDir " +
                                       d + "/cache\nStateDir " + d + "/state\nTempDir " + d +
                                       "/tmp\nErrorLog " + d + "/error_log\nAccessLog " + d +
                                       "/access_log\nPageLog " + d +
                                       "/page_log\nSystemGroup root\nServerBin /usr/lib/cups\n"
                                       "DataDir /usr/share/cups\nSandboxing relaxed\n");
  const std::string ppd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";
  int rc = ws.Shell(
      "start",
      "set -e\n[ \"$(id -u)\" = 0 ] || { echo 'cupsd needs root'; exit 3; }\n"
      "cd '" + d + "'\nmkdir -p spool cache state tmp ppd\nchmod 755 .\nchmod 1777 tmp\n"
      "printf 'NextJobId " + std::to_string(job) + "\\n' > cache/job.cache\n"
      "cupsd -f -c \"$PWD/cupsd.conf\" -s \"$PWD/cups-files.conf\" >cupsd.out 2>&1 </dev/null &\n"
      "echo $! > cupsd.pid\n"
      "for i in $(seq 100); do [ -S cups.sock ] && break; sleep 0.1; done\n"
      "[ -S cups.sock ] || { cat cupsd.out error_log; kill $(cat cupsd.pid) 2>/dev/null || true; rm -f cupsd.pid; exit 4; }\n"
      "export CUPS_SERVER='" + sock + "'\n"
      "ppd='" + ppd + "'; [ -f \"$ppd\" ] || ppd=$(ls /usr/share/ppd/cups-pdf/*.ppd | head -1)\n"
      "lpadmin -p " + queue + " -v cups-pdf:/ -P \"$ppd\" -E 2>&1 | grep -v deprecated || true\n"
      "lpadmin -d " + queue + "\nlpstat -d\n"
      // Where cups-pdf puts the files of this user, and of anonymous jobs.
      "user=$(id -un); home=$(getent passwd \"$user\" | cut -d: -f6)\n"
      "conf=/etc/cups/cups-pdf.conf\n"
      "out=$(sed -n 's/^[[:space:]]*Out[[:space:]]\\{1,\\}//p' $conf 2>/dev/null | tail -1)\n"
      "anon=$(sed -n 's/^[[:space:]]*AnonDirName[[:space:]]\\{1,\\}//p' $conf 2>/dev/null | tail -1)\n"
      "echo \"${out:-\\${HOME\\}/PDF}\" | sed \"s|\\${HOME}|$home|g; s|\\${USER}|$user|g\" > outdirs\n"
      "echo \"${anon:-/var/spool/cups-pdf/ANONYMOUS}\" >> outdirs\n"
      "touch stamp\n",
      30000);
  if (Exists(d + "/cupsd.pid")) ws.cupsdStarted = true;
  if (rc != 0) GTEST_SKIP() << "CUPS cannot run here (status " << rc << "): " << ws.Log("start");
  ASSERT_NE(ws.Log("start").find(queue), std::string::npos) << ws.Log("start");

  // The child run. Wine reads the CUPS printers only in the first process
  // of a wineserver session, so the child gets a server of its own: a
  // prefix with copies of our registry that shares our drive C.
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  const std::string loader = sizeof(void*) == 8 ? "/usr/lib/wine/wine64" : "/usr/lib/wine/wine";
  if (!Exists(loader)) GTEST_SKIP() << "no Wine loader at " << loader;
  // 32-bit Wine reaches CUPS through the 32-bit client library only.
  if (sizeof(void*) == 4 && !Exists("/usr/lib/i386-linux-gnu/libcups.so.2") &&
      !Exists("/usr/lib32/libcups.so.2"))
    GTEST_SKIP() << "CUPS cannot be reached from 32-bit Wine here: libcups2:i386 is not installed";
  rc = ws.Shell(
      "child",
      "cd '" + d + "'\nparent=${WINEPREFIX:-$HOME/.wine}\n"
      "mkdir -p prefix/dosdevices\n"
      "cp \"$parent\"/*.reg \"$parent/.update-timestamp\" prefix/\n"
      "ln -s \"$parent/drive_c\" prefix/drive_c\n"
      "ln -s ../drive_c prefix/dosdevices/c:\nln -s / prefix/dosdevices/z:\n"
      "export WINEPREFIX=\"$PWD/prefix\" CUPS_SERVER='" + sock + "' " + kChildFlag + "=1 " +
          kQueueVar + "=" + queue + "\n"
      // A crash must end the child, not wait in a debugger.
      "export WINEDLLOVERRIDES=\"${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winedbg.exe=d\"\n"
      "rc=0\ntimeout 200 '" + loader + "' '" + UnixPath(exe) +
          "' --gtest_filter=NetPrint.ThreePageListThroughCupsPdf || rc=$?\n"
      "wineserver -w\nexit $rc\n",
      240000);
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
  const std::string pdf = ui::Trim(ReadAll(d + "/pdfname"));
  const std::string info = ReadAll(d + "/pdfinfo.txt");
  EXPECT_EQ(Field(info, "Title"), "Find IP List") << pdf << "\n" << info;
  EXPECT_EQ(Field(info, "Pages"), "3") << info;

  std::istringstream pages(ReadAll(d + "/pages.txt"));
  std::string page;
  int rendered = 0;
  while (std::getline(pages, page)) {
    page = ui::Trim(page);
    if (page.empty()) continue;
    ++rendered;
    const long dark = DarkPixels(ReadAll(d + "/" + page));
    EXPECT_GT(dark, 50) << page << " looks blank";
  }
  EXPECT_EQ(rendered, 3);
  ws.Shell("unlink", "rm -f '" + pdf + "'", 10000);
}

}  // namespace
