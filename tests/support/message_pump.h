#pragma once
// Runs the calling thread's messages for a while, as a message loop would.

#include <windows.h>

inline void PumpFor(DWORD milliseconds) {
  DWORD end = GetTickCount() + milliseconds;
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(1);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}
