// The Windows fill of the capture bitmap: known pixels in screen-compatible
// and device-independent bitmaps come out as TBitmap's bottom-up BGR rows.

#include "capture/bitmap.h"

#include <gtest/gtest.h>

#include <functional>

#include "toolkit/exceptions.h"
#include "toolkit/handles.h"

namespace {

// Only full-on and full-off channels: they survive any display format, 16-bit included.
TColorRGB PlainColour(int x, int y) {
  int k = (x + 3 * y) % 8;
  return {static_cast<std::uint8_t>(k & 1 ? 255 : 0), static_cast<std::uint8_t>(k & 2 ? 255 : 0),
          static_cast<std::uint8_t>(k & 4 ? 255 : 0)};
}

// Arbitrary values, for bitmaps that keep 8 bits a channel.
TColorRGB RichColour(int x, int y) {
  return {static_cast<std::uint8_t>(x * 37 + y), static_cast<std::uint8_t>(y * 53 + 7),
          static_cast<std::uint8_t>(x ^ (y * 11))};
}

struct Gdi {
  ScopedGetDC owned{nullptr};
  HDC screen = owned.get();
};

HBITMAP CompatibleBitmap(HDC screen, int width, int height, TColorRGB (*colour)(int, int)) {
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  UniqueMemoryDC memory(CreateCompatibleDC(screen));
  // GetDIBits wants the bitmap out of every device context: selected for the filling only.
  ScopedSelectObject selected(memory.get(), bitmap);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      TColorRGB c = colour(x, y);
      SetPixelV(memory.get(), x, y, RGB(c.r, c.g, c.b));
    }
  return bitmap;
}

// A top-down 32-bit section, filled through its memory: another layout and depth than the result.
HBITMAP Section32(HDC screen, int width, int height, TColorRGB (*colour)(int, int)) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* p = static_cast<std::uint8_t*>(bits);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x, p += 4) {
      TColorRGB c = colour(x, y);
      p[0] = c.b;
      p[1] = c.g;
      p[2] = c.r;
      p[3] = 0;
    }
  GdiFlush();
  return bitmap;
}

TEST(BitmapFromScreen, KnownPixelsArriveInPlaceForEveryKindAndSize) {
  Gdi gdi;
  ASSERT_NE(gdi.screen, nullptr);
  struct Kind {
    const char* name;
    HBITMAP (*make)(HDC, int, int, TColorRGB (*)(int, int));
    TColorRGB (*colour)(int, int);
  };
  const Kind kinds[] = {{"screen-compatible", CompatibleBitmap, PlainColour},
                        {"32-bit section", Section32, RichColour}};
  const std::pair<int, int> sizes[] = {{1, 1}, {3, 2}, {5, 7}, {64, 1}, {1, 33}, {101, 67}};
  for (const Kind& kind : kinds)
    for (auto [width, height] : sizes) {
      SCOPED_TRACE(std::string(kind.name) + " " + std::to_string(width) + "x" + std::to_string(height));
      HBITMAP source = kind.make(gdi.screen, width, height, kind.colour);
      UniqueBitmap owned(source);
      ASSERT_NE(source, nullptr);
      TBitmap bitmap = BitmapFromScreenBitmap(source);
      ASSERT_EQ(bitmap.Width(), width);
      ASSERT_EQ(bitmap.Height(), height);
      int wrong = 0;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
          if (!(bitmap.Pixel(x, y) == kind.colour(x, y)) && wrong++ < 3)
            ADD_FAILURE() << "pixel " << x << "," << y;
      EXPECT_EQ(wrong, 0);
      // The top-left pixel lies in the last row of memory, blue byte first.
      const std::uint8_t* topLeft = bitmap.Bits() + (height - 1) * bitmap.BytesPerRow();
      TColorRGB c = kind.colour(0, 0);
      EXPECT_EQ((std::vector<int>{topLeft[0], topLeft[1], topLeft[2]}), (std::vector<int>{c.b, c.g, c.r}));
    }
}

TEST(BitmapFromScreen, NoBitmapIsAnInvalidGraphic) {
  EXPECT_THROW(BitmapFromScreenBitmap(nullptr), EInvalidGraphic);
}

}  // namespace
