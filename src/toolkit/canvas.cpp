#include "toolkit/canvas.h"

#include "toolkit/text.h"

TCanvas::TCanvas(HDC dc)
    : dc_(dc),
      brush_(static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))),
      pen_(CreatePen(PS_SOLID, 1, RGB(0, 0, 0))) {}

void TCanvas::SetBrushColor(COLORREF color) {
  brushObject_.reset(CreateSolidBrush(color));
  brush_ = static_cast<HBRUSH>(brushObject_.get());
}

void TCanvas::SetBrushSystemColor(int index) {
  brush_ = GetSysColorBrush(index);
  brushObject_.reset();
}

void TCanvas::SetPenColor(COLORREF color) { pen_.reset(CreatePen(PS_SOLID, 1, color)); }

RECT TCanvas::ClipRect() const {
  RECT box{};
  GetClipBox(dc_, &box);
  return box;
}

void TCanvas::FillRect(const RECT& rect) { ::FillRect(dc_, &rect, brush_); }

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  ScopedSelectObject pen(dc_, pen_.get());
  ScopedSelectObject brush(dc_, brush_);
  int oldRop = SetROP2(dc_, R2_COPYPEN);
  ::Rectangle(dc_, x1, y1, x2, y2);
  SetROP2(dc_, oldRop);
}

void TCanvas::TextAt(int x, int y, const std::wstring& text, HFONT font, COLORREF color) {
  ScopedSelectObject selected(dc_, font);
  int oldMode = SetBkMode(dc_, TRANSPARENT);
  COLORREF oldColor = SetTextColor(dc_, color);
  ::TextOutW(dc_, x, y, text.c_str(), static_cast<int>(text.size()));
  SetTextColor(dc_, oldColor);
  SetBkMode(dc_, oldMode);
}

TLabel::TLabel(std::string caption, int left, int top, const wchar_t* fontName, int fontHeight)
    : caption_(std::move(caption)), wideCaption_(Utf8ToWide(caption_)), left_(left), top_(top) {
  // A negative height asks for the character height rather than the cell height.
  font_.reset(CreateFontW(-fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, fontName));
}

void TLabel::Paint(TCanvas& canvas) const {
  canvas.TextAt(left_, top_, wideCaption_, Font(), GetSysColor(COLOR_WINDOWTEXT));
}
