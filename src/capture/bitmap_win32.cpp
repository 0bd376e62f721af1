#include "capture/bitmap.h"

#include "toolkit/exceptions.h"
#include "toolkit/handles.h"

TBitmap BitmapFromScreenBitmap(HBITMAP source) {
  BITMAP info{};
  if (source == nullptr || GetObjectW(source, sizeof info, &info) == 0)
    throw EInvalidGraphic("Bitmap image is not valid");
  // GetDIBits writes every row, padding included.
  TBitmap result = TBitmap::ForOverwrite(info.bmWidth, info.bmHeight);
  if (result.Empty()) return result;

  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = info.bmWidth;
  format.bmiHeader.biHeight = info.bmHeight;  // positive: bottom-up, as TBitmap keeps its rows
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 24;
  format.bmiHeader.biCompression = BI_RGB;

  ScopedGetDC screen(nullptr);
  int lines = GetDIBits(screen.get(), source, 0, static_cast<UINT>(info.bmHeight), result.Bits(), &format,
                        DIB_RGB_COLORS);
  if (lines != info.bmHeight) throw EInvalidGraphic("Cannot read the pixels of the bitmap");
  return result;
}
