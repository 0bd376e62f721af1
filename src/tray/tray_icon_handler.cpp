#include "tray/tray_icon_handler.h"

#include <vector>

#include "tray/tray_icon.h"

UINT WM_TASKBARCREATED = 0;

namespace {

struct HandlerState {
  int refCount = 0;
  std::unique_ptr<TUtilityWindow> window;
};

HandlerState& State() {
  static HandlerState state;
  return state;
}

bool ComCtlIsAtLeast(WORD major, WORD minor) {
  HMODULE module = LoadLibraryA("comctl32.dll");
  if (module == nullptr) return false;
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  FreeLibrary(module);
  if (length == 0 || length >= MAX_PATH) return false;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return false;
  std::vector<char> info(size);
  if (!GetFileVersionInfoA(path, 0, size, info.data())) return false;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixed == nullptr)
    return false;
  WORD haveMajor = HIWORD(fixed->dwFileVersionMS);
  WORD haveMinor = LOWORD(fixed->dwFileVersionMS);
  return haveMajor > major || (haveMajor == major && haveMinor >= minor);
}

}  // namespace

void RegisterTaskbarCreatedMessage() {
  if (ComCtlIsAtLeast(4, 71)) WM_TASKBARCREATED = RegisterWindowMessageA("TaskbarCreated");
}

void TTrayIconHandler::AddRef() {
  HandlerState& state = State();
  if (state.refCount++ == 0) state.window = std::make_unique<TUtilityWindow>(DispatchTrayMessage);
}

void TTrayIconHandler::Release() {
  HandlerState& state = State();
  if (state.refCount == 0) return;
  if (--state.refCount == 0) state.window.reset();
}

HWND TTrayIconHandler::Window() {
  HandlerState& state = State();
  return state.window ? state.window->Handle() : nullptr;
}

int TTrayIconHandler::RefCount() { return State().refCount; }

LRESULT TTrayIconHandler::DispatchTrayMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kTrayCallbackMessage:
      // The icon identifier is the component itself.
      if (wParam != 0)
        reinterpret_cast<TTrayIcon*>(wParam)->HandleTrayNotification(static_cast<UINT>(lParam));
      return 0;
    // The tray window must never object to logging off, nor be closed.
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_ENDSESSION:
    case WM_NCDESTROY:
      return 1;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
