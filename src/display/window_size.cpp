#include "display/window_size.h"

#include "base/app_state.h"
#include "base/int_conversions.h"
#include "display/control_bars.h"
#include "platform/events.h"
#include "platform/platform.h"

namespace {

constexpr double kKeyboardColumns = 26.0;      // 13 key widths of 2 columns
constexpr double kKeyboardRows = 4.0;
constexpr int32_t kBarFraction = 26;           // a bar is a 26th of the client width
constexpr double kDefaultWidthInCells = 14.0;  // 13 key widths and half a key of margin each side

}  // namespace

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

WindowSize defaultWindowSize() {
  const KeyGeometry& g = app.geometry;
  const double zoom = app.settings.zoom;
  const int32_t menuHeight = plat::menuBarHeight();
  int32_t width = truncToInt32(g.charWidth * zoom * kDefaultWidthInCells + 2.0 * g.barThickness);
  int32_t height = truncToInt32(menuHeight + zoom * g.charHeight + 2.0 * g.charHeight +
                                zoom * g.charHeight * 0.5 * 4.0 + 2.0 * g.barThickness);
  // Only a damaged zoom makes a size beyond what a window can have.
  auto side = [](int32_t v) { return v < 0 ? 0 : (v > kLargestWindowSide ? kLargestWindowSide : v); };
  return WindowSize{side(width), side(height)};
}

void applyDefaultSize() {
  // The frame and caption are not measured: the size is the outer size of the window.
  WindowSize size = defaultWindowSize();
  Rect r = plat::windowRect();
  plat::windowMove(r.left, r.top, size.width, size.height, true);
}

void refreshLayout() {
  applyClientSize(app.geometry.clientWidth, app.geometry.clientHeight);
  applyDefaultSize();
}
