// Key rectangles on the half-key grid, and the size pass that centres the grid in the client area.
#pragma once

#include <cstdint>

#include "display/rect.h"
#include "keyboard/key_layouts.h"

Rect keyRect(const KeySlot& slot);
// Handler of the main window's size notification: the client size as two 16-bit halves.
void applyClientSize(uint16_t width, uint16_t height);
