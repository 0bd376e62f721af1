#include "jpeg_test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include <jpeglib.h>

std::vector<JpegSegment> ReadJpegSegments(const std::vector<std::uint8_t>& f) {
  std::vector<JpegSegment> segments;
  std::size_t pos = 0;
  auto malformed = [&] {
    segments.push_back(JpegSegment{});
    return segments;
  };
  while (pos + 1 < f.size()) {
    if (f[pos] != 0xFF) return malformed();
    std::uint8_t marker = f[pos + 1];
    pos += 2;
    if (marker == 0xD8 || marker == 0xD9) {  // SOI, EOI carry no length
      segments.push_back({marker, {}});
      if (marker == 0xD9) {
        if (pos != f.size()) return malformed();  // nothing may follow EOI
        return segments;
      }
      continue;
    }
    if (pos + 2 > f.size()) return malformed();
    std::size_t length = (f[pos] << 8) | f[pos + 1];
    if (length < 2 || pos + length > f.size()) return malformed();
    segments.push_back({marker, std::vector<std::uint8_t>(f.begin() + pos + 2, f.begin() + pos + length)});
    pos += length;
    if (marker == 0xDA) {  // SOS: skip entropy-coded bytes up to the next real marker
      while (pos + 1 < f.size() &&
             !(f[pos] == 0xFF && f[pos + 1] != 0x00 && !(f[pos + 1] >= 0xD0 && f[pos + 1] <= 0xD7)))
        ++pos;
    }
  }
  return malformed();
}

namespace {
struct DecodeError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
[[noreturn]] void ThrowDecodeError(j_common_ptr cinfo) {
  char text[JMSG_LENGTH_MAX];
  cinfo->err->format_message(cinfo, text);
  throw DecodeError(text);
}
}  // namespace

RgbImage DecodeJpeg(const std::vector<std::uint8_t>& file) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  // Throwing through libjpeg is fine for a test helper on the native build;
  // the Windows build's libjpeg (SJLJ) unwinds through C frames as well.
  errors.error_exit = ThrowDecodeError;
  RgbImage image;
  try {
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    image.width = static_cast<int>(cinfo.output_width);
    image.height = static_cast<int>(cinfo.output_height);
    image.rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = &image.rgb[static_cast<std::size_t>(cinfo.output_scanline) * image.width * 3];
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
  } catch (...) {
    jpeg_destroy_decompress(&cinfo);
    throw;
  }
  jpeg_destroy_decompress(&cinfo);
  return image;
}

TBitmap GradientBitmap(int width, int height) {
  // The slope is capped so that tiny pictures do not jump from black to full
  // colour inside one block, which 4:2:0 chroma cannot follow.
  int xSpan = std::max(width - 1, 63), ySpan = std::max(height - 1, 63);
  TBitmap bitmap(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      bitmap.SetPixel(x, y,
                      {static_cast<std::uint8_t>(x * 255 / xSpan), static_cast<std::uint8_t>(y * 255 / ySpan),
                       static_cast<std::uint8_t>(60 + (x + y) * 120 / (xSpan + ySpan))});
  return bitmap;
}

PixelDifference Compare(const TBitmap& expected, const RgbImage& actual) {
  PixelDifference d;
  if (expected.Width() != actual.width || expected.Height() != actual.height) {
    d.max = 256;
    return d;
  }
  long long sum = 0;
  for (int y = 0; y < actual.height; ++y)
    for (int x = 0; x < actual.width; ++x) {
      TColorRGB e = expected.Pixel(x, y), a = actual.At(x, y);
      for (int diff : {e.r - a.r, e.g - a.g, e.b - a.b}) {
        diff = std::abs(diff);
        d.max = std::max(d.max, diff);
        sum += diff;
      }
    }
  std::size_t samples = static_cast<std::size_t>(actual.width) * actual.height * 3;
  d.mean = samples ? static_cast<double>(sum) / samples : 0;
  return d;
}

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
