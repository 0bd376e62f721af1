#pragma once
// Tells from the pixels whether a screen copy still shows the overlay's veil.
// The compositor applies a change of the veil's opacity some time after the
// call, so the grab compares each copy with one made while the veil was up.

#include "capture/bitmap.h"

enum class TVeilVerdict {
  Veiled,      // the copy does not show the screen yet
  Clear,       // the copy shows what lies under the veil
  Indistinct,  // nothing tells the two apart (the screen under the veil has the veil's colour,
               // or the veil is not composed at all), so the copy is as good as it gets
};

// `veiled`: the area copied while a veil of colour `veil` lay over it at
// `alpha` (of 255); `copy`: the same area copied after the veil went nearly
// transparent. From the veiled copy each pixel's colour under the veil is
// worked out; the copy is clear when most pixels show that colour. Pixels
// that are not plain veil (the frame, the caption) or whose colour is close
// to the veil's do not count.
TVeilVerdict JudgeVeil(const TBitmap& veiled, const TBitmap& copy, TColorRGB veil, int alpha);
