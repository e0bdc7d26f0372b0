// Helpers for in-process window tests.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/win/main.h"

// The main window, built (FormCreate has run) but not shown. Replace its
// platforms (HardInfo, Wmi, Drives, Icmp, Shell) before Show() as needed.
std::unique_ptr<TForm1> MakeForm();

// Runs window messages for about ms milliseconds.
void Pump(int ms);

// Runs window messages until done() holds, for at most ms; returns done().
// For what comes in its own time (timers, input, the pointer), which a
// loaded or emulated machine may deliver late.
bool PumpUntil(const std::function<bool()>& done, int ms = 10000);

// A form with a fake-free, instant identity sequence is test-specific; this
// shows the form with FormShow skipped (controls as designed).
void ShowWithoutFormShow(TForm1& form);

struct BoxRecord {
  std::string caption, text;
  bool hasIcon = false;
  std::vector<std::string> buttons;
  HWND owner = nullptr;
};

// Watches for message boxes of this process on another thread, records
// each and presses its first button, so no person has to close them.
class BoxWatcher {
 public:
  BoxWatcher();
  ~BoxWatcher();
  std::vector<BoxRecord> Boxes();

 private:
  void Run();
  std::atomic<bool> stop_{false};
  std::mutex mu_;
  std::vector<BoxRecord> boxes_;
  std::thread thread_;
};

// A file in a fresh temporary folder, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& Path() const { return path_; }
  std::string Write(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

// Sets the current directory for the object's lifetime.
class CurrentDir {
 public:
  explicit CurrentDir(const std::string& dir);
  ~CurrentDir();

 private:
  std::string old_;
};
