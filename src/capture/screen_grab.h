#pragma once
// The grab that a release on the capture overlay runs: copies the area from
// under the veil, draws a name and writes the copy as a JPEG file of that
// name into the current directory. A failure raises, with the veil lifted.

#include <string>

#include "capture/grab_area.h"
#include "capture/veil_free_copy_win32.h"

// Returns the name of the file written.
std::string ScreenGrab(const TGrabArea& area, const TVeil& veil);
