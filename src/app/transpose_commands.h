// The Transpose menu: one table of its five items serves the menu's texts, the commands, the
// marks at start-up and the arrow keys.
#pragma once

#include <cstdint>

void setTranspose(int32_t commandId);  // 111..115
// Texts and grey state of 114, 112, 115 and 111 for a layout.
void relabelTransposeItems(int32_t layoutId);
// The item that start-up checks for a stored transposition: 113 + transpose / the layout's
// octave step (truncating), or 0 when that is no transposition item (a damaged settings file).
int32_t startupTransposeItem(int32_t layoutId, int32_t transpose);
// The item of the nearest transposition the layout offers above (up) or below the given one, or
// 0 when there is none. For an offered value this is one menu step; a value no menu offers (a
// damaged settings file) is brought back to the nearest offered one in that direction.
int32_t transposeItemToward(int32_t layoutId, int32_t transpose, bool up);
