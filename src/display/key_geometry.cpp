#include "display/key_geometry.h"

#include "app/app_state.h"
#include "display/control_bars.h"
#include "base/int_conversions.h"

namespace {

constexpr double kKeyboardColumns = 26.0;  // 13 key widths of 2 columns
constexpr double kKeyboardRows = 4.0;
constexpr int32_t kBarFraction = 26;       // a bar is a 26th of the client width

}  // namespace

Rect keyRect(const KeySlot& slot) {
  const KeyGeometry& g = app.geometry;
  const double zoom = app.settings.zoom;
  // Right and bottom are measured from the truncated left and top, so neighbouring keys can be
  // a pixel apart (or overlap where edges are negative).
  int32_t left = truncToInt32(g.charWidth * zoom * slot.column * 0.5 + g.originX);
  int32_t top = truncToInt32(g.charHeight * zoom * slot.row * 0.5 + g.originY);
  int32_t right = truncToInt32(left + g.charWidth * zoom);
  int32_t bottom = truncToInt32(top + g.charHeight * zoom * 0.5);
  return limitRect(Rect{left, top, right, bottom});
}

void applyClientSize(uint16_t width, uint16_t height) {
  KeyGeometry& g = app.geometry;
  g.clientWidth = width;
  g.clientHeight = height;
  const int32_t w = static_cast<int16_t>(width);  // the halves of a size message are signed
  const int32_t h = static_cast<int16_t>(height);
  const double zoom = app.settings.zoom;
  g.barThickness = app.settings.showControlBars != 0 ? w / kBarFraction : 0;
  g.originX = truncToInt32((w - kKeyboardColumns * zoom * g.charWidth * 0.5) * 0.5);
  g.originY = truncToInt32((h - kKeyboardRows * zoom * g.charHeight) * 0.5 + zoom * g.charHeight -
                           g.barThickness / 2);
  if (app.settings.showControlBars != 0) placeControlBars(w, h, g.barThickness);
}
