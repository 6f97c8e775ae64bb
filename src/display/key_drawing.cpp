#include "display/key_drawing.h"

#include "app/app_state.h"
#include "display/key_fonts.h"
#include "display/key_geometry.h"
#include "display/zoom.h"

void drawKey(plat::Surface surface, const KeyLayout& layout, int32_t index, bool pressed) {
  if (index < 0 || index >= kLayoutSlots) return;
  const KeySlot& slot = layout[index];
  const Rect r = keyRect(slot);
  const char* label = slot.label != nullptr ? slot.label : "";
  const bool gap = label[0] == '\0';
  if (!gap) plat::fillRect(surface, r, pressed ? plat::Brush::Black : plat::Brush::White);
  selectKeyFont(surface, keyFontForZoom(app.settings.zoom));
  plat::drawCentredText(surface, label, r, pressed ? plat::Colour::White : plat::Colour::Black,
                        pressed ? plat::Colour::Black : plat::Colour::White);
  selectKeyFont(surface, kNormalKeyFont);
  if (gap) return;  // a gap shows the window background: no fill, no frame
  // Two black lines: one inside the key's rectangle, one just outside it.
  plat::frameRect(surface, r, plat::Brush::Black);
  plat::frameRect(surface, limitRect(growRect(r, 1)), plat::Brush::Black);
}

void drawKeyNow(const KeyLayout& layout, int32_t index, bool pressed) {
  plat::Surface surface = plat::surfaceGet();
  drawKey(surface, layout, index, pressed);
  plat::surfaceRelease(surface);
}

void paintKeyboard() {
  plat::Surface surface = plat::paintBegin();
  const KeyLayout& layout = currentLayout();
  for (int32_t index = 0; index < kLayoutSlots; ++index) {
    if (layout[index].column != -1) drawKey(surface, layout, index, false);
  }
  plat::paintEnd(surface);
}
