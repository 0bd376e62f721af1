#include "capture/screen_grab.h"

#include "capture/grab_area.h"
#include "capture/jpeg_image.h"
#include "capture/overlay_form.h"
#include "capture/random_name.h"
#include "capture/veil_free_copy_win32.h"
#include "toolkit/application.h"
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

TColorRGB SystemColor(int index) {
  COLORREF c = GetSysColor(index);
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

}  // namespace

void ScreenGrab(TForm3& overlay, const TGrabPoints& points, int releaseX, int releaseY) {
  if (Application != nullptr) SetForegroundWindow(Application->Handle());
  const TGrabArea area =
      ComputeGrabArea(points.startX, points.startY, points.endX, points.endY, releaseX, releaseY);
  TVeil veil{SystemColor(COLOR_BTNFACE), TForm3::kVeilAlpha, [&overlay] { overlay.SetAlphaBlendValue(1); },
             TBitmap()};
  // After a failed grab the veil has long been lifted: the screen shows what lies under it.
  if (overlay.AlphaBlendValue() != TForm3::kVeilAlpha) veil.liftedBefore = CopyScreenArea(area);
  overlay.SetAlphaBlendValue(TForm3::kVeilAlpha);
  {
    TJPEGImage jpeg;
    UniqueBitmap bitmap = WhiteScreenBitmap(area.width, area.height);
    TScreenCopy copy;
    {
      ScopedGetDC screen(nullptr);
      copy = CopyScreenFromUnderVeil(screen.get(), bitmap.get(), area, veil);
    }
    const std::string fileName = DrawPictureFileName();
    if (overlay.OnImageFileName) overlay.OnImageFileName(fileName);
    jpeg.LoadFromBitmap(copy.picture);
    jpeg.WriteToFile(fileName);
  }
  overlay.dragging = false;
  overlay.SetAlphaBlendValue(TForm3::kVeilAlpha);
  if (overlay.OnStartUpload) overlay.OnStartUpload();
  overlay.Close();
}
