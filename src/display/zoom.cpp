#include "display/zoom.h"

#include <iterator>

#include "base/app_state.h"
#include "base/commands.h"
#include "display/window_size.h"
#include "platform/platform.h"

namespace {

constexpr ZoomLevel kZoomLevels[] = {
    {cmd::kZoomSmall,  1.5f, kSmallKeyFont},
    {cmd::kZoomNormal, 2.0f, kNormalKeyFont},
    {cmd::kZoomBig,    3.0f, kBigKeyFont},
};
static_assert(std::size(kZoomLevels) == cmd::kZoomBig - cmd::kZoomSmall + 1);

// A zoom of no level is checked as Big and labelled with the Normal font.
constexpr int32_t kOtherZoomItem = cmd::kZoomBig;
constexpr KeyFontSize kOtherZoomFont = kNormalKeyFont;

const ZoomLevel* levelOfZoom(float zoom) {
  for (const ZoomLevel& level : kZoomLevels) {
    if (level.zoom == zoom) return &level;
  }
  return nullptr;
}

}  // namespace

int32_t zoomItem(float zoom) {
  const ZoomLevel* level = levelOfZoom(zoom);
  return level != nullptr ? level->commandId : kOtherZoomItem;
}

KeyFontSize keyFontForZoom(float zoom) {
  const ZoomLevel* level = levelOfZoom(zoom);
  return level != nullptr ? level->font : kOtherZoomFont;
}

void setZoom(int32_t commandId) {
  for (const ZoomLevel& level : kZoomLevels) {
    if (level.commandId == commandId) app.settings.zoom = level.zoom;
  }
  for (const ZoomLevel& level : kZoomLevels) plat::menuCheck(level.commandId, false);
  plat::menuCheck(commandId, true);
  refreshLayout();
}
