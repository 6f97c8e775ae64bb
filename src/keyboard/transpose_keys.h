// Up/Down step the transposition through the Transpose menu commands; keypad plus/minus change
// the velocity by 8. The first steps of handleKeyMessage.
#pragma once

#include "keyboard/note_input.h"

void handleTransposeAndVelocityKeys(const KeyMessage& message);
