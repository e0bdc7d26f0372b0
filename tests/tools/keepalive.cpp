// Holds a Wine session open while the tests run, so the Wine server and its
// services start detached from the test runner's output pipes.
#include <windows.h>

int main() {
  Sleep(INFINITE);
  return 0;
}
