#include "toolkit/utility_window.h"

#include "toolkit/application.h"

namespace {
constexpr char kClassName[] = "TPUtilWindow";
}

TUtilityWindow::TUtilityWindow(Routine routine) : routine_(std::move(routine)) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA cls{};
  if (!GetClassInfoA(instance, kClassName, &cls)) {
    cls.lpfnWndProc = Trampoline;
    cls.hInstance = instance;
    cls.lpszClassName = kClassName;
    RegisterClassA(&cls);
  }
  window_.reset(CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr));
  if (window_) SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

LRESULT CALLBACK TUtilityWindow::Trampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TUtilityWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  // A failure must not unwind through the system's dispatcher.
  try {
    return self->routine_(window, message, wParam, lParam);
  } catch (const std::exception& e) {
    HandleUiException(e);
  }
  return 0;
}
