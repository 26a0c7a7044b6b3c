#pragma once
// Turning and mirroring a decoded picture into its upright position, as the
// orientation value of EXIF and TIFF files (1..8) describes where the stored
// first row and first column belong.

#include "uDib.h"

// Applies the orientation to the picture: 1 (or any value outside 2..8)
// leaves it as it is, 2..4 mirror in place, 5..8 swap width and height into
// a new block. Works for every TDib depth. Answers false (picture unchanged)
// when the new block cannot be allocated.
bool ApplyOrientation(TDib& dib, int orientation);
