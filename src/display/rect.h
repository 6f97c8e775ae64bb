// Rules on rectangles (the Rect type itself is part of the platform line).
#pragma once

#include "base/int_conversions.h"
#include "platform/platform.h"

// Every coordinate the program hands to a platform lies within +-kCoordinateLimit, so a front end
// can add a size or a border to it without overflowing (window systems keep 32-bit or smaller
// coordinates and add to them freely). Only a damaged zoom reaches the limit; no screen comes near.
inline constexpr int32_t kCoordinateLimit = 1 << 24;

// The rectangle with each edge brought within +-kCoordinateLimit.
constexpr Rect limitRect(const Rect& r) {
  auto edge = [](int32_t v) { return v < -kCoordinateLimit ? -kCoordinateLimit : (v > kCoordinateLimit ? kCoordinateLimit : v); };
  return Rect{edge(r.left), edge(r.top), edge(r.right), edge(r.bottom)};
}

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
