#pragma once
// The screen area a grab copies, from the overlay's press point, last drag
// point and the release point. Pixel coordinates on the primary screen.

struct TGrabArea {
  int left = 0;
  int top = 0;
  int width = 0;  // 0 when the drag did not move along that axis: nothing is copied
  int height = 0;
  friend bool operator==(const TGrabArea&, const TGrabArea&) = default;
};

// Width and height are the distances between press and last drag point; the
// corner is the press point's coordinate where it is the smaller one, and the
// release point's otherwise (which is the drag point in a normal drag).
TGrabArea ComputeGrabArea(int startX, int startY, int endX, int endY, int releaseX, int releaseY);
