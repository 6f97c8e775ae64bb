// The window size that fits the keyboard, zoom commands, and re-layout.
#pragma once

#include <cstdint>

struct WindowSize {
  int32_t width;
  int32_t height;
};

WindowSize defaultWindowSize();
void applyDefaultSize();
void refreshLayout();
void setZoom(int32_t commandId);  // 105, 106, 107
void defaultSizeCommand();        // 108
