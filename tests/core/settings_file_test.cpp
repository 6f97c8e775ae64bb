// Where the settings file goes, how it is replaced, and what any stored values lead to.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/commands.h"
#include "fake/fake_platform.h"
#include "fake/scenario.h"
#include "keyboard/key_layouts.h"
#include "keyboard/note_input.h"
#include "midi/devices.h"
#include "midi/midi_output.h"
#include "midi/short_message.h"
#include "settings/settings_file.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

std::string makeTempDir() { return fake::makeTempDir("plinkett-engine"); }
Bytes readAll(const std::string& path) { return fake::readFile(path); }
void writeAll(const std::string& path, const Bytes& bytes) { fake::writeFile(path, bytes); }

class SettingsPlace : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset();
    dir_ = makeTempDir();
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string dir_;
};

TEST_F(SettingsPlace, ALongBasePathNeverLandsInAParentFolder) {
  // A folder deep enough that the base path is longer than the path buffer, below a parent
  // short enough that "parent/PLINKETT.SET" would fit: cutting the base at 259 characters would
  // find the parent's separator and put the settings file there.
  std::string parent = dir_ + "/" + std::string(200, 'p');
  std::string deep = parent + "/" + std::string(100, 'd');
  ASSERT_LT(parent.size() + 1 + 12 + 1, 260u);
  fs::create_directories(deep);
  fake::script().settingsBasePath = deep + "/plinkett";
  settingsPath();
  EXPECT_STREQ(app.shell.settingsPath, "");
  app.shell.startupComplete = 1;
  saveSettings();
  loadSettings();
  EXPECT_FALSE(fs::exists(parent + "/PLINKETT.SET"));
  EXPECT_FALSE(fs::exists(deep + "/PLINKETT.SET"));
  EXPECT_EQ(encodeSettings(app.settings), encodeSettings(PersistedSettings{}));

  // A base of 300 characters whose folder is short still gives the file beside it.
  fake::script().settingsBasePath = dir_ + "/" + std::string(300, 'x');
  settingsPath();
  EXPECT_EQ(std::string(app.shell.settingsPath), dir_ + "/PLINKETT.SET");

  // Exactly at the buffer's end: 259 characters and the terminator fit, 260 do not.
  char path[260];
  std::string fits = "/" + std::string(245, 'f') + "/";
  ASSERT_EQ(fits.size() + 12, 259u);
  EXPECT_TRUE(buildSettingsPath((fits + "plinkett").c_str(), path, sizeof path));
  EXPECT_EQ(std::string(path), fits + "PLINKETT.SET");
  EXPECT_FALSE(buildSettingsPath(("/" + fits + "plinkett").c_str(), path, sizeof path));
  EXPECT_STREQ(path, "");
  EXPECT_FALSE(buildSettingsPath("C:\\x\\plinkett.exe", path, 5));
  EXPECT_STREQ(path, "");
  // No separator at all: the bare name, as the platform's current folder would take it.
  EXPECT_TRUE(buildSettingsPath("plinkett", path, sizeof path));
  EXPECT_STREQ(path, "PLINKETT.SET");
}

TEST_F(SettingsPlace, AFailedRenameLeavesNoTemporaryFileBehind) {
  // The target is a folder holding a file: the new content is written but cannot replace it.
  std::string target = dir_ + "/PLINKETT.SET";
  fs::create_directory(target);
  writeAll(target + "/keep", Bytes{1, 2, 3});
  Bytes content(64, 0xAB);
  EXPECT_FALSE(writeFileAtomically(target.c_str(), content.data(), content.size()));
  EXPECT_FALSE(fs::exists(target + ".new"));
  EXPECT_EQ(readAll(target + "/keep"), (Bytes{1, 2, 3}));
  EXPECT_FALSE(writeFileAtomically("", content.data(), content.size()));

  // A first write, with no old file, creates it whole; a second replaces it whole.
  std::string fresh = dir_ + "/fresh.set";
  EXPECT_TRUE(writeFileAtomically(fresh.c_str(), content.data(), content.size()));
  EXPECT_EQ(readAll(fresh), content);
  Bytes shorter{9, 8, 7};
  EXPECT_TRUE(writeFileAtomically(fresh.c_str(), shorter.data(), shorter.size()));
  EXPECT_EQ(readAll(fresh), shorter);
  EXPECT_FALSE(fs::exists(fresh + ".new"));
}

TEST_F(SettingsPlace, AnEarlyEndWritesNoFileAtAll) {
  fake::script().settingsBasePath = dir_ + "/plinkett";
  settingsPath();
  app.midi.currentDeviceId = 4;
  saveSettings();
  EXPECT_TRUE(fs::is_empty(dir_));
  EXPECT_EQ(app.settings.savedDeviceId, -1) << "nothing of a save happens, in memory either";
  // A folder where the file should be reads as no file.
  fs::create_directory(dir_ + "/PLINKETT.SET");
  loadSettings();
  EXPECT_EQ(encodeSettings(app.settings), encodeSettings(PersistedSettings{}));
}

TEST(SettingsBytes, FieldsLandAtTheirOffsetsLittleEndian) {
  PersistedSettings s;
  s.alwaysOnTop = 0x01020304;
  s.windowRect = Rect{-2, 0x7FFFFFFF, INT32_MIN, 300};
  s.showFlats = 0x0A0B0C0D;
  auto b = encodeSettings(s);
  EXPECT_EQ(Bytes(b.begin() + 4, b.begin() + 8), (Bytes{0x04, 0x03, 0x02, 0x01}));
  EXPECT_EQ(Bytes(b.begin() + 16, b.begin() + 32),
            (Bytes{0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x00, 0x80, 0x2C, 0x01, 0x00, 0x00}));
  EXPECT_EQ(Bytes(b.begin() + 60, b.end()), (Bytes{0x0D, 0x0C, 0x0B, 0x0A}));
  // Decoding over a record changes exactly the fields the data holds whole: 42 bytes hold ten
  // fields after the magic and half of openAtStart.
  PersistedSettings back;
  back.openAtStart = 77;
  decodeSettings(b.data(), 42, back);
  EXPECT_EQ(back.alwaysOnTop, s.alwaysOnTop);
  EXPECT_EQ(back.windowRect, s.windowRect);
  EXPECT_EQ(back.openAtStart, 77);
  EXPECT_EQ(back.showFlats, 0);
  decodeSettings(b.data(), 0, back);
  decodeSettings(b.data(), 3, back);
  EXPECT_EQ(back.openAtStart, 77);
}

// Thousands of files with the magic and random values, used the way the program uses them: the
// saved device opened at start, keys of every layout played with the stored transposition,
// channel and velocity (Shift and Ctrl too), program and channel commands, the bars' messages and
// the panic. Every word that leaves must be well formed, every check mark must name an item that
// exists, and the sanitizers must stay quiet.
TEST(SettingsValues, RandomFilesOnlyEverProduceWellFormedWords) {
  std::mt19937 random(20261208);
  const int32_t edges[] = {0, 1, -1, 2, 3, 4, -4, 5, 11, 12, 15, 16, 100, 127, 128, 255, 256,
                           INT32_MAX, INT32_MIN, INT32_MAX / 12, INT32_MIN / 12, INT32_MAX - 3};
  constexpr int kFiles = 3000;
  for (int round = 0; round < kFiles; ++round) {
    fake::reset();
    fake::script().deviceCount = static_cast<int32_t>(random() % 4) + 1;
    Bytes b(64);
    for (std::size_t i = 4; i < 64; i += 4) {
      uint32_t v = static_cast<uint32_t>(random());
      if (random() % 2 == 0) v = static_cast<uint32_t>(edges[random() % std::size(edges)]);
      for (std::size_t k = 0; k < 4; ++k) b[i + k] = static_cast<uint8_t>(v >> (8 * k));
    }
    b[0] = 0x15;
    b[1] = 0x33;
    b[2] = 0x99;
    b[3] = 0x12;
    decodeSettings(b.data(), b.size(), app.settings);
    auto again = encodeSettings(app.settings);
    ASSERT_EQ(Bytes(again.begin(), again.end()), b) << "values are kept as read";

    app.midi.deviceCount = plat::midiOutCount();
    fillDevicesMenu(app.midi.deviceCount);
    relabelBlackKeys(app.settings.showFlats);
    openDeviceAtStart();
    if (app.midi.deviceOpen == 0) toggleActive();  // "&Active" tries the same device again
    if (app.midi.deviceOpen == 0) selectDevice(cmd::kFirstDevice);
    ASSERT_EQ(app.midi.deviceOpen, 1) << "round " << round;

    for (int32_t scan : {2, 3, 16, 30, 44, 53}) {
      Modifiers m{random() % 2 == 0, random() % 2 == 0};
      noteKeyEvent(false, keyParamForScanCode(scan), m, currentLayout());
      noteKeyEvent(true, keyParamForScanCode(scan), m, currentLayout());
    }
    noteOn(app.settings.channel, app.settings.transpose, 11, app.settings.velocity);
    programChange(app.settings.channel, app.settings.program);
    modulationWheel(app.settings.channel, static_cast<int32_t>(random()));
    pitchBend(app.settings.channel, static_cast<int32_t>(random()));
    selectChannel(cmd::kFirstChannel + static_cast<int32_t>(random() % 16));
    selectProgram(cmd::kFirstProgram + static_cast<int32_t>(random() % 128));
    allSoundingNotesOff();
    resetCommand();
    toggleActive();

    for (uint32_t word : fake::world().sent) {
      ASSERT_TRUE(isWellFormed(word)) << fake::triple(word) << " round " << round;
    }
    for (const std::string& call : fake::callsOf("menuCheck")) {
      int32_t id = std::atoi(call.c_str() + 10);
      ASSERT_EQ(fake::world().menu.count(id), 1u) << call << " round " << round;
    }
    ASSERT_LE(fake::checkedIn(cmd::kFirstChannel, cmd::kLastChannel).size(), 1u);
    ASSERT_LE(fake::checkedIn(cmd::kMapperDevice, cmd::kFirstDevice + 10).size(), 1u);
    ASSERT_EQ(fake::world().sendsOnClosedPort, 0);
    ASSERT_TRUE(fake::world().openPorts.empty());
  }
}

}  // namespace
