#include "capture/veil_check.h"

#include <algorithm>
#include <cmath>

namespace {

// Rounding on screen turns into up to 255 / (255 - alpha) / 2 levels of
// error in the worked-out colour; the tolerances leave room for that and for
// a compositor that rounds its own way.
constexpr double kUnderTolerance = 6;
// Only pixels whose veiled and clear looks lie this far apart tell the two
// states apart; a compositor that fades shows looks in between for a while.
constexpr double kTellingDifference = 3 * kUnderTolerance;
// About 200 by 200 samples are plenty to tell the two states apart.
constexpr int kSamplesPerSide = 200;

struct Channels {
  int v[3];
};

Channels Split(TColorRGB c) { return {{c.r, c.g, c.b}}; }

}  // namespace

TVeilVerdict JudgeVeil(const TBitmap& veiled, const TBitmap& copy, TColorRGB veil, int alpha) {
  if (veiled.Empty() || copy.Empty() || veiled.Width() != copy.Width() || veiled.Height() != copy.Height() ||
      alpha <= 0 || alpha >= 255)
    return TVeilVerdict::Indistinct;
  const int stepX = std::max(1, copy.Width() / kSamplesPerSide);
  const int stepY = std::max(1, copy.Height() / kSamplesPerSide);
  const Channels v = Split(veil);
  long clear = 0, notClear = 0;
  for (int y = 0; y < copy.Height(); y += stepY) {
    for (int x = 0; x < copy.Width(); x += stepX) {
      const Channels a = Split(veiled.Pixel(x, y));
      const Channels b = Split(copy.Pixel(x, y));
      bool plainVeil = true, telling = false, looksClear = true;
      for (int c = 0; c < 3; ++c) {
        double under = (255.0 * a.v[c] - alpha * v.v[c]) / (255 - alpha);
        if (under < -kUnderTolerance || under > 255 + kUnderTolerance) plainVeil = false;
        if (std::fabs(a.v[c] - under) > kTellingDifference) telling = true;
        if (std::fabs(b.v[c] - under) > kUnderTolerance) looksClear = false;
      }
      if (!plainVeil || !telling) continue;
      if (looksClear)
        ++clear;
      else
        ++notClear;  // still veiled, or half way through a fade
    }
  }
  if (clear == 0 && notClear == 0) return TVeilVerdict::Indistinct;
  // A few pixels may have changed under the veil meanwhile; most must show the screen.
  return clear > notClear ? TVeilVerdict::Clear : TVeilVerdict::Veiled;
}
