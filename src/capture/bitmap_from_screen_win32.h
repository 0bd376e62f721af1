#pragma once
// The Windows side of the capture's bitmap: reads a screen-compatible bitmap
// (any display pixel format) into the portable 24-bit TBitmap.

#include <windows.h>

#include "capture/bitmap.h"

// The system converts the pixels with GetDIBits into bottom-up 24-bit rows.
// `source` must not be selected into a device context at the time.
// Raises EInvalidGraphic when the system cannot read the bitmap.
// A zero-width or zero-height area has no bitmap to read: CreateCompatibleBitmap
// would make a 1x1 monochrome one. Use an empty TBitmap for it instead.
TBitmap BitmapFromScreenBitmap(HBITMAP source);
