// A rectangle in pixels, right and bottom exclusive, as the window system uses them.
#pragma once

#include <cstdint>

struct Rect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;

  friend bool operator==(const Rect&, const Rect&) = default;
};

// Left and top edges count in, right and bottom edges out; comparisons are signed.
inline bool rectContains(const Rect& r, int32_t x, int32_t y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Moves every edge outward by n pixels.
inline Rect growRect(const Rect& r, int32_t n) {
  return Rect{r.left - n, r.top - n, r.right + n, r.bottom + n};
}
