// Telling a veiled screen copy from a clear one, on pictures blended here the
// way a compositor blends a translucent window over the screen.

#include <gtest/gtest.h>

#include <random>

#include "capture/veil_check.h"

namespace {

const TColorRGB kVeil{240, 240, 240};
constexpr int kAlpha = 150;

std::uint8_t Blend(int over, int under, int alpha) {
  return static_cast<std::uint8_t>((over * alpha + under * (255 - alpha) + 127) / 255);
}

TColorRGB Blend(TColorRGB over, TColorRGB under, int alpha) {
  return {Blend(over.r, under.r, alpha), Blend(over.g, under.g, alpha), Blend(over.b, under.b, alpha)};
}

// A screen with some of everything: dark, light, saturated, and grey near the veil's colour.
TBitmap Screen(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  TBitmap screen(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      screen.SetPixel(x, y,
                      {static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                       static_cast<std::uint8_t>(random())});
  return screen;
}

// `under` as it shows with the veil over it at `alpha`.
TBitmap Veiled(const TBitmap& under, TColorRGB veil, int alpha) {
  TBitmap out(under.Width(), under.Height());
  for (int y = 0; y < under.Height(); ++y)
    for (int x = 0; x < under.Width(); ++x) out.SetPixel(x, y, Blend(veil, under.Pixel(x, y), alpha));
  return out;
}

TEST(VeilCheck, CopiesBeforeAndAfterTheComposedLiftAreToldApart) {
  for (unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    TBitmap under = Screen(97, 61, seed);
    TBitmap veiled = Veiled(under, kVeil, kAlpha);
    EXPECT_EQ(JudgeVeil(veiled, veiled, kVeil, kAlpha), TVeilVerdict::Veiled);
    EXPECT_EQ(JudgeVeil(veiled, Veiled(under, kVeil, 1), kVeil, kAlpha), TVeilVerdict::Clear);
    EXPECT_EQ(JudgeVeil(veiled, under, kVeil, kAlpha), TVeilVerdict::Clear);
    // Half way (another opacity) is neither the veil at 150 nor the screen.
    EXPECT_NE(JudgeVeil(veiled, Veiled(under, kVeil, 75), kVeil, kAlpha), TVeilVerdict::Clear);
  }
}

TEST(VeilCheck, DarkAndBlackVeilsAreJudgedToo) {
  const TColorRGB veils[] = {{0, 0, 0}, {212, 208, 200}, {255, 255, 255}, {10, 120, 250}};
  TBitmap under = Screen(64, 64, 7);
  for (TColorRGB v : veils) {
    SCOPED_TRACE(int(v.r));
    TBitmap veiled = Veiled(under, v, kAlpha);
    EXPECT_EQ(JudgeVeil(veiled, veiled, v, kAlpha), TVeilVerdict::Veiled);
    EXPECT_EQ(JudgeVeil(veiled, Veiled(under, v, 1), v, kAlpha), TVeilVerdict::Clear);
  }
}

TEST(VeilCheck, AScreenOfTheVeilsOwnColourLooksTheSameEitherWay) {
  TBitmap under(40, 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) under.SetPixel(x, y, kVeil);
  TBitmap veiled = Veiled(under, kVeil, kAlpha);
  EXPECT_EQ(JudgeVeil(veiled, veiled, kVeil, kAlpha), TVeilVerdict::Indistinct);
}

TEST(VeilCheck, AnOpaqueVeilAsWithoutACompositorIsIndistinct) {
  // Without a compositor the veil shows black at any opacity, before and after.
  TBitmap black(50, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 50; ++x) black.SetPixel(x, y, {0, 0, 0});
  EXPECT_EQ(JudgeVeil(black, black, kVeil, kAlpha), TVeilVerdict::Indistinct);
}

TEST(VeilCheck, FramePixelsAndChangedContentDoNotDecide) {
  TBitmap under = Screen(80, 80, 11);
  TBitmap veiled = Veiled(under, kVeil, kAlpha);
  // The blue selection frame around the edge of the veiled copy.
  const TColorRGB frame = Blend(TColorRGB{50, 150, 250}, TColorRGB{0, 0, 0}, kAlpha);
  for (int i = 0; i < 80; ++i) {
    veiled.SetPixel(i, 0, frame);
    veiled.SetPixel(0, i, frame);
  }
  TBitmap clear = Veiled(under, kVeil, 1);
  // Something under the veil changed in a corner meanwhile (a clock, a caret).
  for (int y = 60; y < 80; ++y)
    for (int x = 60; x < 80; ++x) clear.SetPixel(x, y, {1, 2, 3});
  EXPECT_EQ(JudgeVeil(veiled, clear, kVeil, kAlpha), TVeilVerdict::Clear);
  TBitmap stillVeiled = veiled;
  for (int y = 60; y < 80; ++y)
    for (int x = 60; x < 80; ++x) stillVeiled.SetPixel(x, y, {1, 2, 3});
  EXPECT_EQ(JudgeVeil(veiled, stillVeiled, kVeil, kAlpha), TVeilVerdict::Veiled);
}

TEST(VeilCheck, LargeCopiesAreSampledAndStillJudged) {
  TBitmap under = Screen(1280, 800, 5);
  TBitmap veiled = Veiled(under, kVeil, kAlpha);
  EXPECT_EQ(JudgeVeil(veiled, veiled, kVeil, kAlpha), TVeilVerdict::Veiled);
  EXPECT_EQ(JudgeVeil(veiled, under, kVeil, kAlpha), TVeilVerdict::Clear);
}

}  // namespace
