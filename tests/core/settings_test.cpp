// The settings file: its bytes (a promise to the files already on players' disks), where it
// lives, when it is written, and what any content can do. Files live in the recording platform.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "base/app_state.h"
#include "base/commands.h"
#include "base/short_message.h"
#include "display/control_bars.h"
#include "fake/fake_platform.h"
#include "fake/scenario.h"
#include "platform/events.h"
#include "settings/settings_file.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes hex(const std::string& text) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < text.size(); i += 3) out.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
  return out;
}

// fake::distinctSettings(), written down byte by byte independently of the code's field list.
const Bytes kKnownFile = hex(
    "15 33 99 12 03 00 00 00 05 00 00 00 00 00 C0 3F "
    "EC FF FF FF 28 00 00 00 6C 02 00 00 4A 01 00 00 "
    "FE FF FF FF 07 00 00 00 09 00 00 00 0B 00 00 00 "
    "4D 00 00 00 63 00 00 00 02 00 00 00 06 00 00 00 ");

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset();
    fake::script().settingsBasePath = "/home/p/.config/plinkett/plinkett";
    settingsPath();
  }
  Bytes& file() { return fake::world().files[kPath]; }
  bool fileExists() const { return fake::world().files.count(kPath) != 0; }
  const std::string kPath = "/home/p/.config/plinkett/PLINKETT.SET";
};

TEST_F(SettingsFile, EveryFieldHasItsOwnOffsetBothWays) {
  file() = kKnownFile;
  loadSettings();
  const PersistedSettings& s = app.settings;
  const PersistedSettings k = fake::distinctSettings();
  EXPECT_EQ(s.alwaysOnTop, k.alwaysOnTop);
  EXPECT_EQ(s.showControlBars, k.showControlBars);
  EXPECT_EQ(s.zoom, k.zoom);
  EXPECT_EQ(s.windowRect, k.windowRect);
  EXPECT_EQ(s.transpose, k.transpose);
  EXPECT_EQ(s.savedDeviceId, k.savedDeviceId);
  EXPECT_EQ(s.openAtStart, k.openAtStart);
  EXPECT_EQ(s.channel, k.channel);
  EXPECT_EQ(s.program, k.program);
  EXPECT_EQ(s.velocity, k.velocity);
  EXPECT_EQ(s.layout, k.layout);
  EXPECT_EQ(s.showFlats, k.showFlats);
  auto written = encodeSettings(k);
  EXPECT_EQ(Bytes(written.begin(), written.end()), kKnownFile);
}

TEST_F(SettingsFile, DefaultsBeginAsAFirstStartWritesThem) {
  auto bytes = encodeSettings(PersistedSettings{});
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 16), hex("15 33 99 12 00 00 00 00 00 00 00 00 00 00 00 40 "));
  EXPECT_EQ(Bytes(bytes.begin() + 16, bytes.begin() + 44),
            hex("64 00 00 00 64 00 00 00 F4 01 00 00 2C 01 00 00 00 00 00 00 FF FF FF FF 01 00 00 00 "));
}

TEST_F(SettingsFile, ShortLongAndForeignFiles) {
  // Bytes after offset 64 are ignored.
  file() = kKnownFile;
  file().insert(file().end(), {1, 2, 3, 4, 5});
  loadSettings();
  EXPECT_EQ(app.settings.showFlats, 6);

  // 40 bytes fill alwaysOnTop through savedDeviceId; 42 bytes cut openAtStart, which stays.
  for (std::size_t size : {40u, 42u}) {
    app.settings = PersistedSettings{};
    file() = Bytes(kKnownFile.begin(), kKnownFile.begin() + static_cast<std::ptrdiff_t>(size));
    loadSettings();
    EXPECT_EQ(app.settings.savedDeviceId, 7);
    EXPECT_EQ(app.settings.openAtStart, 1);
    EXPECT_EQ(app.settings.showFlats, 0);
  }
  // The magic in the wrong byte order, or cut short: nothing is taken.
  for (Bytes foreign : {hex("12 99 33 15 ") , hex("15 33 99 ")}) {
    app.settings = PersistedSettings{};
    file() = foreign;
    file().insert(file().end(), kKnownFile.begin() + 4, kKnownFile.end());
    loadSettings();
    EXPECT_EQ(encodeSettings(app.settings), encodeSettings(PersistedSettings{}));
  }
}

TEST_F(SettingsFile, SaveRecordsTheDeviceAndTheRestoredWindow) {
  app.shell.startupComplete = 1;
  app.midi.currentDeviceId = 2;
  plat::windowMove(30, 40, 400, 200, false);
  fake::script().minimised = true;
  saveSettings();
  ASSERT_EQ(file().size(), 64u);
  EXPECT_EQ(Bytes(file().begin() + 16, file().begin() + 44),
            hex("1E 00 00 00 28 00 00 00 AE 01 00 00 F0 00 00 00 00 00 00 00 02 00 00 00 00 00 00 00 "));
}

TEST_F(SettingsFile, NothingIsWrittenAfterAnEarlyEndOrAFailedReplace) {
  app.midi.currentDeviceId = 4;
  saveSettings();
  EXPECT_FALSE(fileExists());
  EXPECT_EQ(app.settings.savedDeviceId, -1) << "nothing of a save happens, in memory either";

  file() = kKnownFile;
  app.shell.startupComplete = 1;
  fake::script().failReplace = true;
  saveSettings();
  EXPECT_EQ(file(), kKnownFile);
}

TEST_F(SettingsFile, AFallbackFolderGivesTheFirstStartAndTheSaveStaysInTheSettingsFolder) {
  const std::string fallback = "C:\\Program Files\\Plinkett\\";
  fake::script().settingsFallbackBasePath = fallback + "plinkett.exe";
  fake::world().files[fallback + "PLINKETT.SET"] = kKnownFile;
  const std::string name = "7\nR&B Synth\n";
  fake::world().files[fallback + "PLINKETT.DEV"] = Bytes(name.begin(), name.end());
  loadSettings();
  EXPECT_EQ(app.settings.velocity, 99);
  EXPECT_STREQ(app.midi.deviceName, "R&B Synth") << "the name beside the settings read";

  app.shell.startupComplete = 1;
  app.midi.currentDeviceId = 7;
  app.settings.velocity = 50;
  saveSettings();
  ASSERT_TRUE(fileExists());
  EXPECT_EQ(fake::world().files[fallback + "PLINKETT.SET"], kKnownFile) << "the fallback's file is left as it was";
  // From now on the settings folder's own file counts.
  app.settings = PersistedSettings{};
  loadSettings();
  EXPECT_EQ(app.settings.velocity, 50);
}

TEST_F(SettingsFile, APathAsLongAsTheSystemAllowsKeepsTheSettings) {
  // Far past the 260 characters of old, the file is the one in the base's own folder.
  const std::string folder = "/" + std::string(200, 'p') + "/" + std::string(300, 'd') + "/";
  fake::script().settingsBasePath = folder + "plinkett";
  settingsPath();
  EXPECT_EQ(app.shell.settingsPath, folder + "PLINKETT.SET");
  app.shell.startupComplete = 1;
  app.settings.channel = 9;
  saveSettings();
  app.settings.channel = 0;
  loadSettings();
  EXPECT_EQ(app.settings.channel, 9);

  // A base that fills the room for the longest path may have been cut, and a cut one would name
  // a parent folder: no file at all.
  fake::script().settingsBasePath = folder + std::string(plat::kLongestPath, 'x') + "/plinkett";
  settingsPath();
  EXPECT_EQ(app.shell.settingsPath, "");
  fake::clearLog();
  saveSettings();
  loadSettings();
  EXPECT_EQ(fake::world().files.size(), 2u) << "the settings file and its companion of the first save";
  EXPECT_TRUE(fake::callsOf("fileReadSmall").empty());

  EXPECT_EQ(pathBeside("C:\\Programs\\Plinkett\\plinkett.exe", "PLINKETT.SET"), "C:\\Programs\\Plinkett\\PLINKETT.SET");
  EXPECT_EQ(pathBeside("D:plinkett.exe", "PLINKETT.SET"), "D:PLINKETT.SET");
  EXPECT_EQ(pathBeside("plinkett", "PLINKETT.SET"), "PLINKETT.SET");
}

// Whatever a damaged file holds, the program never sends a malformed word, never checks an item
// outside its group and never trips a sanitizer, through start-up, play, commands and shutdown.
TEST(SettingsContent, AnyValuesKeepTheProgramSound) {
  std::minstd_rand random(20261208);
  const int32_t interesting[] = {0, 1, -1, 2, -2, 3, 4, -4, 5, 7, 15, 16, 127, 128, 255, 1000, -1000,
                                 INT32_MAX, INT32_MIN, INT32_MAX - 1, INT32_MIN + 1};
  const uint32_t floats[] = {0x7FC00000u /*NaN*/, 0x7F800000u /*inf*/, 0xFF800000u, 0x7F7FFFFFu, 0x3FC00000u,
                             0x40200000u /*2.5*/, 0x00000001u, 0xBF800000u /*-1*/, 0x4F000000u};
  for (int round = 0; round < 400; ++round) {
    fake::reset();
    fake::script().settingsBasePath = "/cfg/plinkett";
    Bytes b(64);
    for (std::size_t i = 4; i < 64; i += 4) {
      uint32_t v = static_cast<uint32_t>(random()) * 2654435761u;
      if (random() % 2 == 0) v = static_cast<uint32_t>(interesting[random() % std::size(interesting)]);
      if (i == 12 && random() % 2 == 0) v = floats[random() % std::size(floats)];
      for (int k = 0; k < 4; ++k) b[i + k] = static_cast<uint8_t>(v >> (8 * k));
    }
    b[0] = 0x15; b[1] = 0x33; b[2] = 0x99; b[3] = 0x12;
    fake::world().files["/cfg/PLINKETT.SET"] = b;

    ASSERT_TRUE(startMainWindow());
    auto kept = encodeSettings(app.settings);
    ASSERT_EQ(Bytes(kept.begin(), kept.end()), b) << "values are kept as read";
    plat::windowMove(0, 0, 700, 400, true);
    paintKeyboard();
    for (int32_t vk : {0, vk::kUp, vk::kDown, vk::kKeypadPlus, vk::kKeypadMinus, vk::kSpace, vk::kEnter, vk::kEscape}) {
      for (int32_t scan : {16, 44, 2, 53, 30}) {
        Modifiers m{random() % 2 == 0, random() % 2 == 0};
        handleKeyMessage(KeyMessage{false, vk, static_cast<uint8_t>(scan), false, m});
        handleKeyMessage(KeyMessage{true, vk, static_cast<uint8_t>(scan), false, m});
      }
    }
    handleMouseButton(false, 200, 60, {});
    handleMouseButton(true, 0, 0, {});
    onVerticalScroll(plat::Bar::Velocity, ScrollRequest::LineUp, 0);
    onVerticalScroll(plat::Bar::PitchBend, ScrollRequest::ThumbTrack, static_cast<uint16_t>(random() & 0xFFFFu));
    onModulationScroll(ScrollRequest::PageDown, 0);
    for (int32_t id : {cmd::kShowControlBars, cmd::kZoomSmall, cmd::kDefaultSize, cmd::kTransposeUp2,
                       cmd::kLayoutChromatic, cmd::kShowFlats, cmd::kAlwaysOnTop, cmd::kFirstChannel + 5,
                       cmd::kFirstProgram + 9}) {
      dispatchCommand(id);
    }
    onFocusLost();
    dispatchCommand(cmd::kExit);

    for (uint32_t word : fake::world().sent) ASSERT_TRUE(isWellFormed(word)) << fake::triple(word) << " round " << round;
    for (const std::string& call : fake::callsOf("menuCheck")) {
      int id = std::atoi(call.c_str() + 10);
      ASSERT_EQ(fake::world().menu.count(id), 1u) << call << " round " << round;
    }
    ASSERT_EQ(fake::world().sendsOnClosedPort, 0);
    ASSERT_TRUE(fake::world().openPorts.empty());
  }
}

}  // namespace
