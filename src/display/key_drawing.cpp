#include "display/key_drawing.h"

#include "base/app_state.h"
#include "display/key_fonts.h"
#include "display/rect.h"
#include "display/zoom.h"

void drawKey(plat::Surface surface, const Rect& r, const char* label, bool pressed) {
  const bool gap = label[0] == '\0';
  if (!gap) plat::fillRect(surface, r, pressed ? plat::Brush::Black : plat::Brush::White);
  selectKeyFont(surface, keyFontForZoom(app.settings.zoom));
  plat::drawCentredText(surface, label, r, pressed ? plat::Colour::White : plat::Colour::Black,
                        pressed ? plat::Colour::Black : plat::Colour::White);
  selectKeyFont(surface, kNormalKeyFont);
  if (gap) return;
  // Two black lines: one inside the key's rectangle, one just outside it.
  plat::frameRect(surface, r, plat::Brush::Black);
  plat::frameRect(surface, limitRect(growRect(r, 1)), plat::Brush::Black);
}
