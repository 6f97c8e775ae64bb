// The recording platform: a complete back end of platform.h for tests. It keeps a model of what
// a real window system would hold (menu marks and texts, window rectangle, bars, open ports),
// records every call in order as one line of text, and takes its answers from a script that a
// test sets up before it drives the core.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fake {

// A MIDI device of the scripted system. Two devices may share a name; what tells them apart
// is the identity (the name when empty), as a system's full port name does.
struct FakeDevice {
  std::string name;
  std::string identity;
};

struct Script {
  // MIDI devices: numbered devices 0..deviceCount-1 named "Synth n", plus the mapper when
  // mapperPresent; or, when devices is set, those in that order. A test changes them to make
  // devices come and go; the platform sees the change at its next midiOutCount.
  int32_t deviceCount = 2;
  std::vector<FakeDevice> devices;
  bool mapperPresent = true;
  std::set<int32_t> failingOpens;  // device ids whose opening fails
  // Timer starts that fail before one succeeds.
  int32_t timerFailures = 0;
  // Answers to message boxes, in order; when empty an OK box answers Ok and a Retry/Cancel box
  // answers Cancel.
  std::vector<plat::BoxAnswer> boxAnswers;
  // Frame sizes: outer size = client size + these (the menu bar counts in the height).
  int32_t frameWidth = 16;
  int32_t frameHeight = 39;
  int32_t menuHeight = 19;
  // "M" in the default interface font; a created font of width w and height h measures
  // "M" as (2w + 1) x h, so the default cell 10 x 16 gives the normal key cell 11 x 16.
  plat::TextSize systemM{10, 16};
  // The display's scale: fonts are made this much bigger (truncated), as a scaled display makes
  // them, while the default interface font keeps its unscaled cell.
  double fontScale = 1.0;
  std::vector<Rect> workAreas{Rect{0, 0, 1920, 1080}};
  std::string executablePath = "C:\\Programs\\Plinkett\\plinkett.exe";
  std::string settingsBasePath;  // empty: same as executablePath
  std::string settingsFallbackBasePath;  // empty: none
  bool minimised = false;  // windowRect() then reports the minimised rectangle below
  bool failReplace = false;  // fileReplace fails, as on a full disk: the old bytes stay
  bool recordCalls = true;   // false: keep the model only, no call log (fast, for long runs)
  Rect minimisedRect{-32000, -32000, -31840, -31972};
};

struct MenuItemState {
  std::string text;
  bool checked = false;
  bool grayed = false;
};

struct BarState {
  bool exists = false;
  bool vertical = false;
  int32_t minimum = 0;
  int32_t maximum = 0;
  int32_t position = 0;
  std::string tip;
  bool visible = true;
  Rect place{0, 0, 0, 0};  // x, y, x + width, y + height
};

struct World {
  std::vector<std::string> calls;        // every platform call, in order
  std::vector<uint32_t> sent;            // every word that reached an open port
  std::vector<plat::MidiHandle> sentTo;  // the port each word of sent reached
  std::map<int32_t, MenuItemState> menu; // items by command id, built from the menu table
  std::vector<int32_t> deviceItems;      // ids appended to the Devices popup, in order
  std::map<plat::MidiHandle, FakeDevice> openPorts;  // and the device each was opened on
  std::vector<FakeDevice> listed;        // the latest count, as the ids number it
  bool counted = false;                  // a count was taken; until then the script counts
  int32_t sendsOnClosedPort = 0;         // a fault: the core sent through a closed handle
  Rect window{0, 0, 0, 0};               // outer rectangle, screen coordinates
  bool topmost = false;
  bool destroyed = false;
  bool quitPosted = false;
  int32_t exitCode = -1;
  bool timerRunning = false;
  bool captured = false;
  std::set<plat::Font> liveFonts;
  std::map<plat::Surface, plat::Font> selectedFont;  // of the surfaces not yet released
  int32_t liveSurfaces = 0;
  BarState bars[3];
  plat::Font nextFont = 1;
  plat::Surface nextSurface = 1;
  plat::MidiHandle nextHandle = 100;    // handles given out, never 0 and never reused
  std::map<plat::Font, plat::TextSize> fontSizes;  // width, height given at creation
  std::map<std::string, std::vector<uint8_t>> files;  // the disk, by path
  int64_t largestCoordinate = 0;  // largest |x| or |y| of any rectangle, bar or window place given
};

Script& script();
World& world();

// A fresh world and script, and a fresh AppState (black keys back to sharps).
void reset();
// The same, but the files stay: the next start of the program on the same machine.
void restart();

// Lines of world().calls whose first word is op.
std::vector<std::string> callsOf(const std::string& op);
// Drops the recorded calls and words (the model stays), to look at what comes next.
void clearLog();
// The words sent so far, as "90 3C 64" style triples (status, data1, data2) for readable tests.
std::vector<std::string> sentTriples();
std::string triple(uint32_t word);

bool isChecked(int32_t commandId);
std::string itemText(int32_t commandId);
bool isGrayed(int32_t commandId);
// Ids of the checked items among [first, last].
std::vector<int32_t> checkedIn(int32_t first, int32_t last);

}  // namespace fake
