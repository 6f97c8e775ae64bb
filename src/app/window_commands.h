#pragma once

#include <cstdint>

void selectLayout(int32_t commandId);  // 600..602
void toggleFlats();                    // 603
void toggleAlwaysOnTop();              // 102
