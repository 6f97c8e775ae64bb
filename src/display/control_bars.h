// The velocity (left), modulation (bottom) and pitch-bend (right) bars. Their scroll handlers,
// onModulationScroll and onVerticalScroll, are entry points (platform/events.h).
#pragma once

#include <cstdint>

#include "platform/events.h"

void createControlBars();
void placeControlBars(int32_t width, int32_t height, int32_t thickness);
void updateVelocityBar();
void toggleControlBars();  // command 103
