// The window size that fits the keyboard, and re-layout.
#pragma once

#include <cstdint>

// No window system makes a window wider or higher than this; a larger size is damage.
inline constexpr int32_t kLargestWindowSide = 32767;

struct WindowSize {
  int32_t width;
  int32_t height;
};

WindowSize defaultWindowSize();
void applyDefaultSize();
void refreshLayout();
void defaultSizeCommand();        // 108
