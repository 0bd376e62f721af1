#include "tray/tray_icon_handler.h"

#include <vector>

#include "toolkit/handles.h"
#include "toolkit/shared_utility_window.h"
#include "toolkit/system_library.h"
#include "tray/live_object_ids.h"
#include "tray/tray_icon.h"

UINT WM_TASKBARCREATED = 0;

namespace {

TSharedUtilityWindow& TrayWindow() {
  static TSharedUtilityWindow window([](HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return TTrayIconHandler::DispatchTrayMessage(w, m, wp, lp);
  });
  return window;
}

TLiveObjectIds<TTrayIcon, UINT>& Icons() {
  static TLiveObjectIds<TTrayIcon, UINT> icons;
  return icons;
}

// version.dll is bound here rather than imported: an import would be looked
// for beside the program first, before any of our code runs.
bool ComCtlIsAtLeast(WORD major, WORD minor) {
  wchar_t path[MAX_PATH];
  DWORD length = 0;
  {
    UniqueModule module = LoadSystemLibrary("comctl32.dll");
    if (!module) return false;
    length = GetModuleFileNameW(module.get(), path, MAX_PATH);
  }
  if (length == 0 || length >= MAX_PATH) return false;
  UniqueModule version = LoadSystemLibrary("version.dll");
  decltype(&GetFileVersionInfoSizeW) infoSize = nullptr;
  decltype(&GetFileVersionInfoW) infoOf = nullptr;
  decltype(&VerQueryValueW) query = nullptr;
  if (!BindFunction(version.get(), infoSize, "GetFileVersionInfoSizeW") ||
      !BindFunction(version.get(), infoOf, "GetFileVersionInfoW") ||
      !BindFunction(version.get(), query, "VerQueryValueW"))
    return false;
  DWORD ignored = 0;
  DWORD size = infoSize(path, &ignored);
  if (size == 0) return false;
  std::vector<char> info(size);
  if (!infoOf(path, 0, size, info.data())) return false;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!query(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixed == nullptr)
    return false;
  WORD haveMajor = HIWORD(fixed->dwFileVersionMS);
  WORD haveMinor = LOWORD(fixed->dwFileVersionMS);
  return haveMajor > major || (haveMajor == major && haveMinor >= minor);
}

}  // namespace

void RegisterTaskbarCreatedMessage() {
  if (ComCtlIsAtLeast(4, 71)) WM_TASKBARCREATED = RegisterWindowMessageA("TaskbarCreated");
}

void TTrayIconHandler::AddRef() { TrayWindow().AddRef(); }
void TTrayIconHandler::Release() { TrayWindow().Release(); }
HWND TTrayIconHandler::Window() { return TrayWindow().Window(); }
int TTrayIconHandler::RefCount() { return TrayWindow().RefCount(); }
UINT TTrayIconHandler::Register(TTrayIcon* icon) { return Icons().Add(icon); }
void TTrayIconHandler::Forget(UINT id) { Icons().Remove(id); }

LRESULT TTrayIconHandler::DispatchTrayMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kTrayCallbackMessage:
      // The shell hands back the icon identifier, but any program may post
      // this message: an identifier that no live component holds is ignored.
      if (TTrayIcon* icon = Icons().Find(wParam)) icon->HandleTrayNotification(static_cast<UINT>(lParam));
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
