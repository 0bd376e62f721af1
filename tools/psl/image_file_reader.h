#pragma once
// Reads the pictures that `psl encode` accepts: uncompressed 24-bit BMP
// (bottom-up or top-down rows) and binary PPM (P6, up to 255 levels).

#include <cstdint>
#include <string>
#include <vector>

#include "capture/bitmap.h"

// Raises EFOpenError when the file cannot be opened and EInvalidGraphic when
// its contents are not such a picture.
TBitmap ReadImageFile(const std::string& fileName);
// The same for a file's bytes already in memory; name is for messages.
TBitmap DecodeImageFile(const std::vector<std::uint8_t>& bytes, const std::string& name);
