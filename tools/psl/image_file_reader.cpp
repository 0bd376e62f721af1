#include "image_file_reader.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "toolkit/exceptions.h"
#include "toolkit/file_stream.h"

namespace {

constexpr int kMaxDimension = 1 << 16;

std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName) {
  TFileStream file = TFileStream::OpenRead(fileName);
  std::int64_t size = file.Size();
  if (size < 0) throw EReadError("Cannot read file \"" + ExpandFileName(fileName) + "\"");
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (file.Read(bytes.data(), bytes.size()) != bytes.size())
    throw EReadError("Cannot read file \"" + ExpandFileName(fileName) + "\"");
  return bytes;
}

std::uint32_t Le32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

[[noreturn]] void Invalid(const std::string& what) { throw EInvalidGraphic(what); }

TBitmap ReadBmp(const std::vector<std::uint8_t>& f) {
  if (f.size() < 14 + 40) Invalid("BMP file is truncated");
  std::uint32_t pixelOffset = Le32(&f[10]);
  std::uint32_t headerSize = Le32(&f[14]);
  if (headerSize < 40) Invalid("Only BMP files with a Windows 3 or later header are read");
  std::int64_t width = static_cast<std::int32_t>(Le32(&f[18]));
  // Negated below: -2^31 must not overflow.
  std::int64_t height = static_cast<std::int32_t>(Le32(&f[22]));
  std::uint16_t bitCount = Le16(&f[28]);
  std::uint32_t compression = Le32(&f[30]);
  if (bitCount != 24 || compression != 0) Invalid("Only uncompressed 24-bit BMP files are read");
  bool topDown = height < 0;
  if (topDown) height = -height;
  if (width < 0 || width > kMaxDimension || height > kMaxDimension) Invalid("BMP picture size is not valid");

  int w = static_cast<int>(width), h = static_cast<int>(height);
  std::size_t stride = TBitmap::BytesPerRow(w);
  if (pixelOffset > f.size() ||
      f.size() - pixelOffset < static_cast<unsigned long long>(stride) * static_cast<unsigned>(h))
    Invalid("BMP file is truncated");
  TBitmap bitmap(w, h);
  if (bitmap.Empty()) return bitmap;  // 0 wide or high: no pixels to copy
  // Both layouts pad rows to 4 bytes, so each row copies as it is.
  for (int row = 0; row < h; ++row) {
    int y = topDown ? row : h - 1 - row;
    std::memcpy(bitmap.ScanLine(y), &f[pixelOffset + static_cast<std::size_t>(row) * stride], stride);
  }
  return bitmap;
}

class PpmHeaderReader {
 public:
  explicit PpmHeaderReader(const std::vector<std::uint8_t>& f) : f_(f) {}

  int Number() {
    SkipSpaceAndComments();
    long value = 0;
    std::size_t start = pos_;
    while (pos_ < f_.size() && f_[pos_] >= '0' && f_[pos_] <= '9') {
      value = value * 10 + (f_[pos_++] - '0');
      if (value > kMaxDimension) Invalid("PPM header value is out of range");
    }
    if (pos_ == start) Invalid("PPM header is not valid");
    return static_cast<int>(value);
  }
  // Exactly one white-space character separates the header from the pixels.
  std::size_t PixelStart() {
    if (pos_ >= f_.size() || !IsSpace(f_[pos_])) Invalid("PPM header is not valid");
    return pos_ + 1;
  }

 private:
  static bool IsSpace(std::uint8_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
  }
  void SkipSpaceAndComments() {
    while (pos_ < f_.size()) {
      if (IsSpace(f_[pos_])) {
        ++pos_;
      } else if (f_[pos_] == '#') {
        while (pos_ < f_.size() && f_[pos_] != '\n' && f_[pos_] != '\r') ++pos_;
      } else {
        break;
      }
    }
  }

  const std::vector<std::uint8_t>& f_;
  std::size_t pos_ = 2;
};

TBitmap ReadPpm(const std::vector<std::uint8_t>& f) {
  PpmHeaderReader header(f);
  int width = header.Number();
  int height = header.Number();
  int maxValue = header.Number();
  if (maxValue < 1 || maxValue > 255) Invalid("Only PPM files with 1 to 255 levels are read");
  std::size_t start = header.PixelStart();
  std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  if (f.size() - start < static_cast<unsigned long long>(rowBytes) * static_cast<unsigned>(height))
    Invalid("PPM file is truncated");

  // Fewer levels are stretched to 0 .. 255 with rounding, as cjpeg does.
  std::uint8_t scale[256] = {};
  for (int v = 0; v <= maxValue; ++v)
    scale[v] = static_cast<std::uint8_t>((v * 255 + maxValue / 2) / maxValue);

  TBitmap bitmap(width, height);
  if (bitmap.Empty()) return bitmap;  // 0 wide or high: no pixels to read
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = &f[start + static_cast<std::size_t>(y) * rowBytes];
    std::uint8_t* out = bitmap.ScanLine(y);
    for (int x = 0; x < width; ++x, in += 3, out += 3) {
      if (in[0] > maxValue || in[1] > maxValue || in[2] > maxValue) Invalid("PPM sample is out of range");
      out[0] = scale[in[2]];
      out[1] = scale[in[1]];
      out[2] = scale[in[0]];
    }
  }
  return bitmap;
}

}  // namespace

TBitmap ReadImageFile(const std::string& fileName) {
  return DecodeImageFile(ReadWholeFile(fileName), fileName);
}

TBitmap DecodeImageFile(const std::vector<std::uint8_t>& f, const std::string& fileName) {
  if (f.size() >= 2 && f[0] == 'B' && f[1] == 'M') return ReadBmp(f);
  if (f.size() >= 2 && f[0] == 'P' && f[1] == '6') return ReadPpm(f);
  Invalid("\"" + fileName + "\" is neither a BMP nor a binary PPM picture");
}
