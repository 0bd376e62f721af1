#include "toolkit/utility_window.h"

#include "toolkit/window_trampoline.h"

namespace {
constexpr char kClassName[] = "TPUtilWindow";
}

TUtilityWindow::TUtilityWindow(Routine routine) : routine_(std::move(routine)) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA cls{};
  if (!GetClassInfoA(instance, kClassName, &cls)) {
    cls.lpfnWndProc =
        WindowTrampoline<TUtilityWindow, UserDataObject<TUtilityWindow>, &TUtilityWindow::WndProc>;
    cls.hInstance = instance;
    cls.lpszClassName = kClassName;
    RegisterClassA(&cls);
  }
  window_.reset(CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr));
  if (window_) SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

// Only messages that find this object come here: by then window_ holds the
// window they came to, and it still does while that window is destroyed.
LRESULT TUtilityWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return routine_(window_.get(), message, wParam, lParam);
}
