// The three key layouts: for each of the first 54 scan codes, the note a key plays, where it is
// drawn and what is written on it.
#pragma once

#include <cstdint>

constexpr int32_t kLayoutSlots = 54;

enum LayoutId : int32_t { kPiano = 0, kAccordion = 1, kChromatic = 2 };

// A key has octave >= 0; a gap (drawn as nothing) has octave -1 with a grid place and an empty
// label; a vacant slot has octave, row and column -1 and no label (nullptr).
struct KeySlot {
  int32_t octave;    // -1: plays nothing
  int32_t semitone;  // 0..11 C..B; -1 exactly when octave is -1
  int32_t row;       // 0..3 from the top; -1: not drawn
  int32_t column;    // half key widths from the left edge, 0..24; -1: not drawn
  const char* label; // semitone name, "" for a gap, nullptr for a vacant slot
};

using KeyLayout = KeySlot[kLayoutSlots];

const KeyLayout& layoutTable(int32_t layoutId);
// The layout of app.settings.layout; any id other than Piano or Chromatic gives Accordion, so
// what is heard matches what is painted.
const KeyLayout& currentLayout();
// Octaves in one step of the layout: what Shift adds and Ctrl takes away, and what one
// Transpose item moves. 4 in Chromatic, 1 in Piano and Accordion.
int32_t octaveStep(const KeyLayout& layout);

// Sets the five shared black-key names to sharps (showFlats == 0) or flats, reaching every
// layout at once. Idempotent.
void relabelBlackKeys(int32_t showFlats);
