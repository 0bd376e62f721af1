#include "capture/pattern_window.h"

#include "toolkit/handles.h"

namespace {

constexpr char kClassName[] = "PslPatternWindow";

LRESULT CALLBACK PatternProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    ScopedPaint paint(window);
    RECT area;
    GetWindowRect(window, &area);
    TBitmap picture = PatternBitmap(area.left, area.top, area.right - area.left, area.bottom - area.top);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.Width();
    info.bmiHeader.biHeight = picture.Height();  // bottom-up, as TBitmap keeps its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(paint.dc(), 0, 0, picture.Width(), picture.Height(), 0, 0, 0, picture.Height(),
                      picture.Bits(), &info, DIB_RGB_COLORS);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TBitmap PatternBitmap(int left, int top, int width, int height) {
  TBitmap picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, PatternColor(left + x, top + y));
  return picture;
}

HWND ShowPatternWindow(const RECT& area) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA cls{};
  if (!GetClassInfoA(instance, kClassName, &cls)) {
    cls.lpfnWndProc = PatternProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
    cls.lpszClassName = kClassName;
    RegisterClassA(&cls);
  }
  HWND window =
      CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "pattern", WS_POPUP, area.left, area.top,
                      area.right - area.left, area.bottom - area.top, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);
  return window;
}
