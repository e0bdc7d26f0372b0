// A private CUPS scheduler for print tests, and the child runs of this test
// program that print to it.
//
// Wine reads the CUPS printers once, when a wineserver session starts, so
// the queue is set up first and a child run of this same program, in a
// session of its own, prints; the parent then checks what arrived.
#pragma once
#include <string>

// Unix and Wine views of one path, and whole-file helpers on Unix paths.
std::string WinPath(const std::string& unixPath);
std::string UnixPath(const std::string& winPath);
bool Exists(const std::string& unixPath);
std::string ReadAll(const std::string& unixPath);
void WriteAll(const std::string& unixPath, const std::string& text);
std::string EnvVar(const char* name);

// A binary PGM (P5) page as pdftoppm -gray writes it.
struct GrayPage {
  int width = 0, height = 0;
  std::string pixels;  // one byte per pixel, rows top to bottom
  bool Dark(int x, int y) const { return static_cast<unsigned char>(pixels[y * width + x]) < 128; }
};
// False when the bytes are not such a page.
bool ParsePgm(const std::string& bytes, GrayPage& page);

// Set in the child run; the queue variable names its default printer.
constexpr char kCupsChildFlag[] = "VESK_CUPS_CHILD";
constexpr char kCupsQueueVar[] = "VESK_CUPS_QUEUE";
inline bool IsCupsChild() { return !EnvVar(kCupsChildFlag).empty(); }

// A Unix folder of this run's scheduler, scripts and logs; stops the
// scheduler and removes the folder at the end.
class Workspace {
 public:
  Workspace();
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;
  const std::string& Dir() const { return dir_; }

  // Runs body with /bin/sh and waits for its status; -1 when it did not
  // finish in time. Its output is in <name>.log.
  int Shell(const std::string& name, const std::string& body, int timeoutMs,
            bool marker = true) const;
  std::string Log(const std::string& name) const;

  enum class Queue { Pdf, Discard };
  // Starts the scheduler with one default queue: cups-pdf, or one that
  // throws every job away. Empty on success, else why CUPS cannot run here
  // (the caller skips). jobBase fixes the first job number.
  std::string StartCups(const std::string& queue, Queue kind, unsigned jobBase);
  const std::string& Socket() const { return sock_; }

  // Runs the tests of filter in a child of this program with the queue as
  // its default printer; 0 when they passed. Its output is Log("child").
  // Empty reason on success, else why the child cannot run (skip).
  std::string RunChild(const std::string& filter, const std::string& queue, int timeoutMs,
                       int& status);

  // Waits for the queue to empty and finds the PDF of the job; leaves its
  // path in pdfname, pdfinfo's report in pdfinfo.txt and its pages, rendered
  // in gray at dpi, as page*.pgm listed in pages.txt. 0 on success, else see
  // Log("find").
  int FindPdf(const std::string& queue, unsigned job, int dpi) const;

  // The whole round: a cups-pdf queue, a child run of filter printing to it,
  // then FindPdf. skip says why this cannot run here; failure what went wrong.
  struct PdfRun {
    std::string skip, failure, pdf;
  };
  PdfRun PrintToPdf(const std::string& filter, int dpi);

 private:
  std::string dir_, sock_;
  bool cupsdStarted_ = false;
};
