// The chosen device found again by its name: across a restart with the devices in another order
// (through the settings file's companion), and while the program runs, when the Devices menu
// opens on a list that changed.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "base/app_state.h"
#include "base/commands.h"
#include "fake/fake_platform.h"
#include "midi/devices.h"
#include "midi/midi_output.h"
#include "platform/events.h"
#include "settings/settings_file.h"

namespace {

using Lines = std::vector<std::string>;
using Ids = std::vector<int32_t>;

class DeviceNames : public ::testing::Test {
 protected:
  void SetUp() override { newMachine(); }

  static void newMachine() {
    fake::reset();
    fake::script().settingsBasePath = "/cfg/plinkett";
    fake::script().mapperPresent = false;
  }
  static void nextStart(std::vector<fake::FakeDevice> devices) {
    fake::restart();
    fake::script().settingsBasePath = "/cfg/plinkett";
    fake::script().mapperPresent = false;
    fake::script().devices = std::move(devices);
  }
  // A settings file that saves this device (all else default), as an older version writes it.
  static void saveDevice(int32_t deviceId) {
    PersistedSettings s;
    s.savedDeviceId = deviceId;
    auto bytes = encodeSettings(s);
    fake::world().files["/cfg/PLINKETT.SET"].assign(bytes.begin(), bytes.end());
  }
  static void writeCompanion(const std::string& text) {
    fake::world().files["/cfg/PLINKETT.DEV"].assign(text.begin(), text.end());
  }
  static std::string companion() {
    const auto& files = fake::world().files;
    auto it = files.find("/cfg/PLINKETT.DEV");
    return it == files.end() ? "(none)" : std::string(it->second.begin(), it->second.end());
  }
  static Lines opens() { return fake::callsOf("midiOutOpen"); }
  static Ids checkedDevices() { return fake::checkedIn(cmd::kMapperDevice, cmd::kFirstDevice + 20); }
  static Lines itemTexts() {
    Lines out;
    for (int32_t id : fake::world().deviceItems) out.push_back(fake::itemText(id));
    return out;
  }
  static void start() { ASSERT_TRUE(startMainWindow()); }
  static void quit() { plat::windowClose(); }
};

TEST_F(DeviceNames, TheStartsDeviceIsKnownBeforeTheWindowWithNothingChanged) {
  PersistedSettings s;
  s.savedDeviceId = 3;
  s.velocity = 77;
  for (int32_t open : {1, 0}) {
    s.openAtStart = open;
    const auto bytes = encodeSettings(s);
    fake::world().files["/cfg/PLINKETT.SET"].assign(bytes.begin(), bytes.end());
    writeCompanion("3\nB:in\n");
    int32_t id = 0;
    char name[plat::kDeviceNameSize] = {};
    EXPECT_EQ(deviceOpenedAtStart(id, name), open == 1);
    EXPECT_EQ(id, 3);
    EXPECT_STREQ(name, "B:in");
    // The start reads them itself.
    EXPECT_EQ(app.settings.velocity, 100);
    EXPECT_EQ(app.settings.savedDeviceId, -1);
    EXPECT_STREQ(app.midi.deviceName, "");
  }
}

TEST_F(DeviceNames, TheChosenDeviceIsOpenedByNameWhenTheOrderChanged) {
  // Short names, and JACK's long ones that differ only after their first 31 bytes: the whole
  // name tells them apart, in the menu and in the companion.
  const std::string longA = "a2j:Midi Through [14] (playback): Midi Through Port-0";
  const std::string longB = "a2j:Midi Through [14] (playback): Midi Through Port-1";
  for (const auto& [a, b] : {std::pair<std::string, std::string>{"A:in", "B:in"}, {longA, longB}}) {
    // First run: A and B, the settings saving A by number; the player chooses B.
    newMachine();
    fake::script().devices = {{a, ""}, {b, ""}};
    saveDevice(0);
    start();
    EXPECT_EQ(itemTexts(), (Lines{a, b}));
    dispatchCommand(cmd::kFirstDevice + 1);
    quit();
    const std::vector<uint8_t> settings = fake::world().files["/cfg/PLINKETT.SET"];
    ASSERT_EQ(settings.size(), 64u) << "the settings file keeps its size";
    EXPECT_EQ(settings[36], 1) << "and saves the number, as always";
    EXPECT_EQ(companion(), "1\n" + b + "\n");

    // Next start: the two in the other order. Device 1 is now A, but B is what was chosen.
    nextStart({{b, ""}, {a, ""}});
    start();
    EXPECT_EQ(opens(), Lines{"midiOutOpen 0"}) << b;
    EXPECT_EQ(checkedDevices(), Ids{cmd::kFirstDevice});
    quit();
    EXPECT_EQ(companion(), "0\n" + b + "\n");
  }
}

TEST_F(DeviceNames, ARememberedDeviceThatIsGoneIsNotOpenedByItsNumber) {
  // B chosen at the last run is gone, and C now has its number: the start cannot open B and
  // says so, plays nothing on C, and remembers B for when it is back.
  saveDevice(1);
  writeCompanion("1\nB:in\n");
  fake::script().devices = {{"A:in", ""}, {"C:in", ""}};
  start();
  EXPECT_EQ(fake::callsOf("messageBox"), Lines{"messageBox warning-ok Cannot open MIDI device"});
  EXPECT_TRUE(fake::world().openPorts.empty());
  EXPECT_TRUE(checkedDevices().empty());
  quit();
  nextStart({{"A:in", ""}, {"C:in", ""}, {"B:in", ""}});
  start();
  EXPECT_EQ(checkedDevices(), Ids{cmd::kFirstDevice + 2});
  dispatchCommand(cmd::kActive);
  EXPECT_EQ(opens(), Lines{"midiOutOpen 2"});
}

TEST_F(DeviceNames, ANameTwiceKeepsTheSavedNumberElseTakesTheFirst) {
  saveDevice(2);
  writeCompanion("2\nSame\n");
  fake::script().devices = {{"Other", ""}, {"Same", "x"}, {"Same", "y"}};
  start();
  EXPECT_EQ(opens(), Lines{"midiOutOpen 2"});

  newMachine();
  saveDevice(0);
  writeCompanion("0\nSame\n");
  fake::script().devices = {{"Other", ""}, {"Same", "x"}, {"Same", "y"}};
  start();
  EXPECT_EQ(opens(), Lines{"midiOutOpen 1"});
}

TEST_F(DeviceNames, WithoutAWholeCompanionForTheSavedNumberTheNumberCounts) {
  const std::string longName(plat::kDeviceNameSize, 'B');
  struct Case {
    std::string companion;  // "(none)": no file
    std::string opened;
  };
  const Case cases[] = {
      {"1\nB:in\n", "midiOutOpen 0"},  // whole, and for the saved number: the name counts
      {"(none)", "midiOutOpen 1"},
      {"", "midiOutOpen 1"},
      {"0\nB:in\n", "midiOutOpen 1"},  // written for another number: the settings file is newer
      {"1\nB:in", "midiOutOpen 1"},
      {"1\nB:in\nmore\n", "midiOutOpen 1"},
      {"1\nB:\tin\n", "midiOutOpen 1"},
      {"+1\nB:in\n", "midiOutOpen 1"},
      {"4294967297\nB:in\n", "midiOutOpen 1"},  // 2^32 + 1 wraps to 1 in 32 bits
      {"1\n" + longName + "\n", "midiOutOpen 1"},
  };
  for (const Case& c : cases) {
    newMachine();
    fake::script().devices = {{"B:in", ""}, {"A:in", ""}, {longName.substr(0, plat::kDeviceNameSize - 1), ""}};
    saveDevice(1);
    if (c.companion != "(none)") writeCompanion(c.companion);
    start();
    EXPECT_EQ(opens(), Lines{c.opened}) << "companion: " << c.companion;
  }
}

TEST_F(DeviceNames, FirstStartAndTheStartAfterAnOlderVersionWriteTheCompanion) {
  // No settings file: the mapper, which no name needs.
  fake::script().mapperPresent = true;
  start();
  quit();
  EXPECT_EQ(companion(), "-1\n\n");

  // A settings file without a companion: the saved number's device, remembered by name from now.
  newMachine();
  fake::script().devices = {{"A:in", ""}, {"B:in", ""}};
  saveDevice(1);
  start();
  quit();
  EXPECT_EQ(companion(), "1\nB:in\n");

  // A settings file that cannot be replaced keeps its companion as it was, so the two agree.
  nextStart({{"B:in", ""}, {"A:in", ""}});
  fake::script().failReplace = true;
  start();
  quit();
  EXPECT_EQ(companion(), "1\nB:in\n");
}

TEST_F(DeviceNames, TheMenuFollowsTheSystemAndKeepsTheCurrentDevice) {
  fake::script().devices = {{"A:in", ""}, {"B:in", ""}};
  saveDevice(1);
  start();
  noteOn(0, 5, 0, 100);
  fake::clearLog();

  // B (open) has gone and C has come before A: C and A are offered, B stays listed while open,
  // under its new number, checked, and nothing is closed or reopened.
  fake::script().devices = {{"C:in", ""}, {"A:in", ""}};
  onDevicesMenuOpening();
  EXPECT_EQ(itemTexts(), (Lines{"C:in", "A:in", "B:in"}));
  EXPECT_EQ(checkedDevices(), Ids{cmd::kFirstDevice + 2});
  EXPECT_TRUE(fake::isChecked(cmd::kActive));
  EXPECT_TRUE(fake::callsOf("midiOutOpen").empty());
  EXPECT_TRUE(fake::callsOf("midiOutClose").empty());
  noteOff(0, 5, 0);
  EXPECT_EQ(fake::sentTriples(), Lines{"80 3C 40"});

  // Closed, B is no longer offered and nothing is checked; "Active" cannot open it.
  dispatchCommand(cmd::kActive);
  onDevicesMenuOpening();
  EXPECT_EQ(itemTexts(), (Lines{"C:in", "A:in"}));
  EXPECT_TRUE(checkedDevices().empty());
  EXPECT_FALSE(isDeviceCommand(cmd::kFirstDevice + 2));
  fake::clearLog();
  dispatchCommand(cmd::kActive);
  EXPECT_EQ(fake::callsOf("messageBox"), Lines{"messageBox warning-ok Cannot open MIDI device"});

  // B back, first in the list: found by its name, checked, and "Active" opens it.
  fake::script().devices = {{"B:in", ""}, {"C:in", ""}, {"A:in", ""}};
  onDevicesMenuOpening();
  EXPECT_EQ(checkedDevices(), Ids{cmd::kFirstDevice});
  fake::clearLog();
  dispatchCommand(cmd::kActive);
  EXPECT_EQ(opens(), Lines{"midiOutOpen 0"});
  quit();
  EXPECT_EQ(companion(), "0\nB:in\n");
}

TEST_F(DeviceNames, AnOpenDeviceIsFollowedByItsPortNotItsName) {
  // Two devices of one name: the open one is the second, and the two swap places.
  fake::script().devices = {{"USB MIDI", "port 24"}, {"USB MIDI", "port 28"}};
  saveDevice(1);
  start();
  fake::script().devices = {{"USB MIDI", "port 28"}, {"USB MIDI", "port 24"}};
  onDevicesMenuOpening();
  EXPECT_EQ(checkedDevices(), Ids{cmd::kFirstDevice});
  EXPECT_EQ(app.midi.currentDeviceId, 0);
}

}  // namespace
