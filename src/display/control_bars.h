// The velocity (left), modulation (bottom) and pitch-bend (right) bars. Their scroll handlers,
// onModulationScroll and onVerticalScroll, are entry points (platform/events.h).
#pragma once

#include <cstdint>

#include "platform/events.h"

// The three bars, with their ranges and positions, placed nowhere yet: the next size pass places
// them when they are shown.
void createControlBars();
// Velocity on the left, modulation along the bottom, pitch bend on the right of a client area of
// that size; nothing before the bars exist.
void placeControlBars(int32_t width, int32_t height, int32_t thickness);
// Brings the velocity into 1..127 and shows it on its bar.
void updateVelocityBar();
