#include "display/key_fonts.h"

#include <initializer_list>

#include "base/app_state.h"
#include "platform/events.h"

namespace {

constexpr int32_t kRegular = 400;
constexpr int32_t kBold = 700;

plat::Font& fontOf(KeyFontSize size) {
  switch (size) {
    case kSmallKeyFont: return app.fonts.small;
    case kBigKeyFont: return app.fonts.big;
    case kNormalKeyFont: break;
  }
  return app.fonts.normal;
}

}  // namespace

void measureCharacterCell() {
  plat::Surface keySurface = plat::surfaceGet();
  // A fresh surface carries the default interface font: the system cell.
  plat::Surface systemSurface = plat::surfaceGet();
  plat::TextSize system = plat::textExtent(systemSurface, "M");
  app.geometry.systemCharWidth = static_cast<int16_t>(system.width);
  app.geometry.systemCharHeight = static_cast<int16_t>(system.height);
  plat::surfaceRelease(systemSurface);
  createKeyFonts();
  selectKeyFont(keySurface, kNormalKeyFont);
  plat::TextSize cell = plat::textExtent(keySurface, "M");
  app.geometry.charWidth = cell.width;
  app.geometry.charHeight = cell.height;
  plat::surfaceRelease(keySurface);
}

void createKeyFonts() {
  const int32_t w = app.geometry.systemCharWidth;
  const int32_t h = app.geometry.systemCharHeight;
  app.fonts.small = plat::fontCreate(3 * h / 4, w / 2 - 2, kRegular);
  app.fonts.normal = plat::fontCreate(h, w / 2, kBold);
  app.fonts.big = plat::fontCreate(h + h / 2, w / 2 + 2, kBold);
}

void deleteKeyFonts() {
  for (KeyFontSize size : {kSmallKeyFont, kNormalKeyFont, kBigKeyFont}) {
    plat::Font& font = fontOf(size);
    if (font != 0) plat::fontDelete(font);
    font = 0;
  }
}

plat::Font selectKeyFont(plat::Surface surface, KeyFontSize size) { return plat::fontSelect(surface, fontOf(size)); }

// The cell is measured in the key font, which the platform made at the old scale: new fonts, a new
// cell, and the keys placed for it at once, before the window takes its new size.
void onDisplayScaleChanged() {
  deleteKeyFonts();
  measureCharacterCell();
  applyClientSize(app.geometry.clientWidth, app.geometry.clientHeight);
  plat::invalidateClient();
}
