#pragma once
// The copy of a screen area from under the overlay's veil. The veil's
// opacity drops to nearly nothing just before the copy, but a compositor
// shows that change only some time after the call; a copy made too early
// would hold the veil. So the area is copied once with the veil up, and then
// again, after the drop, until the copy no longer looks veiled.

#include <functional>

#include <windows.h>

#include "capture/bitmap.h"
#include "capture/grab_area.h"
#include "capture/veil_check.h"

// The veil's colour: the system's button face, which fills the overlay.
TColorRGB VeilColor();

struct TVeil {
  TColorRGB color;
  int alpha;                   // its opacity while up, of 255
  std::function<void()> Lift;  // makes it nearly transparent
};

struct TScreenCopy {
  TBitmap picture;  // empty for a zero-sized area
  int copies = 0;   // copies made after the veil was lifted
  TVeilVerdict verdict = TVeilVerdict::Indistinct;
};

// The longest the copy waits for the compositor; then the last copy stands.
constexpr DWORD kVeilWaitLimitMs = 500;

// The area as the screen shows it now, in one copy.
TBitmap CopyScreenArea(const TGrabArea& area);

// `target`: a bitmap compatible with `screen`, of the area's size, selected
// into no device context; null for a zero-sized area. Lifts the veil in any
// case. The copies go through `target`, which holds the last one afterwards.
TScreenCopy CopyScreenFromUnderVeil(HDC screen, HBITMAP target, const TGrabArea& area, const TVeil& veil);
