#include "capture/grab_area.h"

#include <cstdint>

namespace {
// Subtracted in 64 bits so that no overflow is undefined; a distance beyond
// int's range, which no screen has, wraps.
int Distance(int a, int b) {
  std::int64_t d = static_cast<std::int64_t>(b) - a;
  return static_cast<int>(d < 0 ? -d : d);
}
}  // namespace

TGrabArea ComputeGrabArea(int startX, int startY, int endX, int endY, int releaseX, int releaseY) {
  TGrabArea area;
  area.width = Distance(startX, endX);
  area.height = Distance(startY, endY);
  area.left = startX < endX ? startX : releaseX;
  area.top = startY < endY ? startY : releaseY;
  return area;
}
