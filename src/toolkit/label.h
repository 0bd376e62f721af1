#pragma once
// A text label without a window or a background of its own: its caption is
// painted over its parent's client area.

#include <string>

#include <windows.h>

#include "toolkit/canvas.h"
#include "toolkit/handles.h"

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
