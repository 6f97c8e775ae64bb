// Rules on rectangles (the Rect type itself is part of the platform line).
#pragma once

#include "base/int_conversions.h"
#include "platform/platform.h"

// Left and top edges count in, right and bottom edges out; comparisons are signed.
inline bool rectContains(const Rect& r, int32_t x, int32_t y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Moves every edge outward by n pixels. Edges already at the ends of the int32 range (a key of a
// wildly zoomed grid) stay there instead of wrapping round.
inline Rect growRect(const Rect& r, int32_t n) {
  return Rect{saturateToInt32(int64_t{r.left} - n), saturateToInt32(int64_t{r.top} - n),
              saturateToInt32(int64_t{r.right} + n), saturateToInt32(int64_t{r.bottom} + n)};
}
