#pragma once
// The grab that a release on the capture overlay runs: copies the area from
// under the veil, encodes the copy as a JPEG and writes it into a new file
// under a drawn name, in the first of the folders that takes it. A failure
// raises, with the veil lifted and nothing written.

#include <string>
#include <vector>

#include "capture/grab_area.h"
#include "capture/veil_free_copy_win32.h"

// Returns the full path of the file written.
std::string ScreenGrab(const TGrabArea& area, const TVeil& veil, const std::vector<std::string>& folders);
