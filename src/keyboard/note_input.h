// From key messages to notes: the note keys, and the keys with fixed duties (Up and Down step the
// transposition, keypad plus and minus the velocity; Space is the sustain pedal, Enter ends the
// sounding notes, Esc is the panic key). The handlers the front ends call (handleKeyMessage,
// onFocusLost, onMenuTakesKeyboard) are declared with the other entry points in
// platform/events.h.
#pragma once

#include <cstdint>

#include "keyboard/key_layouts.h"
#include "platform/events.h"

// A note key (by its scan code in the layout) pressed or let go, and drawn so; a scan code with
// no note plays nothing.
void noteKeyEvent(bool release, int32_t scan, Modifiers modifiers, const KeyLayout& layout);
// Ends every note this program switched on and lifts the pedal, when the releases of the keys
// held now can no longer reach the window.
void releaseEverythingHeld();
