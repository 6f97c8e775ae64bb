// A rectangle in pixels, right and bottom exclusive, as the window system uses them.
#pragma once

#include <algorithm>
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

// Moves every edge outward by n pixels. Edges already at the ends of the int32 range (a key of a
// wildly zoomed grid) stay there instead of wrapping round.
inline Rect growRect(const Rect& r, int32_t n) {
  auto edge = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  return Rect{edge(int64_t{r.left} - n), edge(int64_t{r.top} - n), edge(int64_t{r.right} + n), edge(int64_t{r.bottom} + n)};
}
