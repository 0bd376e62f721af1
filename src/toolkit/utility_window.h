#pragma once
// A hidden top-level tool window with a message routine of our choosing, for
// the helpers (timers, the tray) that need a window handle and nothing else.

#include <functional>

#include <windows.h>

#include "toolkit/handles.h"

class TUtilityWindow {
 public:
  // Returns the message result; call DefWindowProc itself for default handling.
  using Routine = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

  explicit TUtilityWindow(Routine routine);
  ~TUtilityWindow() = default;
  TUtilityWindow(const TUtilityWindow&) = delete;
  TUtilityWindow& operator=(const TUtilityWindow&) = delete;

  HWND Handle() const { return window_.get(); }

 private:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

  Routine routine_;
  UniqueHwnd window_;
};
