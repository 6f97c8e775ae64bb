// From key and mouse messages to notes: the note keys, Space (sustain), Enter (all sounding
// notes off) and Esc (panic), and the left mouse button on the drawn keys.
#pragma once

#include <cstdint>

#include "keyboard/key_layouts.h"

// Virtual-key codes of the keys with fixed duties (by meaning, not position).
namespace vk {
constexpr int32_t kEnter = 13;  // also keypad Enter
constexpr int32_t kEscape = 27;
constexpr int32_t kSpace = 32;
constexpr int32_t kUp = 38;
constexpr int32_t kDown = 40;
constexpr int32_t kKeypadPlus = 107;
constexpr int32_t kKeypadMinus = 109;
}  // namespace vk

// Shift and Ctrl as they were when the event happened (either key of each pair).
struct Modifiers {
  bool shift = false;
  bool ctrl = false;
};

// One key-down or key-up. param: bits 16-23 scan code, bit 30 set on an auto-repeated press.
struct KeyMessage {
  bool release;
  int32_t virtualKey;
  uint32_t param;
  Modifiers modifiers;
};

constexpr uint32_t kAutoRepeatBit = 1u << 30;
constexpr uint32_t keyParamForScanCode(int32_t scan) {
  return (static_cast<uint32_t>(scan) & 0xFFu) << 16;
}

void handleKeyMessage(const KeyMessage& message);
void noteKeyEvent(bool release, uint32_t param, Modifiers modifiers, const KeyLayout& layout);
// position: x in the low 16 bits, y in the high 16 bits, client pixels.
void handleMouseButton(bool release, uint32_t position, Modifiers modifiers);
// Scan code of the key under the point, or -1; the lower scan code wins where keys overlap.
int32_t hitTestKey(const KeyLayout& layout, int32_t x, int32_t y);

// The window lost the keyboard focus to another window (not to its own menu): nothing the
// player has let go of may keep sounding.
void onFocusLost();
// The mouse capture was taken away; counts as a focus loss only while our press holds it.
void onMouseCaptureLost();
