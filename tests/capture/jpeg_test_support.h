#pragma once
// Helpers for the JPEG tests: an independent look at the files we write
// (marker walk, libjpeg's own decoder) and scratch files.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/bitmap.h"

struct JpegSegment {
  std::uint8_t marker = 0;            // the byte after 0xFF
  std::vector<std::uint8_t> payload;  // without the length field
};

// Walks the file's markers up to EOI; entropy-coded data after SOS is skipped.
// Stops with an empty marker list entry (marker 0) when the file is malformed.
std::vector<JpegSegment> ReadJpegSegments(const std::vector<std::uint8_t>& file);

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // top-down, 3 bytes a pixel, no padding
  TColorRGB At(int x, int y) const {
    const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    return {p[0], p[1], p[2]};
  }
};

// Decodes with libjpeg's own decompressor into red-green-blue.
RgbImage DecodeJpeg(const std::vector<std::uint8_t>& file);

// A picture whose colours change smoothly and differently along each axis,
// so a swapped channel or a flipped row order shows up at once.
TBitmap GradientBitmap(int width, int height);
// Largest and mean absolute channel difference between a bitmap and a decoded picture.
struct PixelDifference {
  int max = 0;
  double mean = 0;
};
PixelDifference Compare(const TBitmap& expected, const RgbImage& actual);

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
