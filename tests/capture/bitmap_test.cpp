// The capture's bitmap: the row layout the encoder and the screen copy share.

#include "capture/bitmap.h"

#include <vector>

#include <gtest/gtest.h>

#include "toolkit/exceptions.h"

namespace {

TEST(Bitmap, RowsAreBottomUpBlueGreenRedAndPaddedToFourBytes) {
  TBitmap bitmap(3, 2);  // 9 bytes of pixels a row, padded to 12
  ASSERT_EQ(bitmap.BytesPerRow(), 12u);
  ASSERT_EQ(bitmap.ImageSize(), 24u);
  bitmap.SetPixel(0, 0, {1, 2, 3});  // top left
  bitmap.SetPixel(2, 1, {4, 5, 6});  // bottom right
  const std::uint8_t* bits = bitmap.Bits();
  EXPECT_EQ((std::vector<int>{bits[6], bits[7], bits[8]}), (std::vector<int>{6, 5, 4}));  // bottom row first
  EXPECT_EQ((std::vector<int>{bits[12], bits[13], bits[14]}), (std::vector<int>{3, 2, 1}));  // top row second
  EXPECT_EQ(bitmap.ScanLine(0), bitmap.Bits() + 12);
  EXPECT_EQ(bitmap.Pixel(1, 1), (TColorRGB{255, 255, 255})) << "new bitmaps are white";
}

TEST(Bitmap, RowsOutsideThePictureRaiseScanLineIndexOutOfRange) {
  // A picture 0 wide has rows to count but no pixels: none of them may be touched.
  const struct { int width, height, y; } cases[] = {{4, 1, -1}, {4, 1, 1}, {0, 5, 0}, {0, 5, 4}};
  for (const auto& c : cases) {
    TBitmap bitmap(c.width, c.height);
    try {
      bitmap.ScanLine(c.y);
      ADD_FAILURE() << c.width << "x" << c.height << " row " << c.y;
    } catch (const EInvalidGraphicOperation& e) {
      EXPECT_EQ(e.Message(), "Scan line index out of range");
    }
  }
}

TEST(Bitmap, CopiesSharePixelsUntilWritten) {
  TBitmap a(2, 2);
  const TBitmap b = a;
  EXPECT_EQ(b.Bits(), static_cast<const TBitmap&>(a).Bits());
  a.SetPixel(0, 0, {9, 9, 9});
  EXPECT_NE(b.Bits(), static_cast<const TBitmap&>(a).Bits());
  EXPECT_EQ(b.Pixel(0, 0), (TColorRGB{255, 255, 255}));
}

}  // namespace
