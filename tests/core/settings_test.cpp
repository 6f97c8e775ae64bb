// The settings file byte for byte, its safe replacement, and what any file content can do.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/dispatch.h"
#include "app/main_window.h"
#include "display/control_bars.h"
#include "display/key_drawing.h"
#include "fake/fake_platform.h"
#include "fake/scenario.h"
#include "keyboard/note_input.h"
#include "midi/short_message.h"
#include "settings/settings_file.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes hex(const std::string& text) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < text.size(); i += 3) out.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
  return out;
}

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset();
    dir_ = fake::makeTempDir("plinkett-settings");
    fake::script().settingsBasePath = dir_ + "/plinkett";
    settingsPath();
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string file() const { return dir_ + "/PLINKETT.SET"; }
  void write(const Bytes& b) { std::ofstream(file(), std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size()); }
  Bytes read() const {
    std::ifstream in(file(), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  std::string dir_;
};

TEST_F(SettingsFile, DefaultsAndZoomBytes) {
  auto bytes = encodeSettings(PersistedSettings{});
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 16), hex("15 33 99 12 00 00 00 00 00 00 00 00 00 00 00 40"));
  EXPECT_EQ(Bytes(bytes.begin() + 36, bytes.begin() + 44), hex("FF FF FF FF 01 00 00 00"));
  PersistedSettings small;
  small.zoom = 1.5f;
  bytes = encodeSettings(small);
  EXPECT_EQ(Bytes(bytes.begin() + 12, bytes.begin() + 16), hex("00 00 C0 3F"));
}

TEST_F(SettingsFile, RoundTripShortLongAndForeignFiles) {
  PersistedSettings s;
  s.alwaysOnTop = 5;
  s.zoom = 1.5f;
  s.windowRect = Rect{-10, 20, 300, 400};
  s.transpose = -2;
  s.savedDeviceId = 7;
  s.openAtStart = 0;
  s.channel = 15;
  s.program = 127;
  s.velocity = 1;
  s.layout = 2;
  s.showFlats = 1;
  auto bytes = encodeSettings(s);
  Bytes longer(bytes.begin(), bytes.end());
  longer.insert(longer.end(), {1, 2, 3, 4, 5});
  write(longer);  // bytes after offset 64 are ignored
  loadSettings();
  EXPECT_EQ(encodeSettings(app.settings), bytes);

  // The magic in the wrong byte order: nothing is taken.
  Bytes foreign(bytes.begin(), bytes.end());
  foreign[0] = 0x12; foreign[1] = 0x99; foreign[2] = 0x33; foreign[3] = 0x15;
  write(foreign);
  fake::reset();
  fake::script().settingsBasePath = dir_ + "/plinkett";
  settingsPath();
  loadSettings();
  EXPECT_EQ(encodeSettings(app.settings), encodeSettings(PersistedSettings{}));

  // 40 bytes fill alwaysOnTop through savedDeviceId; 42 bytes cut openAtStart, which stays.
  for (std::size_t size : {40u, 42u}) {
    write(Bytes(bytes.begin(), bytes.begin() + size));
    app.settings = PersistedSettings{};
    loadSettings();
    EXPECT_EQ(app.settings.savedDeviceId, 7);
    EXPECT_FLOAT_EQ(app.settings.zoom, 1.5f);
    EXPECT_EQ(app.settings.openAtStart, 1);
    EXPECT_EQ(app.settings.velocity, 100);
    EXPECT_EQ(app.settings.showFlats, 0);
  }
  write(Bytes(bytes.begin(), bytes.begin() + 3));
  app.settings = PersistedSettings{};
  loadSettings();
  EXPECT_EQ(encodeSettings(app.settings), encodeSettings(PersistedSettings{}));
}

TEST_F(SettingsFile, SaveRecordsTheDeviceAndTheRestoredWindow) {
  app.shell.startupComplete = 1;
  app.midi.currentDeviceId = 2;
  app.midi.deviceOpen = 0;
  plat::windowMove(30, 40, 400, 200, false);
  fake::script().minimised = true;
  saveSettings();
  PersistedSettings back;
  Bytes b = read();
  ASSERT_EQ(b.size(), 64u);
  decodeSettings(b.data(), b.size(), back);
  EXPECT_EQ(back.savedDeviceId, 2);
  EXPECT_EQ(back.openAtStart, 0);
  EXPECT_EQ(back.windowRect, (Rect{30, 40, 430, 240}));
  EXPECT_FALSE(fs::exists(file() + ".new"));
}

TEST_F(SettingsFile, FailuresLeaveTheOldFileWhole) {
  Bytes old = hex("15 33 99 12 01 00 00 00");
  write(old);
  app.shell.startupComplete = 1;
  // The new file cannot be written beside the old one.
  fs::create_directory(file() + ".new");
  saveSettings();
  EXPECT_EQ(read(), old);
  fs::remove(file() + ".new");

  // Start-up ended early: nothing the user chose is known, nothing is written.
  app.shell.startupComplete = 0;
  saveSettings();
  EXPECT_EQ(read(), old);

  EXPECT_FALSE(writeFileAtomically((dir_ + "/missing/dir/x").c_str(), old.data(), old.size()));
  app.shell.startupComplete = 1;
  saveSettings();
  EXPECT_EQ(read().size(), 64u);
}

TEST(SettingsPath, BuiltBesideTheBaseAndNeverOverflowing) {
  char path[260];
  EXPECT_TRUE(buildSettingsPath("C:\\Programs\\Plinkett\\plinkett.exe", path, sizeof path));
  EXPECT_STREQ(path, "C:\\Programs\\Plinkett\\PLINKETT.SET");
  EXPECT_TRUE(buildSettingsPath("/home/a/.config/plinkett/plinkett", path, sizeof path));
  EXPECT_STREQ(path, "/home/a/.config/plinkett/PLINKETT.SET");
  EXPECT_TRUE(buildSettingsPath("D:plinkett.exe", path, sizeof path));
  EXPECT_STREQ(path, "D:PLINKETT.SET");
  std::string deep = "/" + std::string(300, 'd') + "/plinkett";
  EXPECT_FALSE(buildSettingsPath(deep.c_str(), path, sizeof path));
  EXPECT_STREQ(path, "");
  std::string fits = "/" + std::string(245, 'd') + "/x";  // 247 + 12 + 1 = 260
  EXPECT_TRUE(buildSettingsPath(fits.c_str(), path, sizeof path));
}

// Whatever a damaged file holds, the program never sends a malformed word, never checks an item
// outside its group and never trips a sanitizer, through start-up, play, commands and shutdown.
TEST(SettingsContent, AnyValuesKeepTheProgramSound) {
  char tmpl[] = "/tmp/plinkett-fuzz-XXXXXX";
  std::string dir = mkdtemp(tmpl);
  std::minstd_rand random(20261208);
  const int32_t interesting[] = {0, 1, -1, 2, -2, 3, 4, -4, 5, 7, 15, 16, 127, 128, 255, 1000, -1000,
                                 INT32_MAX, INT32_MIN, INT32_MAX - 1, INT32_MIN + 1};
  const uint32_t floats[] = {0x7FC00000u /*NaN*/, 0x7F800000u /*inf*/, 0xFF800000u, 0x7F7FFFFFu, 0x3FC00000u,
                             0x40200000u /*2.5*/, 0x00000001u, 0xBF800000u /*-1*/, 0x4F000000u};
  for (int round = 0; round < 400; ++round) {
    fake::reset();
    fake::script().settingsBasePath = dir + "/plinkett";
    Bytes b(64);
    for (std::size_t i = 4; i < 64; i += 4) {
      uint32_t v = static_cast<uint32_t>(random()) * 2654435761u;
      if (random() % 2 == 0) v = static_cast<uint32_t>(interesting[random() % std::size(interesting)]);
      if (i == 12 && random() % 2 == 0) v = floats[random() % std::size(floats)];
      for (int k = 0; k < 4; ++k) b[i + k] = static_cast<uint8_t>(v >> (8 * k));
    }
    b[0] = 0x15; b[1] = 0x33; b[2] = 0x99; b[3] = 0x12;
    std::ofstream(dir + "/PLINKETT.SET", std::ios::binary).write(reinterpret_cast<const char*>(b.data()), 64);

    onCreate();
    plat::windowMove(0, 0, 700, 400, true);
    createControlBars();
    paintKeyboard();
    for (int32_t vk : {0, vk::kUp, vk::kDown, vk::kKeypadPlus, vk::kKeypadMinus, vk::kSpace, vk::kEnter, vk::kEscape}) {
      for (int32_t scan : {16, 44, 2, 53, 30}) {
        Modifiers m{random() % 2 == 0, random() % 2 == 0};
        handleKeyMessage(KeyMessage{false, vk, keyParamForScanCode(scan), m});
        handleKeyMessage(KeyMessage{true, vk, keyParamForScanCode(scan), m});
      }
    }
    handleMouseButton(false, (60u << 16) | 200u, {});
    handleMouseButton(true, 0, {});
    onVerticalScroll(plat::Bar::Velocity, kLineUp, 0);
    onVerticalScroll(plat::Bar::PitchBend, kThumbTrack, static_cast<uint16_t>(random() & 0xFFFFu));
    onModulationScroll(kPageDown, 0);
    for (int32_t id : {cmd::kShowControlBars, cmd::kZoomSmall, cmd::kDefaultSize, cmd::kTransposeUp2,
                       cmd::kLayoutChromatic, cmd::kShowFlats, cmd::kAlwaysOnTop, cmd::kFirstChannel + 5}) {
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
  }
  fs::remove_all(dir);
}

}  // namespace
