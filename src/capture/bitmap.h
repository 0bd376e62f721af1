#pragma once
// A 24-bit picture in the platform's device-independent layout, the form in
// which the portable core receives screen captures:
//  - each pixel is three bytes in the order blue, green, red;
//  - each row is padded with zero bytes to a multiple of 4 bytes;
//  - rows lie bottom-up in memory (the bottom row first), as GetDIBits and
//    BMP files with a positive height store them.
// Copies share the pixels until one of them is written to, so handing a
// bitmap to the JPEG object costs no pixel copy.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct TColorRGB {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const TColorRGB&, const TColorRGB&) = default;
};

class TBitmap {
 public:
  TBitmap() = default;
  // A picture of the given size filled with white; 0 in either leaves it without pixels.
  TBitmap(int width, int height);
  // The same with pixels left as they come, for a caller that writes every row.
  static TBitmap ForOverwrite(int width, int height);

  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  bool Empty() const noexcept { return pixels_ == nullptr; }
  // Replaces the pixels with white ones of the new size; raises EInvalidGraphic on a negative size.
  void SetSize(int width, int height);

  static std::size_t BytesPerRow(int width) noexcept;
  std::size_t BytesPerRow() const noexcept { return BytesPerRow(width_); }
  std::size_t ImageSize() const noexcept { return BytesPerRow() * static_cast<std::size_t>(height_); }

  // Row y counted from the top of the picture. Raises EInvalidGraphicOperation
  // "Scan line index out of range" outside 0 .. Height() - 1, and for every
  // row of a picture without pixels (Empty()).
  const std::uint8_t* ScanLine(int y) const;
  std::uint8_t* ScanLine(int y);
  // The whole pixel block, bottom row first; null when Empty().
  const std::uint8_t* Bits() const noexcept;
  std::uint8_t* Bits();

  TColorRGB Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColorRGB color);

 private:
  void Unshare();
  void Allocate(int width, int height);

  int width_ = 0;
  int height_ = 0;
  std::shared_ptr<std::uint8_t[]> pixels_;
};

#ifdef _WIN32
#include <windows.h>

// The Windows side: reads a screen-compatible bitmap (any display pixel
// format) into the portable 24-bit TBitmap.
// The system converts the pixels with GetDIBits into bottom-up 24-bit rows.
// `source` must not be selected into a device context at the time.
// Raises EInvalidGraphic when the system cannot read the bitmap.
// A zero-width or zero-height area has no bitmap to read: CreateCompatibleBitmap
// would make a 1x1 monochrome one. Use an empty TBitmap for it instead.
TBitmap BitmapFromScreenBitmap(HBITMAP source);
#endif
