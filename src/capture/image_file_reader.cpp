#include "capture/image_file_reader.h"

#include <algorithm>
#include <cstring>

#include "toolkit/exceptions.h"
#include "toolkit/file_stream.h"

namespace {

constexpr int kMaxDimension = 1 << 16;

[[noreturn]] void Invalid(const std::string& what) { throw EInvalidGraphic(what); }

std::uint32_t Le32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

class FileBytes : public TImageBytes {
 public:
  explicit FileBytes(const std::string& fileName) : file_(TFileStream::OpenRead(fileName)), name_(fileName) {
    size_ = file_.Size();
    if (size_ < 0) throw EReadError("Cannot read file \"" + ExpandFileName(name_) + "\"");
  }
  std::uint64_t Size() const override { return static_cast<std::uint64_t>(size_); }
  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override {
    if (file_.Seek(static_cast<std::int64_t>(offset), TFileStream::Origin::Begin) !=
        static_cast<std::int64_t>(offset))
      throw EReadError("Cannot read file \"" + ExpandFileName(name_) + "\"");
    return file_.Read(buffer, count);
  }

 private:
  TFileStream file_;
  std::string name_;
  std::int64_t size_ = 0;
};

// Reads exactly count bytes at offset, or the picture is cut short.
void ReadExactly(TImageBytes& bytes, std::uint64_t offset, void* buffer, std::size_t count,
                 const char* kind) {
  if (bytes.ReadAt(offset, buffer, count) != count) Invalid(std::string(kind) + " file is truncated");
}

TBitmap ReadBmp(TImageBytes& f) {
  std::uint8_t head[14 + 40];
  if (f.Size() < sizeof head) Invalid("BMP file is truncated");
  ReadExactly(f, 0, head, sizeof head, "BMP");
  std::uint32_t pixelOffset = Le32(&head[10]);
  std::uint32_t headerSize = Le32(&head[14]);
  if (headerSize < 40) Invalid("Only BMP files with a Windows 3 or later header are read");
  std::int64_t width = static_cast<std::int32_t>(Le32(&head[18]));
  // Negated below: -2^31 must not overflow.
  std::int64_t height = static_cast<std::int32_t>(Le32(&head[22]));
  std::uint16_t bitCount = Le16(&head[28]);
  std::uint32_t compression = Le32(&head[30]);
  if (bitCount != 24 || compression != 0) Invalid("Only uncompressed 24-bit BMP files are read");
  bool topDown = height < 0;
  if (topDown) height = -height;
  if (width < 0 || width > kMaxDimension || height > kMaxDimension) Invalid("BMP picture size is not valid");

  int w = static_cast<int>(width), h = static_cast<int>(height);
  std::size_t stride = TBitmap::BytesPerRow(w);
  std::uint64_t pixels = static_cast<std::uint64_t>(stride) * static_cast<unsigned>(h);
  if (pixelOffset > f.Size() || f.Size() - pixelOffset < pixels) Invalid("BMP file is truncated");
  // Both layouts pad rows to 4 bytes, so the rows go straight into the bitmap.
  TBitmap bitmap = TBitmap::ForOverwrite(w, h);
  if (bitmap.Empty()) return bitmap;  // 0 wide or high: no pixels to read
  if (!topDown) {
    ReadExactly(f, pixelOffset, bitmap.Bits(), static_cast<std::size_t>(pixels), "BMP");
  } else {
    for (int y = 0; y < h; ++y) ReadExactly(f, pixelOffset + y * stride, bitmap.ScanLine(y), stride, "BMP");
  }
  return bitmap;
}

// The header of a binary PPM, read through a small window of the file.
class PpmHeaderReader {
 public:
  explicit PpmHeaderReader(TImageBytes& f) : f_(f) {}

  int Number() {
    SkipSpaceAndComments();
    long value = 0;
    std::uint64_t start = pos_;
    for (int c = Peek(); c >= '0' && c <= '9'; c = Peek()) {
      value = value * 10 + (c - '0');
      ++pos_;
      if (value > kMaxDimension) Invalid("PPM header value is out of range");
    }
    if (pos_ == start) Invalid("PPM header is not valid");
    return static_cast<int>(value);
  }
  // Exactly one white-space character separates the header from the pixels.
  std::uint64_t PixelStart() {
    int c = Peek();
    if (c < 0 || !IsSpace(static_cast<std::uint8_t>(c))) Invalid("PPM header is not valid");
    return pos_ + 1;
  }

 private:
  static bool IsSpace(std::uint8_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
  }
  // The byte at pos_, or -1 at the end of the file.
  int Peek() {
    if (pos_ < windowStart_ || pos_ >= windowStart_ + windowSize_) {
      windowStart_ = pos_;
      windowSize_ = f_.ReadAt(pos_, window_, sizeof window_);
      if (windowSize_ == 0) return -1;
    }
    return window_[pos_ - windowStart_];
  }
  void SkipSpaceAndComments() {
    for (int c = Peek(); c >= 0; c = Peek()) {
      if (IsSpace(static_cast<std::uint8_t>(c))) {
        ++pos_;
      } else if (c == '#') {
        for (c = Peek(); c >= 0 && c != '\n' && c != '\r'; c = Peek()) ++pos_;
      } else {
        break;
      }
    }
  }

  TImageBytes& f_;
  std::uint64_t pos_ = 2;
  std::uint8_t window_[4096];
  std::uint64_t windowStart_ = 0;
  std::size_t windowSize_ = 0;
};

TBitmap ReadPpm(TImageBytes& f) {
  PpmHeaderReader header(f);
  int width = header.Number();
  int height = header.Number();
  int maxValue = header.Number();
  if (maxValue < 1 || maxValue > 255) Invalid("Only PPM files with 1 to 255 levels are read");
  std::uint64_t start = header.PixelStart();
  std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  if (start > f.Size() ||
      f.Size() - start < static_cast<std::uint64_t>(rowBytes) * static_cast<unsigned>(height))
    Invalid("PPM file is truncated");

  // Fewer levels are stretched to 0 .. 255 with rounding, as cjpeg does.
  std::uint8_t scale[256] = {};
  for (int v = 0; v <= maxValue; ++v)
    scale[v] = static_cast<std::uint8_t>((v * 255 + maxValue / 2) / maxValue);

  TBitmap bitmap = TBitmap::ForOverwrite(width, height);
  if (bitmap.Empty()) return bitmap;  // 0 wide or high: no pixels to read
  std::size_t padding = bitmap.BytesPerRow() - rowBytes;
  for (int y = 0; y < height; ++y) {
    // Each row is read into its place and turned from red-green-blue there.
    std::uint8_t* row = bitmap.ScanLine(y);
    ReadExactly(f, start + static_cast<std::uint64_t>(y) * rowBytes, row, rowBytes, "PPM");
    for (std::uint8_t* p = row; p < row + rowBytes; p += 3) {
      if (p[0] > maxValue || p[1] > maxValue || p[2] > maxValue) Invalid("PPM sample is out of range");
      std::uint8_t red = p[0];
      p[0] = scale[p[2]];
      p[1] = scale[p[1]];
      p[2] = scale[red];
    }
    std::memset(row + rowBytes, 0, padding);
  }
  return bitmap;
}

class MemoryBytes : public TImageBytes {
 public:
  explicit MemoryBytes(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override {
    if (offset >= bytes_.size()) return 0;
    std::size_t n = std::min<std::uint64_t>(count, bytes_.size() - offset);
    std::memcpy(buffer, bytes_.data() + offset, n);
    return n;
  }

 private:
  const std::vector<std::uint8_t>& bytes_;
};

}  // namespace

TBitmap ReadImageFile(const std::string& fileName) {
  FileBytes file(fileName);
  return DecodeImage(file, fileName);
}

TBitmap DecodeImageFile(const std::vector<std::uint8_t>& bytes, const std::string& name) {
  MemoryBytes memory(bytes);
  return DecodeImage(memory, name);
}

TBitmap DecodeImage(TImageBytes& bytes, const std::string& name) {
  std::uint8_t magic[2] = {};
  if (bytes.ReadAt(0, magic, 2) == 2) {
    if (magic[0] == 'B' && magic[1] == 'M') return ReadBmp(bytes);
    if (magic[0] == 'P' && magic[1] == '6') return ReadPpm(bytes);
  }
  Invalid("\"" + name + "\" is neither a BMP nor a binary PPM picture");
}
