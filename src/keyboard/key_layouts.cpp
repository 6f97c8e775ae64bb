#include "keyboard/key_layouts.h"

#include <cstring>
#include <iterator>
#include <type_traits>

#include "base/app_state.h"

namespace {

enum BlackName : int32_t { kCSharp, kDSharp, kFSharp, kGSharp, kASharp, kBlackNameCount };

// The sharps are the texts the state record starts with.
constexpr KeyLabels kSharps{};
constexpr const char* kFlatNames[kBlackNameCount] = {"Db", "Eb", "Gb", "Ab", "Bb"};

// The one modifiable text per black semitone, in the state record: every black slot points there.
constexpr auto& black = app.labels.black;
static_assert(std::extent_v<decltype(KeyLabels::black)> == kBlackNameCount);

// A gap: a place in a black-key row where a piano has no black key.
constexpr const char* kGap = "";

// Rows are scan codes 0..53; the typing key is that of a US keyboard, a reader's aid only.
constexpr KeySlot kPianoSlots[] = {
    // octave semitone row column label        scan  typing key
    { -1,  -1,  -1,  -1, nullptr},                 //  0 (none)
    { -1,  -1,  -1,  -1, nullptr},                 //  1 Esc
    { -1,  -1,   0,   0, kGap},                    //  2 1
    {  4,   8,   0,   2, black[kGSharp]},          //  3 2
    {  4,  10,   0,   4, black[kASharp]},          //  4 3
    { -1,  -1,   0,   6, kGap},                    //  5 4
    {  5,   1,   0,   8, black[kCSharp]},          //  6 5
    {  5,   3,   0,  10, black[kDSharp]},          //  7 6
    { -1,  -1,   0,  12, kGap},                    //  8 7
    {  5,   6,   0,  14, black[kFSharp]},          //  9 8
    {  5,   8,   0,  16, black[kGSharp]},          // 10 9
    {  5,  10,   0,  18, black[kASharp]},          // 11 0
    { -1,  -1,   0,  20, kGap},                    // 12 minus
    {  6,   1,   0,  22, black[kCSharp]},          // 13 equals
    { -1,  -1,  -1,  -1, nullptr},                 // 14 Backspace
    { -1,  -1,  -1,  -1, nullptr},                 // 15 Tab
    {  4,   7,   1,   1, "G"},                     // 16 Q
    {  4,   9,   1,   3, "A"},                     // 17 W
    {  4,  11,   1,   5, "B"},                     // 18 E
    {  5,   0,   1,   7, "C"},                     // 19 R
    {  5,   2,   1,   9, "D"},                     // 20 T
    {  5,   4,   1,  11, "E"},                     // 21 Y
    {  5,   5,   1,  13, "F"},                     // 22 U
    {  5,   7,   1,  15, "G"},                     // 23 I
    {  5,   9,   1,  17, "A"},                     // 24 O
    {  5,  11,   1,  19, "B"},                     // 25 P
    {  6,   0,   1,  21, "C"},                     // 26 left bracket
    {  6,   2,   1,  23, "D"},                     // 27 right bracket
    { -1,  -1,  -1,  -1, nullptr},                 // 28 Enter
    { -1,  -1,  -1,  -1, nullptr},                 // 29 Ctrl
    {  3,   8,   2,   2, black[kGSharp]},          // 30 A
    {  3,  10,   2,   4, black[kASharp]},          // 31 S
    { -1,  -1,   2,   6, kGap},                    // 32 D
    {  4,   1,   2,   8, black[kCSharp]},          // 33 F
    {  4,   3,   2,  10, black[kDSharp]},          // 34 G
    { -1,  -1,   2,  12, kGap},                    // 35 H
    {  4,   6,   2,  14, black[kFSharp]},          // 36 J
    {  4,   8,   2,  16, black[kGSharp]},          // 37 K
    {  4,  10,   2,  18, black[kASharp]},          // 38 L
    { -1,  -1,   2,  20, kGap},                    // 39 semicolon
    {  5,   1,   2,  22, black[kCSharp]},          // 40 apostrophe
    { -1,  -1,  -1,  -1, nullptr},                 // 41 backquote
    { -1,  -1,  -1,  -1, nullptr},                 // 42 left Shift
    {  5,   3,   2,  24, black[kDSharp]},          // 43 backslash
    {  3,   9,   3,   3, "A"},                     // 44 Z
    {  3,  11,   3,   5, "B"},                     // 45 X
    {  4,   0,   3,   7, "C"},                     // 46 C
    {  4,   2,   3,   9, "D"},                     // 47 V
    {  4,   4,   3,  11, "E"},                     // 48 B
    {  4,   5,   3,  13, "F"},                     // 49 N
    {  4,   7,   3,  15, "G"},                     // 50 M
    {  4,   9,   3,  17, "A"},                     // 51 comma
    {  4,  11,   3,  19, "B"},                     // 52 period
    {  5,   0,   3,  21, "C"},                     // 53 slash
};

constexpr KeySlot kAccordionSlots[] = {
    // octave semitone row column label        scan  typing key
    { -1,  -1,  -1,  -1, nullptr},                 //  0 (none)
    { -1,  -1,  -1,  -1, nullptr},                 //  1 Esc
    {  3,   6,   0,   0, black[kFSharp]},          //  2 1
    {  3,   9,   0,   2, "A"},                     //  3 2
    {  4,   0,   0,   4, "C"},                     //  4 3
    {  4,   3,   0,   6, black[kDSharp]},          //  5 4
    {  4,   6,   0,   8, black[kFSharp]},          //  6 5
    {  4,   9,   0,  10, "A"},                     //  7 6
    {  5,   0,   0,  12, "C"},                     //  8 7
    {  5,   3,   0,  14, black[kDSharp]},          //  9 8
    {  5,   6,   0,  16, black[kFSharp]},          // 10 9
    {  5,   9,   0,  18, "A"},                     // 11 0
    {  6,   0,   0,  20, "C"},                     // 12 minus
    {  6,   3,   0,  22, black[kDSharp]},          // 13 equals
    { -1,  -1,  -1,  -1, nullptr},                 // 14 Backspace
    { -1,  -1,  -1,  -1, nullptr},                 // 15 Tab
    {  3,   8,   1,   1, black[kGSharp]},          // 16 Q
    {  3,  11,   1,   3, "B"},                     // 17 W
    {  4,   2,   1,   5, "D"},                     // 18 E
    {  4,   5,   1,   7, "F"},                     // 19 R
    {  4,   8,   1,   9, black[kGSharp]},          // 20 T
    {  4,  11,   1,  11, "B"},                     // 21 Y
    {  5,   2,   1,  13, "D"},                     // 22 U
    {  5,   5,   1,  15, "F"},                     // 23 I
    {  5,   8,   1,  17, black[kGSharp]},          // 24 O
    {  5,  11,   1,  19, "B"},                     // 25 P
    {  6,   2,   1,  21, "D"},                     // 26 left bracket
    {  6,   5,   1,  23, "F"},                     // 27 right bracket
    { -1,  -1,  -1,  -1, nullptr},                 // 28 Enter
    { -1,  -1,  -1,  -1, nullptr},                 // 29 Ctrl
    {  3,  10,   2,   2, black[kASharp]},          // 30 A
    {  4,   1,   2,   4, black[kCSharp]},          // 31 S
    {  4,   4,   2,   6, "E"},                     // 32 D
    {  4,   7,   2,   8, "G"},                     // 33 F
    {  4,  10,   2,  10, black[kASharp]},          // 34 G
    {  5,   1,   2,  12, black[kCSharp]},          // 35 H
    {  5,   4,   2,  14, "E"},                     // 36 J
    {  5,   7,   2,  16, "G"},                     // 37 K
    {  5,  10,   2,  18, black[kASharp]},          // 38 L
    {  6,   1,   2,  20, black[kCSharp]},          // 39 semicolon
    {  6,   4,   2,  22, "E"},                     // 40 apostrophe
    { -1,  -1,  -1,  -1, nullptr},                 // 41 backquote
    { -1,  -1,  -1,  -1, nullptr},                 // 42 left Shift
    {  6,   7,   2,  24, "G"},                     // 43 backslash
    {  4,   0,   3,   3, "C"},                     // 44 Z
    {  4,   3,   3,   5, black[kDSharp]},          // 45 X
    {  4,   6,   3,   7, black[kFSharp]},          // 46 C
    {  4,   9,   3,   9, "A"},                     // 47 V
    {  5,   0,   3,  11, "C"},                     // 48 B
    {  5,   3,   3,  13, black[kDSharp]},          // 49 N
    {  5,   6,   3,  15, black[kFSharp]},          // 50 M
    {  5,   9,   3,  17, "A"},                     // 51 comma
    {  6,   0,   3,  19, "C"},                     // 52 period
    {  6,   3,   3,  21, black[kDSharp]},          // 53 slash
};

constexpr KeySlot kChromaticSlots[] = {
    // octave semitone row column label        scan  typing key
    { -1,  -1,  -1,  -1, nullptr},                 //  0 (none)
    { -1,  -1,  -1,  -1, nullptr},                 //  1 Esc
    {  4,   0,   0,   0, "C"},                     //  2 1
    {  4,   1,   0,   2, black[kCSharp]},          //  3 2
    {  4,   2,   0,   4, "D"},                     //  4 3
    {  4,   3,   0,   6, black[kDSharp]},          //  5 4
    {  4,   4,   0,   8, "E"},                     //  6 5
    {  4,   5,   0,  10, "F"},                     //  7 6
    {  4,   6,   0,  12, black[kFSharp]},          //  8 7
    {  4,   7,   0,  14, "G"},                     //  9 8
    {  4,   8,   0,  16, black[kGSharp]},          // 10 9
    {  4,   9,   0,  18, "A"},                     // 11 0
    {  4,  10,   0,  20, black[kASharp]},          // 12 minus
    {  4,  11,   0,  22, "B"},                     // 13 equals
    { -1,  -1,  -1,  -1, nullptr},                 // 14 Backspace
    { -1,  -1,  -1,  -1, nullptr},                 // 15 Tab
    {  5,   0,   1,   1, "C"},                     // 16 Q
    {  5,   1,   1,   3, black[kCSharp]},          // 17 W
    {  5,   2,   1,   5, "D"},                     // 18 E
    {  5,   3,   1,   7, black[kDSharp]},          // 19 R
    {  5,   4,   1,   9, "E"},                     // 20 T
    {  5,   5,   1,  11, "F"},                     // 21 Y
    {  5,   6,   1,  13, black[kFSharp]},          // 22 U
    {  5,   7,   1,  15, "G"},                     // 23 I
    {  5,   8,   1,  17, black[kGSharp]},          // 24 O
    {  5,   9,   1,  19, "A"},                     // 25 P
    {  5,  10,   1,  21, black[kASharp]},          // 26 left bracket
    {  5,  11,   1,  23, "B"},                     // 27 right bracket
    { -1,  -1,  -1,  -1, nullptr},                 // 28 Enter
    { -1,  -1,  -1,  -1, nullptr},                 // 29 Ctrl
    {  6,   0,   2,   2, "C"},                     // 30 A
    {  6,   1,   2,   4, black[kCSharp]},          // 31 S
    {  6,   2,   2,   6, "D"},                     // 32 D
    {  6,   3,   2,   8, black[kDSharp]},          // 33 F
    {  6,   4,   2,  10, "E"},                     // 34 G
    {  6,   5,   2,  12, "F"},                     // 35 H
    {  6,   6,   2,  14, black[kFSharp]},          // 36 J
    {  6,   7,   2,  16, "G"},                     // 37 K
    {  6,   8,   2,  18, black[kGSharp]},          // 38 L
    {  6,   9,   2,  20, "A"},                     // 39 semicolon
    {  6,  10,   2,  22, black[kASharp]},          // 40 apostrophe
    { -1,  -1,  -1,  -1, nullptr},                 // 41 backquote
    { -1,  -1,  -1,  -1, nullptr},                 // 42 left Shift
    {  6,  11,   2,  24, "B"},                     // 43 backslash
    {  7,   0,   3,   3, "C"},                     // 44 Z
    {  7,   1,   3,   5, black[kCSharp]},          // 45 X
    {  7,   2,   3,   7, "D"},                     // 46 C
    {  7,   3,   3,   9, black[kDSharp]},          // 47 V
    {  7,   4,   3,  11, "E"},                     // 48 B
    {  7,   5,   3,  13, "F"},                     // 49 N
    {  7,   6,   3,  15, black[kFSharp]},          // 50 M
    {  7,   7,   3,  17, "G"},                     // 51 comma
    {  7,   8,   3,  19, black[kGSharp]},          // 52 period
    {  7,   9,   3,  21, "A"},                     // 53 slash
};
static_assert(std::size(kPianoSlots) == kLayoutSlots && std::size(kAccordionSlots) == kLayoutSlots &&
              std::size(kChromaticSlots) == kLayoutSlots);

}  // namespace

const KeyLayout& layoutTable(int32_t layoutId) {
  // Any id but Piano and Chromatic is the Accordion, as the keyboard is painted.
  if (layoutId == kPiano) return kPianoSlots;
  if (layoutId == kChromatic) return kChromaticSlots;
  return kAccordionSlots;
}

const KeyLayout& currentLayout() { return layoutTable(app.settings.layout); }

int32_t octaveStep(const KeyLayout& layout) {
  // Chromatic rows are an octave apart already: one step there is four octaves.
  return &layout == &kChromaticSlots ? 4 : 1;
}

void relabelBlackKeys(int32_t showFlats) {
  for (int32_t i = 0; i < kBlackNameCount; ++i) {
    std::memcpy(black[i], showFlats != 0 ? kFlatNames[i] : kSharps.black[i], 3);
  }
}
