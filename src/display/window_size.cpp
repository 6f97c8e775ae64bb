#include "display/window_size.h"

#include "app/app_state.h"
#include "app/commands.h"
#include "display/key_geometry.h"
#include "base/int_conversions.h"
#include "platform/platform.h"

namespace {

constexpr double kDefaultWidthInCells = 14.0;  // 13 key widths and half a key of margin each side

}  // namespace

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

void defaultSizeCommand() {
  applyDefaultSize();
  plat::invalidateClient();
}
