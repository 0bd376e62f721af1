#pragma once
// Reads the pictures that `psl encode` accepts: uncompressed 24-bit BMP
// (bottom-up or top-down rows) and binary PPM (P6, up to 255 levels).

#include <string>

#include "capture/bitmap.h"

// Raises EFOpenError when the file cannot be opened and EInvalidGraphic when
// its contents are not such a picture.
TBitmap ReadImageFile(const std::string& fileName);
