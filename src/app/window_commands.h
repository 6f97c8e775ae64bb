// The Window menu's commands that no one subsystem owns (the dispatcher repaints after each).
#pragma once

#include <cstdint>

void selectLayout(int32_t commandId);  // 600..602
void toggleFlats();                    // 603
void toggleAlwaysOnTop();              // 102
void toggleControlBars();              // 103
