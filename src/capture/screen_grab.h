#pragma once
// The grab that a release on the capture overlay runs: copies the selected
// area from the screen, writes it as a JPEG file with a drawn name into the
// current directory, hands the name on, starts the upload and hides the
// overlay. A failure escapes to the standard error box and leaves the overlay
// shown, nearly transparent, with `dragging` still set.

class TForm3;

// The selection the grab copies: the press point and the last drag point.
struct TGrabPoints {
  int startX, startY, endX, endY;
};

void ScreenGrab(TForm3& overlay, const TGrabPoints& points, int releaseX, int releaseY);
