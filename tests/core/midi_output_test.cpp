// MIDI words and note numbers for any operands, the sounding-notes table, and what a closed port
// does with a message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/short_message.h"
#include "fake/fake_platform.h"
#include "fake/scenario.h"
#include "midi/midi_output.h"

namespace {

using Lines = std::vector<std::string>;

class MidiOutput : public ::testing::Test {
 protected:
  void SetUp() override { fake::reset(); }
  void openPort() {
    fake::openPortDirectly(0);
    ASSERT_EQ(app.midi.deviceOpen, 1);
    fake::clearLog();
  }
};

TEST_F(MidiOutput, PackedFieldsReadBackAndStrayOperandsStayInTheirByte) {
  uint32_t word = packShortMessage(midi_status::kNoteOn, 9, 60, 100);
  EXPECT_EQ(word, 0x00643C99u);
  EXPECT_EQ(statusOf(word), 0x90);
  EXPECT_EQ(channelOf(word), 9);
  EXPECT_EQ(data1Of(word), 60);
  EXPECT_EQ(data2Of(word), 100);
  // A channel of 16 must not turn a note-on into a note-off's neighbour kind (0x90 | 16 = 0xA0).
  EXPECT_EQ(statusOf(packShortMessage(0x90, 16, 0, 0)), 0x90);
  EXPECT_EQ(packShortMessage(0x80, 0, 128, 64), 0x00407F80u);

  std::mt19937 random(7);
  for (int i = 0; i < 20000; ++i) {
    int32_t status = static_cast<int32_t>(random());
    int32_t channel = static_cast<int32_t>(random());
    int32_t data1 = static_cast<int32_t>(random());
    int32_t data2 = static_cast<int32_t>(random());
    uint32_t w = packShortMessage(status, channel, data1, data2);
    ASSERT_TRUE(isWellFormed(w)) << std::hex << status << " " << channel << " " << data1 << " " << data2;
    ASSERT_EQ(channelOf(w), std::clamp(channel, 0, 15));
    ASSERT_EQ(data1Of(w), std::clamp(data1, 0, 127));
    ASSERT_EQ(data2Of(w), std::clamp(data2, 0, 127));
  }
}

// A damaged stored velocity never turns a key press into what every receiver takes for a release.
TEST_F(MidiOutput, ANoteOnAlwaysHasAVelocityOfOneOrMore) {
  openPort();
  noteOn(0, 5, 0, 0);
  noteOn(0, 5, 1, -5);
  noteOn(0, 5, 2, 300);
  EXPECT_EQ(fake::sentTriples(), (Lines{"90 3C 01", "90 3D 01", "90 3E 7F"}));
}

TEST_F(MidiOutput, NoteNumberIsTheWholeSumClamped) {
  std::mt19937 random(11);
  for (int i = 0; i < 20000; ++i) {
    int32_t octave = static_cast<int32_t>(random());
    if (i % 2 == 0) octave = static_cast<int32_t>(random() % 25) - 12;
    int32_t semitone = static_cast<int32_t>(random() % 12);
    int64_t sum = int64_t{octave} * 12 + semitone;
    ASSERT_EQ(noteNumber(octave, semitone), static_cast<int32_t>(std::clamp<int64_t>(sum, 0, 127)));
  }
  // The edges of the range are reached exactly; the limit is not applied to the octave alone.
  EXPECT_EQ(noteNumber(10, 7), 127);
  EXPECT_EQ(noteNumber(10, 8), 127);
  EXPECT_EQ(noteNumber(0, 0), 0);
  EXPECT_EQ(noteNumber(-1, 11), 0);
  EXPECT_EQ(noteNumber(-1, 12), 0);
  EXPECT_EQ(noteNumber(0, -1), 0);
}

TEST_F(MidiOutput, AClosedPortDropsMessagesWithoutAskingThePlatform) {
  sendShortMessage(0x90, 0, 60, 100);
  pitchBend(0, 8191);
  modulationWheel(0, 64);
  resetAllChannels();
  EXPECT_TRUE(fake::callsOf("midiOutSend").empty());
  // The table keeps its rules while closed: a second note-on is still suppressed afterwards.
  noteOn(0, 5, 0, 100);
  openPort();
  noteOn(0, 5, 0, 100);
  EXPECT_TRUE(fake::world().sent.empty());
  noteOff(0, 5, 0);
  EXPECT_EQ(fake::sentTriples(), Lines{"80 3C 40"});
}

TEST_F(MidiOutput, ControllersAndBendsGoOutAsGiven) {
  openPort();
  modulationWheel(3, 127);
  controlChange(0, midi_controller::kSustain, 127);
  controlChange(0, midi_controller::kSustain, 0);
  pitchBend(15, 8192);
  pitchBend(1, 128);
  pitchBend(0, 8191);
  pitchBend(0, 0);
  pitchBend(0, 16383);
  EXPECT_EQ(fake::sentTriples(), (Lines{"B3 01 7F", "B0 40 7F", "B0 40 00", "EF 00 40", "E1 00 01", "E0 7F 3F",
                                        "E0 00 00", "E0 7F 7F"}));
}

TEST_F(MidiOutput, SoundingNotesStopDoubleNoteOnsAndStrayNoteOffs) {
  openPort();
  noteOn(0, 5, 0, 100);
  noteOn(0, 5, 0, 90);  // held key, auto-repeat: nothing more
  noteOff(0, 5, 0);
  noteOff(0, 5, 0);     // not sounding: nothing
  EXPECT_EQ(fake::sentTriples(), (Lines{"90 3C 64", "80 3C 40"}));

  // Two keys clamped onto note 127: one note-on, the first release ends it, the second is silent.
  fake::clearLog();
  noteOn(0, 11, 1, 100);
  noteOn(0, 12, 5, 100);
  noteOff(0, 12, 5);
  noteOff(0, 11, 1);
  EXPECT_EQ(fake::sentTriples(), (Lines{"90 7F 64", "80 7F 40"}));
}

TEST_F(MidiOutput, AllSoundingNotesOffGoesUpwardOnTheChannelOfNowAndClearsEverything) {
  openPort();
  for (int32_t octave : {10, 0, 5}) noteOn(0, octave, 7, 90);
  app.settings.channel = 3;  // the table does not remember channels
  fake::clearLog();
  allSoundingNotesOff();
  EXPECT_EQ(fake::sentTriples(), (Lines{"83 07 40", "83 43 40", "83 7F 40"}));
  for (int32_t note = 0; note < 128; ++note) ASSERT_FALSE(isSounding(note));
  EXPECT_FALSE(isSounding(-1));
  EXPECT_FALSE(isSounding(128));
  noteOn(0, 5, 0, 90);
  clearSoundingNotes();
  fake::clearLog();
  noteOff(0, 5, 0);
  EXPECT_TRUE(fake::world().sent.empty()) << "a cleared table has nothing to switch off";
}

}  // namespace
