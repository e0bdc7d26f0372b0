// The launcher's text work on any command: Trim must remove exactly the
// leading and trailing bytes of code 0..32; SplitCommand must cut the
// trimmed text at its first blank, the file part holding no blank and
// neither part starting or ending with a trimmed byte (the file part may
// end in another control byte, which is not a blank), both being substrings
// of the command. The launch then goes through a fake shell whose
// environment expansion misbehaves on demand: the expanded file must be
// the buffer's text up to its NUL, never past the 260-byte buffer, the
// parameters passed unexpanded, and a refused start must show the box.
#include <cstring>

#include "base/text.h"
#include "fuzz/fuzz_input.h"
#include "launcher/launcher.h"

namespace {

bool Trimmable(char c) { return static_cast<unsigned char>(c) <= 32; }

class FakeShell : public ShellPlatform {
 public:
  // 0: copies the source when it fits, else returns the size it needs;
  // 1: every %NAME% becomes `grow` bytes, written cut to the buffer;
  // 2: fails (returns 0, writes nothing);
  // 3: fills the whole buffer with no NUL and returns its size.
  int mode = 0;
  std::size_t grow = 0;
  std::uintptr_t instance = 42;

  int expands = 0, starts = 0, boxes = 0, pumps = 0;
  std::string written;  // what the expansion put in the buffer, up to its NUL
  bool terminated = false;
  Request request;
  std::string boxText, boxCaption;
  unsigned boxFlags = 99;

  unsigned ExpandStrings(const char* source, char* buffer, unsigned size) override {
    ++expands;
    fuzz::Same("expansion buffer size", size, launcher::kExpandBufferSize);
    const std::string src(source);
    std::string out;
    if (mode == 1) {
      for (std::size_t i = 0; i < src.size(); ++i) {
        const std::size_t close = src[i] == '%' ? src.find('%', i + 1) : std::string::npos;
        if (close == std::string::npos) {
          out += src[i];
        } else {
          out.append(grow, 'x');
          i = close;
        }
      }
    } else {
      out = src;
    }
    const std::size_t need = out.size() + 1;
    switch (mode) {
      case 2: return 0;
      case 3:
        std::memset(buffer, 'y', size);  // the full size the program claims
        return size;
      case 1: {
        const std::size_t n = std::min<std::size_t>(need, size);
        std::memcpy(buffer, out.c_str(), n);
        terminated = need <= size;
        if (terminated) written = out;
        return static_cast<unsigned>(need);
      }
      default:
        if (need > size) return static_cast<unsigned>(need);
        std::memcpy(buffer, out.c_str(), need);
        terminated = true;
        written = out;
        return static_cast<unsigned>(need);
    }
  }
  std::uintptr_t StartShell(const Request& r) override {
    ++starts;
    request = r;
    return instance;
  }
  void ShowBox(const std::string& text, const std::string& caption, unsigned flags) override {
    ++boxes;
    boxText = text;
    boxCaption = caption;
    boxFlags = flags;
  }
  void RunPendingMessages() override { ++pumps; }
  unsigned RunCommand(const std::string&, int) override {
    fuzz::Fail("a launch ran a command line");
  }
  ProgramFolders Folders() override { return {"C:\\W\\S", "", ""}; }
  bool FileExists(const std::string&) override { return true; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::uint8_t ctl = in.U8();
  const std::size_t grow = in.U16() % 300;
  const std::uint32_t instance = in.U32();
  const std::string command = in.Rest();

  // Trim.
  std::size_t b = 0, e = command.size();
  while (b < e && Trimmable(command[b])) ++b;
  while (e > b && Trimmable(command[e - 1])) --e;
  const std::string t = command.substr(b, e - b);
  fuzz::Same("trim", base::Trim(command), t);
  fuzz::Same("trim twice", base::Trim(t), t);

  // Split.
  const launcher::SplitCommandText s = launcher::SplitCommand(command);
  const std::size_t blank = t.find(' ');
  fuzz::Check("file part holds no blank", s.file.find(' ') == std::string::npos);
  fuzz::Check("file part starts untrimmed", s.file.empty() || !Trimmable(s.file.front()));
  fuzz::Check("parameters start untrimmed", s.parameters.empty() || !Trimmable(s.parameters.front()));
  fuzz::Check("parameters end untrimmed", s.parameters.empty() || !Trimmable(s.parameters.back()));
  fuzz::Check("file part is in the command", command.find(s.file) != std::string::npos);
  fuzz::Check("parameters are in the command", command.find(s.parameters) != std::string::npos);
  if (blank == std::string::npos) {
    fuzz::Same("no blank: the whole text is the file", s.file, t);
    fuzz::Same("no blank: no parameters", s.parameters, "");
  } else {
    fuzz::Same("file part: before the first blank", s.file, t.substr(0, blank));
    fuzz::Same("parameters: after it, trimmed", s.parameters, fuzz::Trimmed(t.substr(blank + 1)));
    fuzz::Check("nothing but the file part comes before them",
                t.compare(0, blank + 1, s.file + " ") == 0);
  }

  // Launch.
  FakeShell shell;
  shell.mode = ctl % 4;
  shell.grow = grow;
  shell.instance = instance;
  launcher::LaunchCommand(shell, command);
  fuzz::Same("one expansion", shell.expands, 1);
  if (shell.terminated && shell.starts == 0)
    fuzz::Fail("a file part that expanded in full was not started", s.file, shell.written);
  if (shell.starts == 0) {
    fuzz::Same("a file part that cannot be expanded is refused", shell.boxes, 1);
  } else {
    fuzz::Same("one start", shell.starts, 1);
    fuzz::Check("started only what expanded in full", shell.terminated);
    const bool bare = !shell.written.empty() && shell.written.find_first_of("\\/:") == std::string::npos;
    const char* ext = shell.written.find('.') == std::string::npos ? ".exe" : "";
    fuzz::Same("started file", shell.request.file, bare ? "C:\\W\\S\\" + shell.written + ext : shell.written);
    fuzz::Check("file within the buffer", shell.written.size() < launcher::kExpandBufferSize);
    fuzz::Same("parameters unexpanded", shell.request.parameters, s.parameters);
    fuzz::Same("empty verb", shell.request.verb, "");
    fuzz::Same("no owner", reinterpret_cast<std::uintptr_t>(shell.request.owner), 0);
    fuzz::Same("mask", shell.request.mask, launcher::kShellMask);
    fuzz::Same("show", shell.request.show, launcher::kShowNormal);
    const bool refused = instance <= 32;
    fuzz::Same("box only for a refused start", shell.boxes, refused ? 1 : 0);
    fuzz::Same("messages run only after a start", shell.pumps, refused ? 0 : 1);
  }
  if (shell.boxes) {
    fuzz::Same("box text", shell.boxText, launcher::kRefusedText);
    fuzz::Same("box caption", shell.boxCaption, launcher::kRefusedCaption);
    fuzz::Same("box flags", shell.boxFlags, launcher::kBoxOk);
  }
  return 0;
}
