// One key drawn as fill, label and frame operations on a surface.
#pragma once

#include "platform/platform.h"

// Pressed keys are white on black, released keys black on white, in the label font of the zoom.
// A key with an empty label is a gap: its label is drawn (nothing shows) but it gets no fill and
// no frame, so the window's background shows there.
void drawKey(plat::Surface surface, const Rect& rect, const char* label, bool pressed);
