// TJPEGImage against libjpeg's own decoder and an independent walk over the
// markers of the files it writes. Runs in both builds.

#include "capture/jpeg_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

#include "jpeg_test_support.h"
#include "support/temp_folder.h"
#include "toolkit/file_stream.h"

namespace {

// ITU-T T.81 Annex K, tables K.1 and K.2, in natural (row by row) order.
constexpr int kLuminanceBase[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr int kChrominanceBase[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                      24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                      99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                      99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};
// Position in natural order of the k-th coefficient of the zigzag sequence.
constexpr int kZigzagToNatural[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                      12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                      35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                      58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

int Quality90(int base) { return std::clamp((base * 20 + 50) / 100, 1, 255); }

// Natural-order table from a DQT payload holding one 8-bit table.
std::vector<int> NaturalTable(const std::vector<std::uint8_t>& dqt) {
  std::vector<int> table(64);
  for (int k = 0; k < 64; ++k) table[kZigzagToNatural[k]] = dqt[1 + k];
  return table;
}

std::vector<std::uint8_t> EncodeBitmap(const TBitmap& bitmap) {
  TJPEGImage jpeg;
  jpeg.LoadFromBitmap(bitmap);
  jpeg.Encode();
  return jpeg.EncodedData().ToVector();
}

TBitmap SolidBitmap(int width, int height, TColorRGB color) {
  TBitmap bitmap(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, color);
  return bitmap;
}

TEST(JpegImageFile, MarkersTablesAndFrameMatchTheCaptureFormatForEverySize) {
  const std::pair<int, int> sizes[] = {{1, 1},   {1, 2},   {2, 1},   {8, 8},    {17, 9},
                                       {16, 16}, {300, 1}, {1, 300}, {641, 479}};
  for (auto [width, height] : sizes) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    std::vector<JpegSegment> s = ReadJpegSegments(EncodeBitmap(GradientBitmap(width, height)));
    std::vector<int> markers;
    for (const JpegSegment& segment : s) markers.push_back(segment.marker);
    ASSERT_EQ(markers, (std::vector<int>{0xD8, 0xE0, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA, 0xD9}));

    // JFIF 1.01, no density unit, 1:1, no thumbnail.
    EXPECT_EQ(s[1].payload, (std::vector<std::uint8_t>{'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0}));

    ASSERT_EQ(s[2].payload.size(), 65u);
    ASSERT_EQ(s[3].payload.size(), 65u);
    EXPECT_EQ(s[2].payload[0], 0x00);  // 8-bit entries, table 0
    EXPECT_EQ(s[3].payload[0], 0x01);  // table 1
    std::vector<int> luminance = NaturalTable(s[2].payload), chrominance = NaturalTable(s[3].payload);
    EXPECT_EQ(std::vector<int>(luminance.begin(), luminance.begin() + 8),
              (std::vector<int>{3, 2, 2, 3, 5, 8, 10, 12}));
    EXPECT_EQ(std::vector<int>(chrominance.begin(), chrominance.begin() + 8),
              (std::vector<int>{3, 4, 5, 9, 20, 20, 20, 20}));
    for (int i = 0; i < 64; ++i) {
      EXPECT_EQ(luminance[i], Quality90(kLuminanceBase[i])) << "luminance entry " << i;
      EXPECT_EQ(chrominance[i], Quality90(kChrominanceBase[i])) << "chrominance entry " << i;
    }

    // 8-bit precision, the exact size, Y 2x2 with table 0, Cb and Cr 1x1 with table 1.
    EXPECT_EQ(s[4].payload, (std::vector<std::uint8_t>{
                                8, static_cast<std::uint8_t>(height >> 8), static_cast<std::uint8_t>(height),
                                static_cast<std::uint8_t>(width >> 8), static_cast<std::uint8_t>(width), 3, 1,
                                0x22, 0, 2, 0x11, 1, 3, 0x11, 1}));
    // DC 0, AC 0, DC 1, AC 1.
    const int classAndId[] = {0x00, 0x10, 0x01, 0x11};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(s[5 + i].payload.at(0), classAndId[i]) << "DHT " << i;
    // One interleaved sequential scan.
    EXPECT_EQ(s[9].payload, (std::vector<std::uint8_t>{3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0}));
  }
}

TEST(JpegImageFile, DecodesToTheSourcePixelsInEveryShape) {
  // Includes pictures one pixel high and wide, and sizes that are no multiple of the 16x16 blocks.
  const std::pair<int, int> sizes[] = {{1, 1}, {300, 1}, {1, 300}, {2, 2}, {33, 17}, {256, 192}, {1023, 769}};
  for (auto [width, height] : sizes) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    TBitmap source = GradientBitmap(width, height);
    RgbImage decoded = DecodeJpeg(EncodeBitmap(source));
    PixelDifference d = Compare(source, decoded);
    EXPECT_LE(d.max, 12);
    EXPECT_LE(d.mean, 1.5);
  }
}

TEST(JpegImageFile, SolidColoursKeepTheirHue) {
  const TColorRGB colours[] = {{255, 0, 0},     {0, 255, 0}, {0, 0, 255},
                               {255, 255, 255}, {0, 0, 0},   {200, 120, 40}};
  for (TColorRGB colour : colours) {
    SCOPED_TRACE(std::to_string(colour.r) + "," + std::to_string(colour.g) + "," + std::to_string(colour.b));
    RgbImage decoded = DecodeJpeg(EncodeBitmap(SolidBitmap(24, 24, colour)));
    TColorRGB centre = decoded.At(12, 12);
    EXPECT_NEAR(centre.r, colour.r, 3);
    EXPECT_NEAR(centre.g, colour.g, 3);
    EXPECT_NEAR(centre.b, colour.b, 3);
  }
}

TEST(JpegImageFile, EncodesThePixelsOfLoadTimeNotLaterChangesToTheSource) {
  TBitmap source = SolidBitmap(16, 16, {255, 0, 0});
  TJPEGImage jpeg;
  jpeg.LoadFromBitmap(source);
  source.SetPixel(8, 8, {0, 0, 255});  // the grab's bitmap may be reused; the image keeps its copy
  source = SolidBitmap(16, 16, {0, 255, 0});
  jpeg.Encode();
  EXPECT_NEAR(DecodeJpeg(jpeg.EncodedData().ToVector()).At(8, 8).r, 255, 3);
}

TEST(JpegImageFile, LoadingAnotherBitmapDiscardsTheEncodedData) {
  TJPEGImage jpeg;
  jpeg.LoadFromBitmap(SolidBitmap(16, 16, {255, 0, 0}));
  jpeg.Encode();
  jpeg.LoadFromBitmap(SolidBitmap(16, 16, {0, 0, 255}));
  EXPECT_FALSE(jpeg.HasEncodedData());
  EXPECT_TRUE(jpeg.EncodedData().empty());
  TempFolder dir{"psl-jpeg"};
  jpeg.WriteToFile(dir.File("a.jpg"));
  EXPECT_NEAR(DecodeJpeg(ReadFileBytes(dir.File("a.jpg"))).At(8, 8).b, 255, 3);
}

TEST(JpegImageFile, EmptyPicturesGiveEmptyFilesWithoutError) {
  TempFolder dir{"psl-jpeg"};
  const std::pair<int, int> sizes[] = {{0, 0}, {0, 7}, {7, 0}};
  for (auto [width, height] : sizes) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    std::string name = dir.File("empty.jpg");
    WriteFileBytes(name, {1, 2, 3});  // a file of that name is replaced
    TJPEGImage jpeg;
    jpeg.LoadFromBitmap(TBitmap(width, height));
    ASSERT_NO_THROW(jpeg.WriteToFile(name));
    EXPECT_TRUE(std::filesystem::exists(name));
    EXPECT_EQ(std::filesystem::file_size(name), 0u);
  }
  TJPEGImage neverLoaded;
  ASSERT_NO_THROW(neverLoaded.WriteToFile(dir.File("none.jpg")));
  EXPECT_EQ(std::filesystem::file_size(dir.File("none.jpg")), 0u);
}

TEST(JpegImageFile, WritingTwiceReplacesTheFileCompletely) {
  TempFolder dir{"psl-jpeg"};
  std::string name = dir.File("1.jpg");
  TJPEGImage big;
  big.LoadFromBitmap(GradientBitmap(400, 300));
  big.WriteToFile(name);
  TJPEGImage small;
  small.LoadFromBitmap(SolidBitmap(8, 8, {0, 0, 255}));
  small.WriteToFile(name);
  ASSERT_LT(small.EncodedData().size(), big.EncodedData().size());
  EXPECT_EQ(ReadFileBytes(name), small.EncodedData());
}

TEST(JpegImageFile, UncreatableFileRaisesEFCreateErrorNamingIt) {
  TempFolder dir{"psl-jpeg"};
  std::string name = dir.File("missing-dir/2.jpg");
  TJPEGImage jpeg;
  jpeg.LoadFromBitmap(GradientBitmap(16, 16));
  try {
    jpeg.WriteToFile(name);
    FAIL() << "no error";
  } catch (const EFCreateError& e) {
    std::string prefix = "Cannot create file \"" + ExpandFileName(name) + "\". ";
    EXPECT_EQ(e.Message().substr(0, prefix.size()), prefix);
    EXPECT_GT(e.Message().size(), prefix.size()) << "the system's text is missing";
  }
}

TEST(JpegImageFile, CodecFailuresRaiseEJPEGWithTheMessageCodeAndLeaveAnEarlierFileAsItWas) {
  TempFolder dir{"psl-jpeg"};
  struct Case {
    const char* what;
    TBitmap bitmap;
    std::size_t limit;
    int code;
  };
  const Case cases[] = {
      {"wider than JPEG allows", TBitmap(65501, 2), 0x7FFFFFFF, JERR_IMAGE_TOO_BIG},
      {"encoded data cannot take a whole buffer", GradientBitmap(128, 128), 1000, JERR_FILE_WRITE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string name = dir.File("3.jpg");
    WriteFileBytes(name, {1, 2, 3});
    TJPEGImage jpeg;
    jpeg.LoadFromBitmap(c.bitmap);
    jpeg.SetEncodedSizeLimit(c.limit);
    try {
      jpeg.WriteToFile(name);
      ADD_FAILURE() << "no error";
    } catch (const EInvalidGraphic& e) {
      EXPECT_STREQ(e.ClassName(), "EJPEG");
      EXPECT_EQ(e.Message(), "JPEG error #" + std::to_string(c.code));
    }
    EXPECT_EQ(ReadFileBytes(name), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_FALSE(std::filesystem::exists(name + ".part"));
    EXPECT_FALSE(jpeg.HasEncodedData());
    EXPECT_LE(jpeg.EncodedData().size(), c.limit);  // what was stored up to the failure stays
  }
  EXPECT_EQ(JERR_FILE_WRITE, 37);  // the code the capture's users see on a failed output write
}

}  // namespace
