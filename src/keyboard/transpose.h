// The transposition: the Transpose menu's five items, and stepping through them. One table of the
// items serves the menu's texts, the command, the marks at start-up and the arrow keys.
#pragma once

#include <cstdint>
#include <iterator>

#include "base/commands.h"

// Item 113 + k stands for k steps of the layout's octave step (1 octave in Piano and Accordion, 4
// in Chromatic); Chromatic offers only the middle three.
struct TransposeItem {
  int32_t id;
  const char* text;            // Piano and Accordion, and the menu as it is built
  const char* chromaticText;
  bool offeredInChromatic;     // false: greyed there, and choosing it changes nothing
};

// From the lowest transposition to the highest; the menu shows them the other way up.
inline constexpr TransposeItem kTransposeItems[] = {
    {cmd::kTransposeDown2, "2 Down",       "Not available", false},
    {cmd::kTransposeDown1, "1 Down",       "4 Down",        true},
    {cmd::kNoTranspose,    "No Transpose", "No Transpose",  true},
    {cmd::kTransposeUp1,   "1 Up",         "4 Up",          true},
    {cmd::kTransposeUp2,   "2 Up",         "Not available", false},
};
static_assert(std::size(kTransposeItems) == cmd::kTransposeUp2 - cmd::kTransposeDown2 + 1);

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
