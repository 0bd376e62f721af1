#pragma once
// A window that shows a known picture, for tests that copy the screen. The
// picture is a function of the screen point, so any copied area has an
// expected content: 16-pixel cells in eight strong colours, in an order that
// does not repeat along a row or a column within the screen, so that a copy
// off by one pixel or one cell does not match.

#include <windows.h>

#include "capture/bitmap.h"

inline TColorRGB PatternColor(int x, int y) {
  static const TColorRGB kPalette[8] = {{230, 40, 40}, {40, 200, 60},   {40, 60, 220},  {240, 220, 50},
                                        {30, 30, 30},  {250, 250, 250}, {200, 60, 200}, {60, 200, 210}};
  int cx = x >> 4, cy = y >> 4;
  return kPalette[(cx * 5 + cy * 3 + ((cx ^ cy) & 3)) % 8];
}

// The pattern over the given screen area, as the grab should store it.
TBitmap PatternBitmap(int left, int top, int width, int height);

// A borderless window over `area` (screen coordinates) painting the pattern.
// Shown, not activated. The caller destroys it.
HWND ShowPatternWindow(const RECT& area);
