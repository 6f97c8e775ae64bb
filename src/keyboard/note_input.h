// From key and mouse messages to notes: the note keys, Space (sustain), Enter (all sounding
// notes off) and Esc (panic), and the left mouse button on the drawn keys. The handlers the
// front ends call (handleKeyMessage, handleMouseButton, onFocusLost, onMenuTakesKeyboard,
// onMouseCaptureLost) and the key message they fill are declared with the other entry points in
// platform/events.h.
#pragma once

#include <cstdint>

#include "keyboard/key_layouts.h"
#include "platform/events.h"

// A note key (by its scan code in the layout) pressed or let go; a scan code with no note plays
// nothing.
void noteKeyEvent(bool release, int32_t scan, Modifiers modifiers, const KeyLayout& layout);
// Scan code of the key under the point, or -1; the lower scan code wins where keys overlap.
int32_t hitTestKey(const KeyLayout& layout, int32_t x, int32_t y);
