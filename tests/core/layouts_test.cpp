// The musical structure of the three layouts, and the shared black-key names.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>

#include "base/app_state.h"
#include "fake/fake_platform.h"
#include "keyboard/key_layouts.h"

namespace {

int32_t noteOf(const KeySlot& s) { return s.octave * 12 + s.semitone; }
bool isKey(const KeySlot& s) { return s.octave >= 0; }

// The key drawn at (row, column), or nullptr.
const KeySlot* at(const KeyLayout& layout, int32_t row, int32_t column) {
  for (const KeySlot& s : layout) {
    if (s.row == row && s.column == column) return &s;
  }
  return nullptr;
}

class Layouts : public ::testing::Test {
 protected:
  void SetUp() override { fake::reset(); }
};

TEST_F(Layouts, EverySlotIsKeyGapOrVacantOnItsRowsGrid) {
  for (int32_t id : {kPiano, kAccordion, kChromatic}) {
    std::set<std::pair<int32_t, int32_t>> places;
    for (int32_t scan = 0; scan < kLayoutSlots; ++scan) {
      const KeySlot& s = layoutTable(id)[scan];
      if (s.row == -1) {
        EXPECT_EQ(s.octave, -1);
        EXPECT_EQ(s.label, nullptr) << "layout " << id << " scan " << scan;
        continue;
      }
      EXPECT_EQ((s.column - s.row) % 2, 0) << "row r starts at column r and steps by 2";
      EXPECT_TRUE(places.insert({s.row, s.column}).second) << "two keys on one place";
      EXPECT_EQ(s.semitone == -1, s.octave == -1);
      ASSERT_NE(s.label, nullptr);
      if (isKey(s)) EXPECT_GT(std::string(s.label).size(), 0u);
      else EXPECT_STREQ(s.label, "");
    }
    for (int32_t vacant : {0, 1, 14, 15, 28, 29, 41, 42}) EXPECT_EQ(layoutTable(id)[vacant].row, -1);
  }
}

// A PC keyboard's four typing rows report scan codes 2.., 16.., 30.. and 44.. from the left, each
// row half a key further right than the one above; backslash (43) sits right of the apostrophe
// (40), where 41 would be. Every layout draws a key where it lies.
TEST_F(Layouts, EachKeyIsDrawnWhereItLiesOnATypingKeyboard) {
  const int32_t firstScanOfRow[] = {2, 16, 30, 44};
  for (int32_t id : {kPiano, kAccordion, kChromatic}) {
    for (int32_t scan = 0; scan < kLayoutSlots; ++scan) {
      const KeySlot& s = layoutTable(id)[scan];
      if (s.row == -1) continue;
      ASSERT_GE(s.row, 0);
      ASSERT_LE(s.row, 3);
      const int32_t placeInRow = (scan == 43 ? 41 : scan) - firstScanOfRow[s.row];
      EXPECT_EQ(s.column, s.row + 2 * placeInRow) << "layout " << id << " scan " << scan;
    }
  }
}

TEST_F(Layouts, PianoManualsAreAnOctaveApartWithGapsWhereAPianoHasNoBlackKey) {
  const KeyLayout& piano = layoutTable(kPiano);
  EXPECT_EQ(noteOf(piano[16]), 55);  // Q = G
  EXPECT_EQ(noteOf(piano[19]), 60);  // R = middle C
  EXPECT_EQ(noteOf(piano[53]), 60);  // slash = middle C
  int32_t pairs = 0;
  for (int32_t column = 0; column <= 24; ++column) {
    const KeySlot* upperWhite = at(piano, 1, column);
    const KeySlot* lowerWhite = at(piano, 3, column);
    if (upperWhite && lowerWhite) {
      EXPECT_EQ(noteOf(*upperWhite) - noteOf(*lowerWhite), 12) << "column " << column;
      ++pairs;
    }
    const KeySlot* upperBlack = at(piano, 0, column);
    const KeySlot* lowerBlack = at(piano, 2, column);
    if (upperBlack && lowerBlack && isKey(*upperBlack) && isKey(*lowerBlack)) {
      EXPECT_EQ(noteOf(*upperBlack) - noteOf(*lowerBlack), 12) << "column " << column;
    }
  }
  EXPECT_GE(pairs, 9);
  // A black key sits between two white keys a whole tone apart, a semitone above the left one;
  // a gap between two white keys a semitone apart (B-C, E-F).
  for (int32_t blackRow : {0, 2}) {
    for (int32_t column = blackRow; column <= 24; column += 2) {
      const KeySlot* black = at(piano, blackRow, column);
      const KeySlot* left = at(piano, blackRow + 1, column - 1);
      const KeySlot* right = at(piano, blackRow + 1, column + 1);
      if (!black || !left || !right) continue;
      int32_t step = noteOf(*right) - noteOf(*left);
      if (isKey(*black)) {
        EXPECT_EQ(step, 2);
        EXPECT_EQ(noteOf(*black), noteOf(*left) + 1);
      } else {
        EXPECT_EQ(step, 1) << "gap at row " << blackRow << " column " << column;
      }
    }
  }
  int32_t lowest = 127, highest = 0;
  for (const KeySlot& s : piano) {
    if (!isKey(s)) continue;
    lowest = std::min(lowest, noteOf(s));
    highest = std::max(highest, noteOf(s));
  }
  EXPECT_EQ(lowest, 44);
  EXPECT_EQ(highest, 74);
}

TEST_F(Layouts, AccordionRowsRiseByMinorThirdsAndDiagonalsByTones) {
  const KeyLayout& accordion = layoutTable(kAccordion);
  std::set<int32_t> topRows;
  for (const KeySlot& s : accordion) {
    if (!isKey(s)) continue;
    if (const KeySlot* next = at(accordion, s.row, s.column + 2)) {
      EXPECT_EQ(noteOf(*next) - noteOf(s), 3);
    }
    if (s.row < 2) {
      if (const KeySlot* downRight = at(accordion, s.row + 1, s.column + 1)) {
        EXPECT_EQ(noteOf(*downRight) - noteOf(s), 2);
      }
      if (const KeySlot* downLeft = at(accordion, s.row + 1, s.column - 1)) {
        EXPECT_EQ(noteOf(*downLeft) - noteOf(s), -1);
      }
    }
    if (s.row == 3) {
      const KeySlot* above = at(accordion, 0, s.column + 1);
      ASSERT_NE(above, nullptr);
      EXPECT_EQ(noteOf(s), noteOf(*above)) << "row 3 repeats row 0 half a key left";
    }
    if (s.row <= 2) topRows.insert(noteOf(s));
  }
  for (int32_t note = 44; note <= 77; ++note) EXPECT_EQ(topRows.count(note), 1u) << note;
  EXPECT_EQ(topRows.count(42), 1u);
  EXPECT_EQ(topRows.count(79), 1u);
  EXPECT_EQ(noteOf(accordion[8]), 60);   // 7
  EXPECT_EQ(noteOf(accordion[48]), 60);  // B
}

TEST_F(Layouts, ChromaticRowsAreOctavesAndNoNoteRepeats) {
  const KeyLayout& chromatic = layoutTable(kChromatic);
  std::set<int32_t> notes;
  for (const KeySlot& s : chromatic) {
    if (!isKey(s)) continue;
    EXPECT_EQ(s.semitone, (s.column - s.row) / 2) << "C to B from the left of each row";
    EXPECT_EQ(s.octave, 4 + s.row);
    EXPECT_TRUE(notes.insert(noteOf(s)).second);
  }
  EXPECT_EQ(noteOf(chromatic[16]), 60);
  EXPECT_EQ(noteOf(chromatic[53]), 93);
}

TEST_F(Layouts, CurrentLayoutFollowsTheSettingAndStrayIdsGiveAccordion) {
  app.settings.layout = kChromatic;
  EXPECT_EQ(&currentLayout(), &layoutTable(kChromatic));
  for (int32_t stray : {3, -1, 1000, INT32_MIN}) {
    app.settings.layout = stray;
    EXPECT_EQ(&currentLayout(), &layoutTable(kAccordion));
  }
}

TEST_F(Layouts, BlackKeyNamesChangeInEveryLayoutAtOnce) {
  std::map<std::string, std::string> flats{{"C#", "Db"}, {"D#", "Eb"}, {"F#", "Gb"}, {"G#", "Ab"}, {"A#", "Bb"}};
  std::map<const KeySlot*, std::string> sharpLabels;
  for (int32_t id : {kPiano, kAccordion, kChromatic}) {
    for (const KeySlot& s : layoutTable(id)) {
      if (s.label) sharpLabels[&s] = s.label;
    }
  }
  relabelBlackKeys(-7);  // any nonzero value means flats
  relabelBlackKeys(1);   // and doing it twice changes nothing
  for (const auto& [slot, sharp] : sharpLabels) {
    auto flat = flats.find(sharp);
    EXPECT_EQ(std::string(slot->label), flat == flats.end() ? sharp : flat->second);
  }
  relabelBlackKeys(0);
  for (const auto& [slot, sharp] : sharpLabels) EXPECT_EQ(std::string(slot->label), sharp);
}

}  // namespace
