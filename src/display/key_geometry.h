// Key rectangles on the half-key grid. The size pass that places the grid in the client area is
// in display/window_size.h.
#pragma once

#include <cstdint>

#include "display/rect.h"

// The key at this row (0..3 from the top) and column (half key widths from the left), in client
// pixels, within the coordinate limit.
Rect keyRect(int32_t row, int32_t column);
