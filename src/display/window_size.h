// The window size that fits the keyboard, and re-layout.
#pragma once

#include <cstdint>

struct WindowSize {
  int32_t width;
  int32_t height;
};

WindowSize defaultWindowSize();
void applyDefaultSize();
void refreshLayout();
void defaultSizeCommand();        // 108
