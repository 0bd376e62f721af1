#pragma once
// Reads the pictures that `psl encode` accepts: uncompressed 24-bit BMP
// (bottom-up or top-down rows) and binary PPM (P6, up to 255 levels). The
// pixels go straight into the bitmap's rows: no copy of the file in memory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "capture/bitmap.h"

// Where a picture's bytes are read from: a file, or memory in the fuzzer.
class TImageBytes {
 public:
  virtual ~TImageBytes() = default;
  virtual std::uint64_t Size() const = 0;
  // Up to count bytes from offset; fewer only at the end.
  virtual std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) = 0;
};

// Raises EFOpenError when the file cannot be opened, EReadError when it cannot
// be read and EInvalidGraphic when its contents are not such a picture.
TBitmap ReadImageFile(const std::string& fileName);
TBitmap DecodeImage(TImageBytes& bytes, const std::string& name);
// The same for a file's bytes already in memory; name is for messages.
TBitmap DecodeImageFile(const std::vector<std::uint8_t>& bytes, const std::string& name);
