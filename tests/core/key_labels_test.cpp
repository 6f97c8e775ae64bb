// What is written on the keys: the semitone's name, one shared text per black semitone.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "fake/fake_platform.h"
#include "keyboard/key_layouts.h"

namespace {

const char* const kSharps[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
const char* const kFlats[12] = {"C", "Db", "D", "Eb", "E", "F", "Gb", "G", "Ab", "A", "Bb", "B"};

void expectEveryKeyNamedBy(const char* const (&names)[12]) {
  for (int32_t id : {kPiano, kAccordion, kChromatic}) {
    for (int32_t scan = 0; scan < kLayoutSlots; ++scan) {
      const KeySlot& s = layoutTable(id)[scan];
      if (s.octave < 0) continue;
      ASSERT_GE(s.semitone, 0);
      ASSERT_LE(s.semitone, 11);
      EXPECT_STREQ(s.label, names[s.semitone]) << "layout " << id << " scan " << scan;
    }
  }
}

TEST(KeyLabels, EveryKeyShowsItsSemitoneInTheWantedSpelling) {
  fake::reset();
  expectEveryKeyNamedBy(kSharps);
  relabelBlackKeys(INT32_MIN);
  expectEveryKeyNamedBy(kFlats);
  relabelBlackKeys(0);
  expectEveryKeyNamedBy(kSharps);
  // Gaps stay empty and vacant slots stay without a label whatever the spelling.
  relabelBlackKeys(1);
  for (int32_t scan : {2, 5, 8, 12, 32, 35, 39}) EXPECT_STREQ(layoutTable(kPiano)[scan].label, "") << scan;
  for (int32_t scan : {0, 1, 14, 15, 28, 29, 41, 42}) {
    for (int32_t id : {kPiano, kAccordion, kChromatic}) EXPECT_EQ(layoutTable(id)[scan].label, nullptr);
  }
  fake::reset();
}

TEST(KeyLabels, EachBlackSemitoneHasOneTextSharedByAllLayouts) {
  fake::reset();
  std::map<int32_t, const char*> textOf;
  int32_t blackSlots = 0;
  for (int32_t id : {kPiano, kAccordion, kChromatic}) {
    for (const KeySlot& s : layoutTable(id)) {
      if (s.octave < 0 || std::string(kSharps[s.semitone]).size() == 1) continue;
      ++blackSlots;
      auto [it, inserted] = textOf.emplace(s.semitone, s.label);
      if (!inserted) {
        EXPECT_EQ(it->second, s.label) << "semitone " << s.semitone;
      }
    }
  }
  EXPECT_EQ(textOf.size(), 5u);
  EXPECT_GT(blackSlots, 40);
}

}  // namespace
