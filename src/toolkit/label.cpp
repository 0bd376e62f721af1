#include "toolkit/label.h"

#include "toolkit/text_conversion.h"

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
