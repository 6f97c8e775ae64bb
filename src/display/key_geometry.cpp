#include "display/key_geometry.h"

#include "base/app_state.h"
#include "base/int_conversions.h"

Rect keyRect(int32_t row, int32_t column) {
  const KeyGeometry& g = app.geometry;
  const double zoom = app.settings.zoom;
  // Right and bottom are measured from the truncated left and top, so neighbouring keys can be
  // a pixel apart (or overlap where edges are negative).
  int32_t left = truncToInt32(g.charWidth * zoom * column * 0.5 + g.originX);
  int32_t top = truncToInt32(g.charHeight * zoom * row * 0.5 + g.originY);
  int32_t right = truncToInt32(left + g.charWidth * zoom);
  int32_t bottom = truncToInt32(top + g.charHeight * zoom * 0.5);
  return limitRect(Rect{left, top, right, bottom});
}
