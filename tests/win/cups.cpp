#include "tests/win/cups.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/text.h"
#include "base/win/late_bound.h"

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
  auto toUnix = base::LateBound<ToUnix>("kernel32.dll", "wine_get_unix_file_name");
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

bool ParsePgm(const std::string& bytes, GrayPage& page) {
  std::istringstream in(bytes);
  std::string magic;
  int maxval = 0;
  in >> magic >> page.width >> page.height >> maxval;
  in.get();
  if (magic != "P5" || page.width <= 0 || page.height <= 0 || maxval != 255) return false;
  page.pixels.assign(static_cast<size_t>(page.width) * page.height, '\0');
  in.read(&page.pixels[0], static_cast<std::streamsize>(page.pixels.size()));
  return static_cast<size_t>(in.gcount()) == page.pixels.size();
}

Workspace::Workspace()
    : dir_(base::Format("/tmp/vesk-cups-%lu-%lu", GetCurrentProcessId(), GetTickCount())) {
  CreateDirectoryA(WinPath(dir_).c_str(), nullptr);
  sock_ = dir_ + "/cups.sock";
}

Workspace::~Workspace() {
  // Stops the scheduler this test started, by its process id.
  if (cupsdStarted_)
    Shell("stop",
          "pid=$(cat '" + dir_ + "/cupsd.pid'); kill $pid; for i in $(seq 50); do "
          "kill -0 $pid 2>/dev/null || break; sleep 0.1; done",
          20000);
  Shell("remove", "cd /; rm -rf '" + dir_ + "'", 0, false);
  for (int waited = 0; waited < 10000 && Exists(dir_); waited += 50) Sleep(50);
}

int Workspace::Shell(const std::string& name, const std::string& body, int timeoutMs,
                     bool marker) const {
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

std::string Workspace::Log(const std::string& name) const {
  return ReadAll(dir_ + "/" + name + ".log");
}

std::string Workspace::StartCups(const std::string& queue, Queue kind, unsigned jobBase) {
  for (const char* tool : {"/usr/sbin/cupsd", "/usr/sbin/lpadmin", "/bin/sh"})
    if (!Exists(tool)) return std::string(tool) + " is not installed";
  if (kind == Queue::Pdf && !Exists("/usr/lib/cups/backend/cups-pdf"))
    return "cups-pdf is not installed";
  const std::string& d = dir_;
  // A scheduler of our own on a private socket; job numbers unique to this
  // run so that concurrent runs never write the same PDF name.
  WriteAll(d + "/cupsd.conf", "Listen " + sock_ +
                                  "\nLogLevel warn\nWebInterface No\nBrowsing No\n"
                                  "<Location />\n Order allow,deny\n Allow all\n</Location>\n"
                                  "<Policy default>\n <Limit All>\n  Order deny,allow\n </Limit>\n"
                                  "</Policy>\n");
  WriteAll(d + "/cups-files.conf", "ServerRoot " + d + "\nRequestRoot " + d + "/spool\nCacheDir " +
                                       d + "/cache\nStateDir " + d + "/state\nTempDir " + d +
                                       "/tmp\nErrorLog " + d + "/error_log\nAccessLog " + d +
                                       "/access_log\nPageLog " + d +
                                       "/page_log\nSystemGroup root\nServerBin /usr/lib/cups\n"
                                       "DataDir /usr/share/cups\nSandboxing relaxed\nFileDevice Yes\n");
  const std::string addQueue =
      kind == Queue::Pdf
          ? "ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd\n"
            "[ -f \"$ppd\" ] || ppd=$(ls /usr/share/ppd/cups-pdf/*.ppd | head -1)\n"
            "lpadmin -p " + queue + " -v cups-pdf:/ -P \"$ppd\" -E 2>&1 | grep -v deprecated || true\n"
          : "lpadmin -p " + queue + " -v file:/dev/null -m raw -E 2>&1 | grep -v deprecated || true\n";
  const int rc = Shell(
      "start",
      "set -e\n[ \"$(id -u)\" = 0 ] || { echo 'cupsd needs root'; exit 3; }\n"
      "cd '" + d + "'\nmkdir -p spool cache state tmp ppd\nchmod 755 .\nchmod 1777 tmp\n"
      "printf 'NextJobId " + std::to_string(jobBase) + "\\n' > cache/job.cache\n"
      "cupsd -f -c \"$PWD/cupsd.conf\" -s \"$PWD/cups-files.conf\" >cupsd.out 2>&1 </dev/null &\n"
      "echo $! > cupsd.pid\n"
      "for i in $(seq 100); do [ -S cups.sock ] && break; sleep 0.1; done\n"
      "[ -S cups.sock ] || { cat cupsd.out error_log; kill $(cat cupsd.pid) 2>/dev/null || true; rm -f cupsd.pid; exit 4; }\n"
      "export CUPS_SERVER='" + sock_ + "'\n" + addQueue +
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
  if (Exists(d + "/cupsd.pid")) cupsdStarted_ = true;
  if (rc != 0) return "status " + std::to_string(rc) + ": " + Log("start");
  if (Log("start").find(queue) == std::string::npos) return "no queue: " + Log("start");
  return "";
}

std::string Workspace::RunChild(const std::string& filter, const std::string& queue,
                                int timeoutMs, int& status) {
  // The child gets a wineserver of its own: a prefix with copies of our
  // registry that shares our drive C.
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  const std::string loader = sizeof(void*) == 8 ? "/usr/lib/wine/wine64" : "/usr/lib/wine/wine";
  if (!Exists(loader)) return "no Wine loader at " + loader;
  // 32-bit Wine reaches CUPS through the 32-bit client library only.
  if (sizeof(void*) == 4 && !Exists("/usr/lib/i386-linux-gnu/libcups.so.2") &&
      !Exists("/usr/lib32/libcups.so.2"))
    return "CUPS cannot be reached from 32-bit Wine here: libcups2:i386 is not installed";
  const int seconds = timeoutMs / 1000;
  status = Shell(
      "child",
      "cd '" + dir_ + "'\nparent=${WINEPREFIX:-$HOME/.wine}\n"
      "mkdir -p prefix/dosdevices\n"
      "cp \"$parent\"/*.reg \"$parent/.update-timestamp\" prefix/\n"
      "ln -s \"$parent/drive_c\" prefix/drive_c\n"
      "ln -s ../drive_c prefix/dosdevices/c:\nln -s / prefix/dosdevices/z:\n"
      "export WINEPREFIX=\"$PWD/prefix\" CUPS_SERVER='" + sock_ + "' " + kCupsChildFlag + "=1 " +
          kCupsQueueVar + "=" + queue + "\n"
      // This process's overrides, as it may have changed them; a crash must
      // end the child, not wait in a debugger.
      "export WINEDLLOVERRIDES=\"" + EnvVar("WINEDLLOVERRIDES") + ";winedbg.exe=d\"\n"
      "rc=0\ntimeout " + std::to_string(seconds) + " '" + loader + "' '" + UnixPath(exe) +
          "' --gtest_filter=" + filter + " || rc=$?\n"
      "wineserver -w\nexit $rc\n",
      timeoutMs + 40000);
  return "";
}

int Workspace::FindPdf(const std::string& queue, unsigned job, int dpi) const {
  return Shell("find",
               "cd '" + dir_ + "'\nexport CUPS_SERVER='" + sock_ + "'\n"
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
               "pdftoppm -r " + std::to_string(dpi) + " -gray \"$pdf\" page\n"
               "ls page*.pgm > pages.txt\n",
               150000);
}

Workspace::PdfRun Workspace::PrintToPdf(const std::string& filter, int dpi) {
  PdfRun run;
  for (const char* tool : {"/usr/bin/pdfinfo", "/usr/bin/pdftoppm"})
    if (!Exists(tool)) {
      run.skip = std::string("cannot read PDFs here: ") + tool + " is not installed";
      return run;
    }
  const unsigned job = 1000 + (GetCurrentProcessId() * 7 + GetTickCount()) % 900000;
  const std::string queue = base::Format("VeskPrint%u", job);
  const std::string why = StartCups(queue, Queue::Pdf, job);
  if (!why.empty()) {
    run.skip = "CUPS cannot run here: " + why;
    return run;
  }
  int rc = 0;
  run.skip = RunChild(filter, queue, 200000, rc);
  if (!run.skip.empty()) return run;
  if (rc != 0) {
    run.failure = "the printing child failed:\n" + Log("child");
    return run;
  }
  if (FindPdf(queue, job, dpi) != 0) {
    run.failure = Log("find");
    return run;
  }
  run.pdf = base::Trim(ReadAll(dir_ + "/pdfname"));
  return run;
}
