// Keeping a restored window within the player's reach.
#pragma once

#include "display/rect.h"

// The saved rectangle itself when its title strip lies on one of the screens' work areas;
// otherwise the same size (limited to the primary work area) moved onto the primary work area.
// A rectangle with no width or height, or one larger than any window can be (a damaged settings
// file), becomes the first-start size. The result always has right >= left and bottom >= top
// with sides that fit in 32 bits, so its width and height can be formed without overflow.
Rect reachableWindowRect(const Rect& saved);
