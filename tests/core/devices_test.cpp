// The Devices menu and the order of what the device commands do, step by step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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

using Lines = std::vector<std::string>;

// The recorded calls without the drawing and bookkeeping noise (and the name queries), to read
// an order of events.
Lines deviceCalls() {
  Lines out;
  for (const std::string& c : fake::world().calls) {
    if (c.rfind("midiOutProductName", 0) == 0) continue;
    for (const char* op : {"midiOut", "menuCheck", "beep", "messageBox", "invalidateClient"}) {
      if (c.rfind(op, 0) == 0) {
        out.push_back(c);
        break;
      }
    }
  }
  return out;
}

class Devices : public ::testing::Test {
 protected:
  void SetUp() override { fake::reset(); }
  void start() { fake::startDevices(); }
};

TEST_F(Devices, ItemsKeepTheirNumberWhenANameCannotBeRead) {
  // The fake has no name for ids beyond its device count: a platform that counts three but can
  // name only two.
  fake::script().deviceCount = 2;
  fillDevicesMenu(3);
  EXPECT_EQ(fake::world().deviceItems, (std::vector<int32_t>{1999, 2000, 2001, 2002}));
  EXPECT_EQ(fake::itemText(2001), "Synth 1");
  EXPECT_EQ(fake::itemText(2002), "MIDI device 3");
  EXPECT_EQ(fake::itemText(cmd::kMapperDevice), "MIDI Mapper") << "a mapper without a name";
  EXPECT_EQ(app.midi.mapperItemPresent, 1);
  EXPECT_TRUE(fake::isChecked(cmd::kMapperDevice));
  // No mapper: nothing for 1999, no check mark anywhere, and 1999 is not a device command.
  fake::reset();
  fake::script().mapperPresent = false;
  fillDevicesMenu(2);
  EXPECT_EQ(fake::world().deviceItems, (std::vector<int32_t>{2000, 2001}));
  EXPECT_EQ(app.midi.mapperItemPresent, 0);
  EXPECT_TRUE(fake::checkedIn(cmd::kMapperDevice, cmd::kFirstDevice + 10).empty());
  fake::clearLog();
  dispatchCommand(cmd::kMapperDevice);
  EXPECT_EQ(fake::world().calls, Lines{"invalidateClient"});
}

TEST_F(Devices, DeviceCommandRangeIsExactAtBothEnds) {
  app.midi.deviceCount = 3;
  app.midi.mapperItemPresent = 1;
  for (int32_t id : {1999, 2000, 2002}) EXPECT_TRUE(isDeviceCommand(id)) << id;
  for (int32_t id : {1998, 2003, 0, -1, INT32_MIN, INT32_MAX, 600}) EXPECT_FALSE(isDeviceCommand(id)) << id;
  app.midi.mapperItemPresent = 0;
  EXPECT_FALSE(isDeviceCommand(1999));
  EXPECT_TRUE(isDeviceCommand(2000));
  app.midi.deviceCount = 0;
  EXPECT_FALSE(isDeviceCommand(2000));
  app.midi.deviceCount = -5;  // a platform's nonsense must not turn every id into a device
  EXPECT_FALSE(isDeviceCommand(2000));
  EXPECT_FALSE(isDeviceCommand(cmd::kAbout));
}

TEST_F(Devices, OpeningAtStartFollowsOpenAtStart) {
  app.settings.savedDeviceId = 1;
  app.settings.openAtStart = 0;
  app.settings.channel = 4;
  app.settings.program = 9;
  start();
  EXPECT_EQ(app.midi.currentDeviceId, 1);
  EXPECT_EQ(fake::checkedIn(cmd::kMapperDevice, cmd::kFirstDevice + 10), std::vector<int32_t>{2001});
  EXPECT_TRUE(fake::callsOf("midiOutOpen").empty());
  EXPECT_FALSE(fake::isChecked(cmd::kActive));
  EXPECT_EQ(app.midi.deviceOpen, 0);

  // Any nonzero value opens; the program change is the first word on the new port.
  fake::reset();
  app.settings.savedDeviceId = 1;
  app.settings.openAtStart = -7;
  app.settings.channel = 4;
  app.settings.program = 9;
  start();
  EXPECT_EQ(fake::callsOf("midiOutOpen"), Lines{"midiOutOpen 1"});
  EXPECT_EQ(fake::sentTriples(), Lines{"C4 09 00"});
  EXPECT_TRUE(fake::isChecked(cmd::kActive));
  EXPECT_EQ(app.midi.deviceOpen, 1);
}

TEST_F(Devices, OpenFailureIsReportedInOrderAndChangesNothingElse) {
  fake::script().failingOpens = {-1};
  app.midi.deviceCount = 2;
  fillDevicesMenu(2);
  fake::clearLog();
  openDeviceAtStart();
  EXPECT_EQ(deviceCalls(), (Lines{"menuCheck 1999 off", "menuCheck 1999 on", "midiOutOpen -1", "beep warning",
                                  "messageBox warning-ok Cannot open MIDI device"}));
  EXPECT_EQ(app.midi.deviceOpen, 0);
  EXPECT_EQ(app.midi.deviceOpen, 0);
  EXPECT_EQ(app.midi.currentDeviceId, -1);
  EXPECT_TRUE(fake::isChecked(cmd::kMapperDevice));
  EXPECT_FALSE(fake::isChecked(cmd::kActive));
  // Nothing leaves a closed port, and the table still works for the notes played meanwhile.
  noteOn(0, 5, 0, 100);
  programChange(0, 3);
  EXPECT_TRUE(fake::callsOf("midiOutSend").empty());
  EXPECT_TRUE(isSounding(60));
}

TEST_F(Devices, SwitchingEndsTheOldDevicesNotesThereAndKeepsActiveUntilTheReopening) {
  start();
  handleKeyMessage(KeyMessage{false, vk::kSpace, 57, false, {}});
  noteOn(0, 5, 0, 100);
  fake::clearLog();
  dispatchCommand(2001);
  // The held note and the pedal end on the device that has them, before its port closes; no
  // all-notes-off on 16 channels, as a close by "Active" sends.
  EXPECT_EQ(deviceCalls(), (Lines{"midiOutSend 80 3C 40", "midiOutSend B0 40 00", "midiOutClose", "menuCheck 1999 off",
                                  "menuCheck 2001 on", "midiOutOpen 1", "menuCheck 101 on", "midiOutSend C0 00 00",
                                  "invalidateClient"}));
  EXPECT_FALSE(isSounding(60)) << "so its release sends the new device no note-off";
  EXPECT_EQ(app.midi.currentDeviceId, 1);
  handleKeyMessage(KeyMessage{true, vk::kSpace, 57, false, {}});

  // A switch whose opening fails unchecks Active only after the report, and keeps the new device.
  fake::script().failingOpens = {0};
  fake::clearLog();
  dispatchCommand(2000);
  EXPECT_EQ(deviceCalls(), (Lines{"midiOutClose", "menuCheck 2001 off", "menuCheck 2000 on", "midiOutOpen 0",
                                  "beep warning", "messageBox warning-ok Cannot open MIDI device",
                                  "menuCheck 101 off", "invalidateClient"}));
  EXPECT_EQ(app.midi.currentDeviceId, 0);
  EXPECT_EQ(app.midi.deviceOpen, 0);
  EXPECT_TRUE(fake::world().openPorts.empty());

  // Switching while closed opens the chosen device; no close of a port that is not open.
  fake::script().failingOpens.clear();
  fake::clearLog();
  selectDevice(1999);
  EXPECT_TRUE(fake::callsOf("midiOutClose").empty());
  EXPECT_EQ(fake::checkedIn(cmd::kMapperDevice, cmd::kFirstDevice + 10), std::vector<int32_t>{1999});
  EXPECT_EQ(app.midi.deviceOpen, 1);
}

TEST_F(Devices, ActiveClosesWithSixteenAllNotesOffThenReopensTheSameDevice) {
  app.settings.channel = 9;
  start();
  fake::clearLog();
  dispatchCommand(cmd::kActive);
  Lines expected{"menuCheck 101 off"};
  for (int32_t c = 0; c < 16; ++c) expected.push_back("midiOutSend " + fake::triple(0xB0u + static_cast<uint32_t>(c) + (123u << 8)));
  expected.push_back("midiOutClose");
  expected.push_back("invalidateClient");
  EXPECT_EQ(deviceCalls(), expected);
  EXPECT_EQ(app.midi.deviceOpen, 0);
  // A program or channel chosen while closed is kept and sent at the reopening.
  fake::clearLog();
  dispatchCommand(cmd::kFirstProgram + 40);
  dispatchCommand(cmd::kFirstChannel + 2);
  EXPECT_TRUE(fake::callsOf("midiOutSend").empty());
  fake::clearLog();
  dispatchCommand(cmd::kActive);
  EXPECT_EQ(deviceCalls(), (Lines{"midiOutOpen -1", "menuCheck 101 on", "midiOutSend C2 28 00", "invalidateClient"}));
}

TEST_F(Devices, ChoosingTheOpenDeviceReopensItWithOneProgramChange) {
  start();
  fake::clearLog();
  dispatchCommand(cmd::kMapperDevice);
  EXPECT_EQ(deviceCalls(), (Lines{"midiOutClose", "menuCheck 1999 off", "menuCheck 1999 on", "midiOutOpen -1",
                                  "menuCheck 101 on", "midiOutSend C0 00 00", "invalidateClient"}));
}

TEST_F(Devices, ASavedDeviceThatIsGoneChecksNothingAndIsTriedAgain) {
  app.settings.savedDeviceId = 3;
  start();
  EXPECT_TRUE(fake::checkedIn(cmd::kMapperDevice, cmd::kFirstDevice + 10).empty());
  EXPECT_EQ(fake::callsOf("messageBox").size(), 1u);
  fake::clearLog();
  dispatchCommand(cmd::kActive);
  EXPECT_EQ(fake::callsOf("midiOutOpen"), Lines{"midiOutOpen 3"});
}

TEST_F(Devices, ChannelAndProgramCommandsMoveOneMarkAndRedraw) {
  start();
  fake::clearLog();
  dispatchCommand(cmd::kLastChannel);
  dispatchCommand(cmd::kLastProgram);
  dispatchCommand(cmd::kFirstProgram);
  dispatchCommand(cmd::kReset);
  EXPECT_EQ(fake::checkedIn(cmd::kFirstChannel, cmd::kLastChannel), std::vector<int32_t>{cmd::kLastChannel});
  EXPECT_EQ(app.settings.program, 0);
  Lines sent = fake::sentTriples();
  ASSERT_EQ(sent.size(), 3u + 32u);
  EXPECT_EQ(Lines(sent.begin(), sent.begin() + 3), (Lines{"CF 00 00", "CF 7F 00", "CF 00 00"}));
  EXPECT_EQ(fake::callsOf("invalidateClient").size(), 4u) << "every command ends with a redraw";

  // Ids outside a command's own group are not that command.
  fake::clearLog();
  selectChannel(cmd::kLastChannel + 1);
  selectProgram(cmd::kFirstProgram - 1);
  selectDevice(cmd::kFirstDevice + 2);
  EXPECT_TRUE(deviceCalls().empty());
  EXPECT_EQ(app.settings.channel, 15);
}

TEST_F(Devices, AStoredChannelOutOfRangeNeverMarksAForeignItemNorBreaksAWord) {
  for (int32_t stored : {16, -1, 255, INT32_MIN, INT32_MAX}) {
    fake::reset();
    app.settings.channel = stored;
    app.settings.program = stored;
    start();
    noteOn(app.settings.channel, 5, 0, stored);
    selectChannel(cmd::kFirstChannel + 3);
    for (const std::string& call : fake::callsOf("menuCheck")) {
      int32_t id = std::stoi(call.substr(10));
      EXPECT_EQ(fake::world().menu.count(id), 1u) << call << " from channel " << stored;
    }
    EXPECT_EQ(fake::checkedIn(cmd::kFirstChannel, cmd::kLastChannel), std::vector<int32_t>{cmd::kFirstChannel + 3});
    for (uint32_t word : fake::world().sent) EXPECT_TRUE(isWellFormed(word)) << fake::triple(word);
  }
}

}  // namespace
