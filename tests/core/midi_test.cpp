// MIDI words, the sounding-notes table, and the life of the output device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/commands.h"
#include "base/short_message.h"
#include "fake/fake_platform.h"
#include "fake/scenario.h"
#include "midi/devices.h"
#include "midi/midi_output.h"
#include "platform/events.h"

namespace {

using Triples = std::vector<std::string>;

class Midi : public ::testing::Test {
 protected:
  void SetUp() override { fake::reset(); }
  // A start as the program makes it: devices listed, the saved device opened.
  void start() { fake::startDevices(); }
  std::vector<int32_t> deviceMarks() { return fake::checkedIn(cmd::kMapperDevice, cmd::kFirstDevice + 20); }
};

TEST_F(Midi, WordsArePackedAsTheDeviceExpects) {
  EXPECT_EQ(packShortMessage(0x90, 0, 60, 100), 0x00643C90u);
  EXPECT_EQ(packShortMessage(0xC0, 2, 0, 0), 0x000000C2u);
  start();
  fake::clearLog();
  pitchBend(0, 8191);
  pitchBend(0, 0);
  pitchBend(0, 16383);
  EXPECT_EQ(fake::sentTriples(), (Triples{"E0 7F 3F", "E0 00 00", "E0 7F 7F"}));
  // Out-of-range operands (only a damaged settings file brings them) still make valid words.
  for (uint32_t w : {packShortMessage(0x90, 99, 300, -5), packShortMessage(0xC0, -1, 128, 0),
                     packShortMessage(0x00, 0, 0, INT32_MAX)}) {
    EXPECT_TRUE(isWellFormed(w)) << fake::triple(w);
  }
  EXPECT_EQ(packShortMessage(0x90, 99, 300, -5), 0x00007F9Fu);
}

TEST_F(Midi, SoundingNotesStopDoubleNoteOnsAndStrayNoteOffs) {
  start();
  fake::clearLog();
  noteOn(0, 5, 0, 100);
  noteOn(0, 5, 0, 90);  // held key, auto-repeat: nothing more
  noteOff(0, 5, 0);
  noteOff(0, 5, 0);     // not sounding: nothing
  EXPECT_EQ(fake::sentTriples(), (Triples{"90 3C 64", "80 3C 40"}));

  // Two keys clamped onto note 127: one note-on, the first release ends it, the second is silent.
  fake::clearLog();
  noteOn(0, 11, 1, 100);
  noteOn(0, 12, 5, 100);
  noteOff(0, 12, 5);
  noteOff(0, 11, 1);
  EXPECT_EQ(fake::sentTriples(), (Triples{"90 7F 64", "80 7F 40"}));
}

TEST_F(Midi, AllSoundingNotesOffUsesTheChannelOfNow) {
  start();
  allSoundingNotesOff();
  noteOn(0, 5, 0, 100);
  noteOn(0, 4, 0, 100);
  app.settings.channel = 3;
  fake::clearLog();
  allSoundingNotesOff();
  allSoundingNotesOff();
  EXPECT_EQ(fake::sentTriples(), (Triples{"83 30 40", "83 3C 40"}));
}

TEST_F(Midi, ResetSendsThirtyTwoControllersInOrderAndClearsTheTable) {
  start();
  noteOn(0, 5, 0, 100);
  fake::clearLog();
  dispatchCommand(cmd::kReset);
  Triples expected;
  for (int c = 0; c < 16; ++c) {
    char a[12], b[12];
    std::snprintf(a, sizeof a, "B%X 79 00", c);
    std::snprintf(b, sizeof b, "B%X 7B 00", c);
    expected.push_back(a);
    expected.push_back(b);
  }
  EXPECT_EQ(fake::sentTriples(), expected);
  EXPECT_FALSE(isSounding(60));
  // With the port closed only the table is cleared.
  dispatchCommand(cmd::kActive);
  noteOn(0, 5, 0, 100);
  fake::clearLog();
  resetAllChannels();
  EXPECT_TRUE(fake::world().sent.empty());
  EXPECT_FALSE(isSounding(60));
  EXPECT_EQ(fake::world().sendsOnClosedPort, 0);
}

TEST_F(Midi, DevicesMenuAndOpeningAtStart) {
  start();
  EXPECT_EQ(fake::world().deviceItems, (std::vector<int32_t>{1999, 2000, 2001}));
  EXPECT_EQ(fake::itemText(cmd::kMapperDevice), "MIDI Mapper");
  EXPECT_EQ(deviceMarks(), std::vector<int32_t>{cmd::kMapperDevice});
  EXPECT_TRUE(fake::isChecked(cmd::kActive));
  EXPECT_EQ(fake::sentTriples(), Triples{"C0 00 00"});

  // Closing by Active: sixteen all-notes-off, then the close; the table is kept.
  noteOn(0, 5, 0, 100);
  fake::clearLog();
  dispatchCommand(cmd::kActive);
  EXPECT_EQ(fake::sentTriples().size(), 16u);
  EXPECT_EQ(fake::sentTriples().back(), "BF 7B 00");
  EXPECT_EQ(fake::callsOf("midiOutClose").size(), 1u);
  EXPECT_FALSE(fake::isChecked(cmd::kActive));
  EXPECT_TRUE(isSounding(60));

  // A program or channel chosen while closed is stored and sent at the next opening.
  fake::clearLog();
  dispatchCommand(cmd::kFirstProgram + 40);
  dispatchCommand(cmd::kFirstChannel + 2);
  EXPECT_TRUE(fake::world().sent.empty());
  EXPECT_EQ(fake::checkedIn(cmd::kFirstChannel, cmd::kLastChannel), std::vector<int32_t>{cmd::kFirstChannel + 2});
  EXPECT_TRUE(fake::checkedIn(cmd::kFirstProgram, cmd::kLastProgram).empty());
  dispatchCommand(cmd::kActive);
  EXPECT_EQ(fake::sentTriples(), Triples{"C2 28 00"});
}

TEST_F(Midi, ChoosingTheOpenDeviceReopensItWithOneProgramChange) {
  start();
  fake::clearLog();
  dispatchCommand(cmd::kMapperDevice);
  EXPECT_EQ(fake::sentTriples(), Triples{"C0 00 00"});
  EXPECT_EQ(fake::callsOf("midiOutClose").size(), 1u);
  EXPECT_EQ(fake::callsOf("midiOutOpen"), std::vector<std::string>{"midiOutOpen -1"});
  EXPECT_TRUE(fake::isChecked(cmd::kActive));

  fake::clearLog();
  dispatchCommand(cmd::kFirstDevice + 1);
  EXPECT_EQ(deviceMarks(), std::vector<int32_t>{cmd::kFirstDevice + 1});
  EXPECT_EQ(app.midi.currentDeviceId, 1);
  EXPECT_EQ(fake::sentTriples(), Triples{"C0 00 00"});
}

TEST_F(Midi, AFailedOpeningKeepsTheDeviceAndItsMark) {
  fake::script().failingOpens = {1};
  start();
  fake::clearLog();
  dispatchCommand(cmd::kFirstDevice + 1);
  EXPECT_EQ(fake::callsOf("beep"), std::vector<std::string>{"beep warning"});
  EXPECT_EQ(fake::callsOf("messageBox"), std::vector<std::string>{"messageBox warning-ok Cannot open MIDI device"});
  EXPECT_FALSE(fake::isChecked(cmd::kActive));
  EXPECT_EQ(app.midi.deviceOpen, 0);
  EXPECT_EQ(deviceMarks(), std::vector<int32_t>{cmd::kFirstDevice + 1});
  // Active tries the same device again.
  fake::clearLog();
  dispatchCommand(cmd::kActive);
  EXPECT_EQ(fake::callsOf("midiOutOpen"), std::vector<std::string>{"midiOutOpen 1"});
}

TEST_F(Midi, WithoutAMapperOnlyNumberedDevicesAreCommands) {
  fake::script().mapperPresent = false;
  start();  // the saved -1 cannot be opened
  EXPECT_EQ(fake::world().deviceItems, (std::vector<int32_t>{2000, 2001}));
  EXPECT_TRUE(deviceMarks().empty());
  EXPECT_EQ(fake::callsOf("messageBox").size(), 1u);
  EXPECT_FALSE(isDeviceCommand(cmd::kMapperDevice));
  EXPECT_TRUE(isDeviceCommand(2000));
  EXPECT_TRUE(isDeviceCommand(2001));
  EXPECT_FALSE(isDeviceCommand(2002));
  EXPECT_FALSE(isDeviceCommand(INT32_MIN));
  fake::clearLog();
  dispatchCommand(cmd::kMapperDevice);
  EXPECT_EQ(fake::world().calls, std::vector<std::string>{"invalidateClient"});
  dispatchCommand(2000);
  EXPECT_TRUE(fake::isChecked(cmd::kActive));
}

TEST_F(Midi, ASavedDeviceThatIsGoneChecksNothingAndIsTriedAgain) {
  app.settings.savedDeviceId = 3;
  start();
  EXPECT_TRUE(deviceMarks().empty());
  EXPECT_EQ(fake::callsOf("messageBox").size(), 1u);
  fake::clearLog();
  dispatchCommand(cmd::kActive);
  EXPECT_EQ(fake::callsOf("midiOutOpen"), std::vector<std::string>{"midiOutOpen 3"});
}

}  // namespace
