#include "capture/screen_grab.h"

#include "capture/jpeg_image.h"
#include "capture/picture_file.h"
#include "capture/random_name.h"
#include "toolkit/exceptions.h"
#include "toolkit/handles.h"

namespace {

// The drawing surface of the copy: a screen-compatible bitmap, white until
// something is copied onto it. A zero-sized area gets none, as the system
// would make a 1x1 monochrome one for it.
UniqueBitmap WhiteScreenBitmap(int width, int height) {
  if (width == 0 || height == 0) return {};
  ScopedGetDC screen(nullptr);
  UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  if (!bitmap) throw EOutOfResources("Out of system resources");
  UniqueMemoryDC memory(CreateCompatibleDC(screen.get()));
  ScopedSelectObject selected(memory.get(), bitmap.get());
  PatBlt(memory.get(), 0, 0, width, height, WHITENESS);
  return bitmap;
}

}  // namespace

std::string ScreenGrab(const TGrabArea& area, const TVeil& veil, const std::vector<std::string>& folders) {
  TJPEGImage jpeg;
  UniqueBitmap bitmap = WhiteScreenBitmap(area.width, area.height);
  TScreenCopy copy;
  {
    ScopedGetDC screen(nullptr);
    copy = CopyScreenFromUnderVeil(screen.get(), bitmap.get(), area, veil);
  }
  // Whole before any file appears: a failed encoding leaves nothing behind.
  jpeg.LoadFromBitmap(copy.picture);
  jpeg.Encode();
  return WriteNewPictureFile(jpeg.EncodedData(), folders, DrawPictureFileName);
}
