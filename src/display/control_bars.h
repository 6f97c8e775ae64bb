// The velocity (left), modulation (bottom) and pitch-bend (right) bars.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Scroll requests as the platform reports them.
enum ScrollRequest : int32_t {
  kLineUp = 0,
  kLineDown = 1,
  kPageUp = 2,
  kPageDown = 3,
  kThumbPosition = 4,  // once, when the dragged thumb is released
  kThumbTrack = 5,     // while the thumb is dragged
};

void createControlBars();
void placeControlBars(int32_t width, int32_t height, int32_t thickness);
void onModulationScroll(int32_t request, uint16_t position);
void onVerticalScroll(plat::Bar bar, int32_t request, uint16_t position);
void updateVelocityBar();
void toggleControlBars();  // command 103
