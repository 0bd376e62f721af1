// Shows the test pattern over a screen area until it is closed, so that an
// end-to-end test has a known picture to capture:
//   psl_pattern.exe LEFT TOP RIGHT BOTTOM

#include <windows.h>

#include <cstdlib>

#include "capture/pattern_window.h"

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  RECT area{std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4])};
  HWND window = ShowPatternWindow(area);
  if (window == nullptr) return 1;
  MSG msg;
  while (IsWindow(window) && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
