// Key rectangles on the half-key grid; the size pass that centres the grid in the client area is
// an entry point (applyClientSize, events.h).
#pragma once

#include "display/rect.h"
#include "keyboard/key_layouts.h"
#include "platform/events.h"

Rect keyRect(const KeySlot& slot);
