#pragma once

#include <cstdint>

void setTranspose(int32_t commandId);  // 111..115
// Texts and grey state of 114, 112, 115 and 111 for a layout.
void relabelTransposeItems(int32_t layoutId);
// The item that start-up checks for a stored transposition: 113 + transpose (Chromatic: 113 +
// transpose / 4, truncating), or 0 when that is no transposition item (a damaged settings file).
int32_t startupTransposeItem(int32_t layoutId, int32_t transpose);
