#include "capture/veil_free_copy_win32.h"

#include <dwmapi.h>

#include "capture/bitmap.h"
#include "toolkit/handles.h"
#include "toolkit/system_library.h"

namespace {

constexpr DWORD kPollIntervalMs = 4;

// Where the desktop window manager composes, this waits for its next pass. A
// system without it (or Wine, whose compositor is an X client) answers at
// once; the pixel check after it covers that. Bound rather than imported,
// as an import would be looked for beside the program first.
void WaitForComposition() {
  static const UniqueModule dwm = LoadSystemLibrary("dwmapi.dll");
  static decltype(&DwmIsCompositionEnabled) isEnabled = nullptr;
  static decltype(&DwmFlush) flush = nullptr;
  static const bool bound = BindFunction(dwm.get(), isEnabled, "DwmIsCompositionEnabled") &&
                            BindFunction(dwm.get(), flush, "DwmFlush");
  BOOL enabled = FALSE;
  if (bound && SUCCEEDED(isEnabled(&enabled)) && enabled) flush();
}

TBitmap CopyArea(HDC screen, HDC memory, HBITMAP target, const TGrabArea& area) {
  {
    ScopedSelectObject selected(memory, target);
    BitBlt(memory, 0, 0, area.width, area.height, screen, area.left, area.top, SRCCOPY);
  }
  return BitmapFromScreenBitmap(target);
}

}  // namespace

TColorRGB VeilColor() {
  COLORREF c = GetSysColor(COLOR_BTNFACE);
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

TBitmap CopyScreenArea(const TGrabArea& area) {
  if (area.width == 0 || area.height == 0) return {};
  ScopedGetDC screen(nullptr);
  UniqueBitmap target(CreateCompatibleBitmap(screen.get(), area.width, area.height));
  if (!target) return {};
  UniqueMemoryDC memory(CreateCompatibleDC(screen.get()));
  return CopyArea(screen.get(), memory.get(), target.get(), area);
}

TScreenCopy CopyScreenFromUnderVeil(HDC screen, HBITMAP target, const TGrabArea& area, const TVeil& veil) {
  TScreenCopy result;
  if (target == nullptr) {
    veil.Lift();
    return result;
  }
  UniqueMemoryDC memory(CreateCompatibleDC(screen));
  const TBitmap veiled = CopyArea(screen, memory.get(), target, area);
  veil.Lift();
  WaitForComposition();
  const DWORD start = GetTickCount();
  for (;;) {
    result.picture = CopyArea(screen, memory.get(), target, area);
    ++result.copies;
    result.verdict = JudgeVeil(veiled, result.picture, veil.color, veil.alpha);
    if (result.verdict != TVeilVerdict::Veiled || GetTickCount() - start >= kVeilWaitLimitMs) break;
    Sleep(kPollIntervalMs);
  }
  return result;
}
