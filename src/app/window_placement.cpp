#include "app/window_placement.h"

#include <algorithm>
#include <cstdint>

#include "base/app_state.h"
#include "base/int_conversions.h"
#include "display/window_size.h"
#include "platform/platform.h"

namespace {

constexpr int32_t kMaxScreens = 16;
constexpr int64_t kTitleStrip = 24;       // caption rows at the top of the outer rectangle
constexpr int64_t kMinVisibleWidth = 48;  // caption pixels across that must be on a screen
// A window brought back lands where a first start puts it, with the first start's size when its
// own is damaged.
constexpr int64_t kInset = kFirstWindowRect.left;
static_assert(kFirstWindowRect.left == kFirstWindowRect.top);
constexpr int64_t kFirstWidth = int64_t{kFirstWindowRect.right} - kFirstWindowRect.left;
constexpr int64_t kFirstHeight = int64_t{kFirstWindowRect.bottom} - kFirstWindowRect.top;

// The caption strip is what the user drags a window by: it must lie on the screen over at least
// half its height (a frame a few pixels above the top edge still counts) and a usable width.
bool titleStripReachable(int64_t left, int64_t top, int64_t width, int64_t height, const Rect& area) {
  int64_t strip = std::min(kTitleStrip, height);
  int64_t overlapHeight = std::min<int64_t>(top + strip, area.bottom) - std::max<int64_t>(top, area.top);
  int64_t overlapWidth = std::min<int64_t>(left + width, area.right) - std::max<int64_t>(left, area.left);
  return overlapHeight > 0 && 2 * overlapHeight >= strip && overlapWidth >= std::min(kMinVisibleWidth, width);
}

}  // namespace

Rect reachableWindowRect(const Rect& saved) {
  // 64-bit, so right - left of any stored pair cannot overflow.
  int64_t left = saved.left, top = saved.top;
  int64_t width = int64_t{saved.right} - saved.left;
  int64_t height = int64_t{saved.bottom} - saved.top;
  bool sizeUsable = width > 0 && height > 0 && width <= kLargestWindowSide && height <= kLargestWindowSide;

  Rect areas[kMaxScreens];
  int32_t count = std::min(plat::screenWorkAreas(areas, kMaxScreens), kMaxScreens);
  if (sizeUsable) {
    for (int32_t i = 0; i < count; ++i) {
      if (titleStripReachable(left, top, width, height, areas[i])) return saved;
    }
  } else {
    width = kFirstWidth;
    height = kFirstHeight;
  }
  // Nothing known about the screens: keep the saved place, with a size a window can have.
  if (count <= 0) return Rect{saved.left, saved.top, saturateToInt32(left + width), saturateToInt32(top + height)};

  const Rect& primary = areas[0];
  int64_t areaWidth = int64_t{primary.right} - primary.left;
  int64_t areaHeight = int64_t{primary.bottom} - primary.top;
  width = std::min(width, std::max<int64_t>(areaWidth, 1));
  height = std::min(height, std::max<int64_t>(areaHeight, 1));
  int64_t newLeft = primary.left + std::clamp<int64_t>(areaWidth - width, 0, kInset);
  int64_t newTop = primary.top + std::clamp<int64_t>(areaHeight - height, 0, kInset);
  return Rect{saturateToInt32(newLeft), saturateToInt32(newTop), saturateToInt32(newLeft + width), saturateToInt32(newTop + height)};
}
