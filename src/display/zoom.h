// The three zoom sizes of the keyboard: one table gives each size's factor, its menu item and
// its label font, and says what a factor that is none of them (only a settings file brings one)
// is shown as.
#pragma once

#include <cstdint>

#include "display/key_fonts.h"

struct ZoomLevel {
  int32_t commandId;  // its item in the Zoom Keyboard menu
  float zoom;         // the key grid's scale; compared exactly
  KeyFontSize font;   // the label font at that scale
};

// The item checked at start-up for a zoom of no level (the grid keeps that zoom).
int32_t zoomItem(float zoom);
// The label font for any zoom: Normal for a zoom of no level.
KeyFontSize keyFontForZoom(float zoom);

void setZoom(int32_t commandId);  // 105, 106, 107
