// Starting and closing the program as a user does, through the recording platform: what the
// window, the menu, the output device and the settings file show afterwards.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/help_path.h"
#include "app/main_window.h"
#include "app/window_placement.h"
#include "base/app_state.h"
#include "base/commands.h"
#include "fake/fake_platform.h"
#include "fake/scenario.h"
#include "platform/events.h"
#include "settings/settings_file.h"

namespace {

class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset();
    fake::script().settingsBasePath = dir_ + "/plinkett";
  }

  std::string settingsFile() const { return dir_ + "/PLINKETT.SET"; }
  bool settingsExist() const { return fake::world().files.count(settingsFile()) != 0; }

  void writeSettings(const PersistedSettings& s) {
    auto bytes = encodeSettings(s);
    fake::world().files[settingsFile()].assign(bytes.begin(), bytes.end());
  }

  std::vector<uint8_t> readSettings() const {
    auto it = fake::world().files.find(settingsFile());
    return it == fake::world().files.end() ? std::vector<uint8_t>{} : it->second;
  }

  static int32_t fieldAt(const std::vector<uint8_t>& b, std::size_t offset) {
    return static_cast<int32_t>(b[offset] | (b[offset + 1] << 8) | (b[offset + 2] << 16) |
                                (static_cast<uint32_t>(b[offset + 3]) << 24));
  }

  const std::string dir_ = "/home/player/.config/plinkett";
};

TEST_F(Startup, FirstStartWithoutSettingsFile) {
  onCreate();

  EXPECT_EQ(fake::callsOf("windowMove"),
            (std::vector<std::string>{"windowMove 100 100 400 200 repaint", "windowMove 100 100 400 200 repaint"}));
  EXPECT_EQ(fake::checkedIn(cmd::kZoomSmall, cmd::kZoomBig), std::vector<int32_t>{cmd::kZoomNormal});
  EXPECT_EQ(fake::checkedIn(cmd::kTransposeDown2, cmd::kTransposeUp2), std::vector<int32_t>{cmd::kNoTranspose});
  EXPECT_EQ(fake::checkedIn(cmd::kFirstChannel, cmd::kLastChannel), std::vector<int32_t>{cmd::kFirstChannel});
  EXPECT_EQ(fake::checkedIn(cmd::kLayoutPiano, cmd::kShowFlats), std::vector<int32_t>{cmd::kLayoutPiano});
  EXPECT_EQ(fake::checkedIn(cmd::kMapperDevice, cmd::kFirstDevice + 10), std::vector<int32_t>{cmd::kMapperDevice});
  EXPECT_FALSE(fake::isChecked(cmd::kAlwaysOnTop));
  EXPECT_FALSE(fake::isChecked(cmd::kShowControlBars));
  EXPECT_TRUE(fake::isChecked(cmd::kActive));
  EXPECT_EQ(fake::callsOf("midiOutOpen"), std::vector<std::string>{"midiOutOpen -1"});
  EXPECT_EQ(fake::sentTriples(), std::vector<std::string>{"C0 00 00"});
  EXPECT_EQ(fake::world().deviceItems,
            (std::vector<int32_t>{cmd::kMapperDevice, cmd::kFirstDevice, cmd::kFirstDevice + 1}));
  EXPECT_EQ(app.shell.startupComplete, 1);
}

TEST_F(Startup, CreationRunsItsStepsInOrder) {
  writeSettings(PersistedSettings{});
  onCreate();
  std::vector<std::string> calls = fake::world().calls;
  auto at = [&](const std::string& call) { return std::find(calls.begin(), calls.end(), call) - calls.begin(); };
  std::ptrdiff_t end = static_cast<std::ptrdiff_t>(calls.size());
  std::ptrdiff_t read = at("fileReadSmall " + settingsFile());
  std::ptrdiff_t timer = at("timerStart 1 50");
  std::ptrdiff_t fonts = at("fontCreate 16 5 700");
  std::ptrdiff_t count = at("midiOutCount");
  std::ptrdiff_t devices = at("menuAppendDevice 1999 MIDI Mapper");
  std::ptrdiff_t provisional = at("windowMove 100 100 400 200 repaint");
  std::ptrdiff_t open = at("midiOutOpen -1");
  for (std::ptrdiff_t i : {timer, fonts, count, devices, provisional, open}) ASSERT_LT(i, end);
  EXPECT_EQ(read, 0);
  EXPECT_EQ(calls[1], "fileReadSmall " + dir_ + "/PLINKETT.DEV") << "the device's name is read with the settings";
  EXPECT_EQ(timer, 2);
  EXPECT_LT(timer, fonts);
  EXPECT_LT(fonts, count);
  EXPECT_LT(count, devices);
  EXPECT_LT(devices, provisional);
  EXPECT_LT(provisional, open);
  // Between the final move and the device: the marks from the settings, in their order.
  std::vector<std::string> marks(calls.begin() + provisional + 2, calls.begin() + provisional + 10);
  EXPECT_EQ(marks, (std::vector<std::string>{"menuCheck 102 off", "menuCheck 103 off", "menuCheck 106 on",
                                             "menuCheck 113 off", "menuCheck 113 on", "menuCheck 500 on",
                                             "menuCheck 600 on", "menuCheck 603 off"}));
}

// Which Transpose item a stored transposition checks: 113 + transpose, or 113 + transpose / 4
// (truncating) under Chromatic; none when no item exists.
TEST_F(Startup, StoredTranspositionChecksItsItem) {
  struct Case {
    int32_t layout;
    int32_t transpose;
    std::vector<int32_t> checked;
  };
  const Case cases[] = {
      {0, -2, {cmd::kTransposeDown2}}, {1, 2, {cmd::kTransposeUp2}},  {0, 3, {}},
      {2, 4, {cmd::kTransposeUp1}},    {2, -4, {cmd::kTransposeDown1}}, {2, 3, {cmd::kNoTranspose}},
      {2, -7, {cmd::kTransposeDown1}}, {2, 12, {}},                    {0, INT32_MIN, {}},
      {2, INT32_MAX, {}},
  };
  for (const Case& c : cases) {
    PersistedSettings s;
    s.layout = c.layout;
    s.transpose = c.transpose;
    writeSettings(s);
    fake::restart();
    fake::script().settingsBasePath = dir_ + "/plinkett";
    onCreate();
    EXPECT_EQ(fake::checkedIn(cmd::kTransposeDown2, cmd::kTransposeUp2), c.checked)
        << "layout " << c.layout << " transpose " << c.transpose;
    EXPECT_EQ(app.settings.transpose, c.transpose);
    EXPECT_EQ(fake::itemText(cmd::kTransposeUp1), c.layout == 2 ? "4 Up" : "1 Up");
  }
}

TEST_F(Startup, SettingsShapeTheMenuAndPlacement) {
  PersistedSettings s;
  s.alwaysOnTop = 5;
  s.zoom = 2.5f;
  s.layout = 2;
  s.transpose = -4;
  s.channel = 9;
  s.windowRect = Rect{200, 150, 700, 450};
  writeSettings(s);
  onCreate();

  // Topmost before the final move.
  std::vector<std::string>& calls = fake::world().calls;
  auto topmost = std::find(calls.begin(), calls.end(), "windowSetTopmost on");
  auto finalMove = std::find(calls.begin(), calls.end(), "windowMove 200 150 500 300 repaint");
  ASSERT_NE(topmost, calls.end());
  ASSERT_NE(finalMove, calls.end());
  EXPECT_LT(topmost, finalMove);
  EXPECT_TRUE(fake::isChecked(cmd::kAlwaysOnTop));
  EXPECT_EQ(fake::checkedIn(cmd::kZoomSmall, cmd::kZoomBig), std::vector<int32_t>{cmd::kZoomBig});
  EXPECT_FLOAT_EQ(app.settings.zoom, 2.5f);
  EXPECT_EQ(fake::checkedIn(cmd::kTransposeDown2, cmd::kTransposeUp2), std::vector<int32_t>{cmd::kTransposeDown1});
  EXPECT_EQ(fake::itemText(cmd::kTransposeUp1), "4 Up");
  EXPECT_EQ(fake::itemText(cmd::kTransposeDown1), "4 Down");
  EXPECT_EQ(fake::itemText(cmd::kTransposeUp2), "Not available");
  EXPECT_TRUE(fake::isGrayed(cmd::kTransposeDown2));
  EXPECT_EQ(fake::checkedIn(cmd::kFirstChannel, cmd::kLastChannel), std::vector<int32_t>{cmd::kFirstChannel + 9});
  EXPECT_EQ(fake::sentTriples(), std::vector<std::string>{"C9 00 00"});

  // Always on Top with a stored 5 switches it off.
  dispatchCommand(cmd::kAlwaysOnTop);
  EXPECT_EQ(app.settings.alwaysOnTop, 0);
  EXPECT_FALSE(fake::isChecked(cmd::kAlwaysOnTop));
  EXPECT_FALSE(fake::world().topmost);
}

TEST_F(Startup, DamagedValuesCheckNothingOutsideTheirGroups) {
  PersistedSettings s;
  s.layout = 7;
  s.transpose = 9;
  s.channel = -3;
  s.program = 900;
  writeSettings(s);
  onCreate();
  EXPECT_TRUE(fake::checkedIn(cmd::kTransposeDown2, cmd::kTransposeUp2).empty());
  EXPECT_TRUE(fake::checkedIn(cmd::kFirstChannel, cmd::kLastChannel).empty());
  EXPECT_TRUE(fake::checkedIn(cmd::kLayoutPiano, cmd::kLayoutChromatic).empty());
  for (const std::string& call : fake::callsOf("menuCheck")) {
    int id = std::atoi(call.c_str() + 10);
    EXPECT_TRUE(fake::world().menu.count(id) == 1) << call;
  }
  for (uint32_t word : fake::world().sent) EXPECT_EQ(word & 0x808000u, 0u) << fake::triple(word);
}

TEST_F(Startup, NoDeviceEndsStartWithoutTouchingTheFile) {
  writeSettings(PersistedSettings{});
  std::vector<uint8_t> before = readSettings();
  fake::script().deviceCount = 0;
  onCreate();

  std::vector<std::string> calls = fake::world().calls;
  auto beep = std::find(calls.begin(), calls.end(), "beep error");
  auto box = std::find(calls.begin(), calls.end(), "messageBox error-ok There is no\\n MIDI output devices");
  auto destroy = std::find(calls.begin(), calls.end(), "windowDestroy");
  ASSERT_NE(beep, calls.end());
  EXPECT_EQ(beep + 1, box);
  EXPECT_EQ(box + 1, destroy);
  EXPECT_TRUE(fake::world().quitPosted);
  EXPECT_EQ(fake::world().exitCode, 0);
  EXPECT_TRUE(fake::callsOf("menuAppendDevice").empty());
  EXPECT_EQ(readSettings(), before);
}

TEST_F(Startup, NoDeviceOnAFirstStartLeavesNoFileAndStopsAtTheBox) {
  fake::script().deviceCount = 0;
  onCreate();
  EXPECT_TRUE(fake::world().destroyed);
  EXPECT_EQ(fake::callsOf("postQuit"), std::vector<std::string>{"postQuit 0"});
  EXPECT_EQ(fake::callsOf("timerStop"), std::vector<std::string>{"timerStop 1"});
  EXPECT_TRUE(fake::callsOf("windowMove").empty());
  EXPECT_TRUE(fake::callsOf("midiOutOpen").empty());
  EXPECT_TRUE(fake::world().liveFonts.empty());
  EXPECT_EQ(fake::checkedIn(0, 30000), std::vector<int32_t>{cmd::kNoTranspose});
  EXPECT_EQ(app.shell.startupComplete, 0);
  EXPECT_FALSE(settingsExist());
  // The front end's later close finds the shutdown already done.
  onDestroy();
  EXPECT_EQ(fake::callsOf("postQuit").size(), 1u);
}

TEST_F(Startup, TimerBoxRetriesUntilStartedOrCancelled) {
  fake::script().timerFailures = 2;
  fake::script().boxAnswers = {plat::BoxAnswer::Retry, plat::BoxAnswer::Retry};
  onCreate();
  EXPECT_EQ(fake::callsOf("timerStart").size(), 3u);
  EXPECT_EQ(fake::callsOf("messageBox").size(), 2u);
  EXPECT_EQ(app.shell.startupComplete, 1);

  fake::restart();
  fake::script().settingsBasePath = dir_ + "/plinkett";
  fake::script().timerFailures = 1;
  onCreate();  // no answer scripted: Cancel
  EXPECT_EQ(fake::callsOf("messageBox"),
            std::vector<std::string>{"messageBox warning-retry-cancel Too many clocks or timers!"});
  EXPECT_TRUE(fake::callsOf("fontCreate").empty());
  EXPECT_TRUE(fake::callsOf("midiOutCount").empty());
  EXPECT_TRUE(fake::checkedIn(cmd::kFirstChannel, cmd::kLastChannel).empty());
  EXPECT_TRUE(fake::callsOf("windowMove").empty());
  EXPECT_TRUE(fake::world().deviceItems.empty());
  EXPECT_EQ(fake::checkedIn(0, 30000), std::vector<int32_t>{cmd::kNoTranspose});
  EXPECT_EQ(app.shell.startupComplete, 0);
  plat::windowClose();
  EXPECT_FALSE(settingsExist());
  EXPECT_TRUE(fake::world().quitPosted);
  EXPECT_TRUE(fake::callsOf("midiOutSend").empty());
}

TEST_F(Startup, ClosingWithTheDeviceOpenSavesThenSilencesAllChannels) {
  onCreate();
  fake::clearLog();
  dispatchCommand(cmd::kExit);

  std::vector<uint8_t> bytes = readSettings();
  ASSERT_EQ(bytes.size(), 64u);
  EXPECT_EQ(fieldAt(bytes, 36), -1);
  EXPECT_EQ(fieldAt(bytes, 40), 1);
  std::vector<std::string> expected;
  for (int c = 0; c < 16; ++c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "B%X 7B 00", c);
    expected.push_back(buf);
  }
  EXPECT_EQ(fake::sentTriples(), expected);
  // The order of the whole shutdown: help viewer, (file), all notes off, close, fonts, timer, quit.
  std::vector<std::string> calls = fake::world().calls;
  auto help = std::find(calls.begin(), calls.end(), "helpQuit " + std::string(app.shell.helpPath));
  auto close = std::find(calls.begin(), calls.end(), "midiOutClose");
  auto fonts = std::find_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("fontDelete", 0) == 0; });
  auto timer = std::find(calls.begin(), calls.end(), "timerStop 1");
  auto quit = std::find(calls.begin(), calls.end(), "postQuit 0");
  EXPECT_LT(help, close);
  EXPECT_LT(close, fonts);
  EXPECT_LT(fonts, timer);
  EXPECT_LT(timer, quit);
  EXPECT_NE(quit, calls.end());
  EXPECT_TRUE(fake::world().liveFonts.empty());
  EXPECT_TRUE(fake::world().openPorts.empty());
  // Exit's own repaint comes last, after the window is gone; the shutdown ran once.
  EXPECT_EQ(calls.back(), "invalidateClient");
  onDestroy();
  EXPECT_EQ(fake::callsOf("postQuit").size(), 1u);
  EXPECT_EQ(fake::callsOf("helpQuit").size(), 1u);

  // The next start opens the same device again.
  fake::restart();
  fake::script().settingsBasePath = dir_ + "/plinkett";
  onCreate();
  EXPECT_TRUE(fake::isChecked(cmd::kActive));
}

TEST_F(Startup, AnAbruptEndSilencesTheOpenPortWithoutTouchingTheWindow) {
  onCreate();
  fake::clearLog();
  onAbruptEnd();
  std::vector<std::string> expected;
  for (int c = 0; c < 16; ++c) expected.push_back(std::string("midiOutSend B") + "0123456789ABCDEF"[c] + " 7B 00");
  expected.push_back("midiOutClose");
  EXPECT_EQ(fake::world().calls, expected);
  // After a whole shutdown there is nothing left to silence.
  plat::windowClose();
  fake::clearLog();
  onAbruptEnd();
  EXPECT_TRUE(fake::world().calls.empty());
}

TEST_F(Startup, ClosingWithTheDeviceClosedRemembersTheChoiceWithoutOpening) {
  onCreate();
  dispatchCommand(cmd::kFirstDevice + 1);  // device 1
  dispatchCommand(cmd::kActive);           // and close it
  fake::clearLog();
  plat::windowClose();
  std::vector<uint8_t> bytes = readSettings();
  ASSERT_EQ(bytes.size(), 64u);
  EXPECT_EQ(fieldAt(bytes, 36), 1);
  EXPECT_EQ(fieldAt(bytes, 40), 0);
  EXPECT_TRUE(fake::world().sent.empty());

  fake::restart();
  fake::script().settingsBasePath = dir_ + "/plinkett";
  onCreate();
  EXPECT_FALSE(fake::isChecked(cmd::kActive));
  EXPECT_EQ(fake::checkedIn(cmd::kMapperDevice, cmd::kFirstDevice + 10), std::vector<int32_t>{cmd::kFirstDevice + 1});
  EXPECT_TRUE(fake::callsOf("midiOutOpen").empty());
}

TEST_F(Startup, MinimisedOrLostWindowsComeBackWithinReach) {
  onCreate();
  dispatchCommand(cmd::kExit);
  // While minimised, the restored rectangle is what is kept.
  fake::restart();
  fake::script().settingsBasePath = dir_ + "/plinkett";
  onCreate();
  fake::script().minimised = true;
  plat::windowClose();
  std::vector<uint8_t> bytes = readSettings();
  ASSERT_EQ(bytes.size(), 64u);
  EXPECT_EQ(fieldAt(bytes, 16), 100);
  EXPECT_EQ(fieldAt(bytes, 28), 300);

  // A rectangle on a monitor that is gone lands on the primary screen with its size.
  PersistedSettings s;
  s.windowRect = Rect{3000, 200, 3500, 500};
  writeSettings(s);
  fake::restart();
  fake::script().settingsBasePath = dir_ + "/plinkett";
  onCreate();
  EXPECT_EQ(fake::callsOf("windowMove").back(), "windowMove 100 100 500 300 repaint");

  // Extreme stored edges neither overflow nor leave the window unreachable.
  s.windowRect = Rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  writeSettings(s);
  fake::restart();
  fake::script().settingsBasePath = dir_ + "/plinkett";
  onCreate();
  EXPECT_EQ(fake::callsOf("windowMove").back(), "windowMove 100 100 400 200 repaint");
}

// Where a saved rectangle lands, given the screens' work areas (the primary one first).
TEST(WindowPlacement, SavedRectanglesStayUnlessOutOfReach) {
  struct Case {
    const char* what;
    Rect saved;
    Rect placed;
  };
  const Case cases[] = {
      {"on the primary screen", {200, 150, 700, 450}, {200, 150, 700, 450}},
      {"on the second screen", {-1500, 100, -1000, 400}, {-1500, 100, -1000, 400}},
      {"mostly off the right edge, caption still reachable", {1800, 500, 2300, 800}, {1800, 500, 2300, 800}},
      {"frame a few pixels above the top edge", {300, -8, 800, 292}, {300, -8, 800, 292}},
      {"on a screen that is gone", {5000, 200, 5500, 500}, {100, 100, 600, 400}},
      {"caption above every screen", {300, -100, 800, 200}, {100, 100, 600, 400}},
      {"only a sliver at the right edge", {1910, 500, 2410, 800}, {100, 100, 600, 400}},
      {"caption below the bottom edge", {300, 1075, 800, 1375}, {100, 100, 600, 400}},
      {"larger than the screen", {-5000, -5000, 5000, 5000}, {0, 0, 1920, 1080}},
      {"no width", {300, 300, 300, 600}, {100, 100, 500, 300}},
      {"inside out", {700, 450, 200, 150}, {100, 100, 500, 300}},
      {"extreme edges", {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {100, 100, 500, 300}},
      {"beyond what a window can be", {0, 0, 40000, 300}, {100, 100, 500, 300}},
      // The edges of reach: 48 caption pixels across, half of the 24-pixel caption strip.
      {"48 pixels of caption at the right edge", {1872, 500, 2372, 800}, {1872, 500, 2372, 800}},
      {"47 pixels of caption at the right edge", {1873, 500, 2373, 800}, {100, 100, 600, 400}},
      {"half the caption strip above the top", {300, -12, 800, 288}, {300, -12, 800, 288}},
      {"more than half above the top", {300, -13, 800, 287}, {100, 100, 600, 400}},
      {"half the caption strip below the bottom", {300, 1068, 800, 1368}, {300, 1068, 800, 1368}},
      {"more than half below the bottom", {300, 1069, 800, 1369}, {100, 100, 600, 400}},
  };
  for (const Case& c : cases) {
    fake::reset();
    fake::script().workAreas = {Rect{0, 0, 1920, 1080}, Rect{-1920, 0, 0, 1080}};
    EXPECT_EQ(reachableWindowRect(c.saved), c.placed) << c.what;
  }
  // A small primary area: the size is limited to it and it lands at its corner.
  fake::reset();
  fake::script().workAreas = {Rect{10, 20, 810, 620}};
  EXPECT_EQ(reachableWindowRect(Rect{3000, 0, 4000, 1000}), (Rect{10, 20, 810, 620}));
  // Nothing known about the screens: the place is kept, a damaged size is not.
  fake::script().workAreas.clear();
  EXPECT_EQ(reachableWindowRect(Rect{5000, 200, 5500, 500}), (Rect{5000, 200, 5500, 500}));
  EXPECT_EQ(reachableWindowRect(Rect{INT32_MAX - 10, 0, INT32_MIN, 5}), (Rect{INT32_MAX - 10, 0, INT32_MAX, 200}));
}

TEST(HelpPath, DirectoryLengthDecidesBetweenFileAndQuestionMark) {
  auto helpFor = [](const std::string& exe) {
    fake::reset();
    fake::script().executablePath = exe;
    buildHelpPath(app.shell.helpPath, sizeof app.shell.helpPath);
    return std::string(app.shell.helpPath);
  };
  EXPECT_EQ(helpFor("C:\\Plinkett\\plinkett.exe"), "C:\\Plinkett\\plinkett.hlp");
  std::string dir115 = "C:\\" + std::string(111, 'd') + "\\";  // 115 characters with the separator
  ASSERT_EQ(dir115.size(), 115u);
  EXPECT_EQ(helpFor(dir115 + "p.exe"), dir115 + "plinkett.hlp");
  std::string dir116 = "C:\\" + std::string(112, 'd') + "\\";
  EXPECT_EQ(helpFor(dir116 + "p.exe"), dir116 + "?");
  // A path cut at the read limit: the kept text, "?" and the terminator still fit the buffer.
  std::string dir127 = "C:\\" + std::string(123, 'd') + "\\";
  EXPECT_EQ(helpFor(dir127 + "plinkett.exe"), dir127 + "?");
  EXPECT_EQ(helpFor(std::string(400, 'x')), std::string(127, 'x') + "?");
  EXPECT_EQ(helpFor("/usr/bin/plinkett"), "/usr/bin/plinkett.hlp");
}

}  // namespace
