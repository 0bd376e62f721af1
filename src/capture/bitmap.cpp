#include "capture/bitmap.h"

#include <cstring>
#include <new>

#include "toolkit/exceptions.h"

TBitmap::TBitmap(int width, int height) { SetSize(width, height); }

TBitmap TBitmap::ForOverwrite(int width, int height) {
  TBitmap bitmap;
  bitmap.Allocate(width, height);
  return bitmap;
}

std::size_t TBitmap::BytesPerRow(int width) noexcept {
  return (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
}

void TBitmap::Allocate(int width, int height) {
  if (width < 0 || height < 0) throw EInvalidGraphic("Bitmap image is not valid");
  pixels_.reset();
  width_ = width;
  height_ = height;
  if (width == 0 || height == 0) return;
  // Guards the size arithmetic of 32-bit builds.
  if (static_cast<unsigned long long>(width) * 3 * static_cast<unsigned long long>(height) >
      static_cast<unsigned long long>(PTRDIFF_MAX) / 2)
    throw std::bad_alloc();
  pixels_ = std::make_shared_for_overwrite<std::uint8_t[]>(ImageSize());
}

void TBitmap::SetSize(int width, int height) {
  Allocate(width, height);
  // White, as a fresh off-screen bitmap; the row padding ends up 0xFF too, which no reader looks at.
  if (pixels_) std::memset(pixels_.get(), 0xFF, ImageSize());
}

const std::uint8_t* TBitmap::ScanLine(int y) const {
  // A picture 0 wide has rows to count but no bytes to point at.
  if (y < 0 || y >= height_ || !pixels_) throw EInvalidGraphicOperation("Scan line index out of range");
  return pixels_.get() + static_cast<std::size_t>(height_ - 1 - y) * BytesPerRow();
}

std::uint8_t* TBitmap::ScanLine(int y) {
  if (y < 0 || y >= height_ || !pixels_) throw EInvalidGraphicOperation("Scan line index out of range");
  Unshare();
  return pixels_.get() + static_cast<std::size_t>(height_ - 1 - y) * BytesPerRow();
}

const std::uint8_t* TBitmap::Bits() const noexcept { return pixels_.get(); }

std::uint8_t* TBitmap::Bits() {
  if (!pixels_) return nullptr;
  Unshare();
  return pixels_.get();
}

TColorRGB TBitmap::Pixel(int x, int y) const {
  if (x < 0 || x >= width_) throw EInvalidGraphicOperation("Pixel index out of range");
  const std::uint8_t* p = ScanLine(y) + static_cast<std::size_t>(x) * 3;
  return TColorRGB{p[2], p[1], p[0]};
}

void TBitmap::SetPixel(int x, int y, TColorRGB color) {
  if (x < 0 || x >= width_) throw EInvalidGraphicOperation("Pixel index out of range");
  std::uint8_t* p = ScanLine(y) + static_cast<std::size_t>(x) * 3;
  p[0] = color.b;
  p[1] = color.g;
  p[2] = color.r;
}

void TBitmap::Unshare() {
  if (!pixels_ || pixels_.use_count() == 1) return;
  auto own = std::make_shared_for_overwrite<std::uint8_t[]>(ImageSize());
  std::memcpy(own.get(), pixels_.get(), ImageSize());
  pixels_ = std::move(own);
}
