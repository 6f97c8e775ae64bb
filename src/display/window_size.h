// The size pass, which places the keyboard and the bars in the client area (applyClientSize,
// events.h), and the window size that fits the keyboard.
#pragma once

#include <cstdint>

// No window system makes a window wider or higher than this; a larger size is damage.
inline constexpr int32_t kLargestWindowSide = 32767;

struct WindowSize {
  int32_t width;
  int32_t height;
};

WindowSize defaultWindowSize();
// The window given defaultWindowSize where it stands (command 108).
void applyDefaultSize();
// A size pass for the client area as it is, then the default size: after a change of zoom or of
// the bars, whose size the window then takes.
void refreshLayout();
