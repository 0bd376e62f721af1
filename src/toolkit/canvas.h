#pragma once
// A drawing surface over a device context that someone else owns: brush and
// pen colours, and the few operations the forms draw with; and a text label
// without a window or a background of its own, painted on one.

#include <string>

#include <windows.h>

#include "toolkit/handles.h"

class TCanvas {
 public:
  // The canvas borrows `dc`; it gives back every object it selected when it goes.
  explicit TCanvas(HDC dc);
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  HDC Handle() const { return dc_; }

  // The brush fills; the pen draws outlines (solid, 1 pixel, copy mode).
  void SetBrushColor(COLORREF color);
  void SetPenColor(COLORREF color);
  // A system colour brush (COLOR_BTNFACE, ...): shared, never deleted.
  void SetBrushSystemColor(int index);

  // The part of the surface that can be drawn on.
  RECT ClipRect() const;
  void FillRect(const RECT& rect);
  // Outline with the pen, inside with the brush, as GDI's Rectangle draws them.
  void Rectangle(int x1, int y1, int x2, int y2);
  // Text without a background of its own, in `font` and `color`.
  void TextAt(int x, int y, const std::wstring& text, HFONT font, COLORREF color);

 private:
  HDC dc_;
  HBRUSH brush_;  // either brushObject_ or a system brush
  UniqueGdiObject brushObject_;
  UniqueGdiObject pen_;
};

// A text label: its caption is painted over its parent's client area.
class TLabel {
 public:
  // `caption` is UTF-8; `fontHeight` is the character height in pixels.
  TLabel(std::string caption, int left, int top, const wchar_t* fontName, int fontHeight);

  const std::string& Caption() const { return caption_; }
  int Left() const { return left_; }
  int Top() const { return top_; }
  HFONT Font() const { return static_cast<HFONT>(font_.get()); }

  // In the system's window-text colour, over whatever is there.
  void Paint(TCanvas& canvas) const;

 private:
  std::string caption_;
  std::wstring wideCaption_;
  int left_, top_;
  UniqueGdiObject font_;
};
