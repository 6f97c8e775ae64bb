// Drawing single keys; painting the whole keyboard is an entry point (paintKeyboard, events.h).
#pragma once

#include <cstdint>

#include "keyboard/key_layouts.h"
#include "platform/events.h"

// Pressed keys are white on black, released keys black on white; gaps draw nothing.
void drawKey(plat::Surface surface, const KeyLayout& layout, int32_t index, bool pressed);
// drawKey on a surface taken for this one key and released at once (outside a paint).
void drawKeyNow(const KeyLayout& layout, int32_t index, bool pressed);
