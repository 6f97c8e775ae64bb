// A layout's keys on the display's grid: the key under a point, and the keys drawn. Painting the
// whole keyboard is an entry point (paintKeyboard, events.h) and lives here too.
#pragma once

#include <cstdint>

#include "keyboard/key_layouts.h"

// Scan code of the key under the point, or -1; the lower scan code wins where keys overlap.
int32_t hitTestKey(const KeyLayout& layout, int32_t x, int32_t y);
// One key drawn at once on a surface taken for it (outside a paint).
void drawKeyNow(const KeyLayout& layout, int32_t index, bool pressed);
