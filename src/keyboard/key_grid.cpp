#include "keyboard/key_grid.h"

#include "display/key_drawing.h"
#include "display/key_geometry.h"
#include "display/rect.h"
#include "platform/events.h"
#include "platform/platform.h"

namespace {

// A vacant slot (no label) is never drawn by the paint; drawn alone it shows as a gap.
void drawSlot(plat::Surface surface, const KeySlot& slot, bool pressed) {
  drawKey(surface, keyRect(slot.row, slot.column), slot.label != nullptr ? slot.label : "", pressed);
}

}  // namespace

int32_t hitTestKey(const KeyLayout& layout, int32_t x, int32_t y) {
  for (int32_t scan = 0; scan < kLayoutSlots; ++scan) {
    const KeySlot& slot = layout[scan];
    if (slot.semitone < 0) continue;  // gaps and vacant slots are never found
    if (rectContains(keyRect(slot.row, slot.column), x, y)) return scan;
  }
  return -1;
}

void drawKeyNow(const KeyLayout& layout, int32_t index, bool pressed) {
  if (index < 0 || index >= kLayoutSlots) return;
  plat::Surface surface = plat::surfaceGet();
  drawSlot(surface, layout[index], pressed);
  plat::surfaceRelease(surface);
}

void paintKeyboard() {
  plat::Surface surface = plat::paintBegin();
  for (const KeySlot& slot : currentLayout()) {
    if (slot.column != -1) drawSlot(surface, slot, false);
  }
  plat::paintEnd(surface);
}
