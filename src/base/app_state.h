// The program's one state record. Everything the program knows lives here, grouped by the
// subsystem that owns it; there is exactly one instance, `app`, for the program's whole life.
#pragma once

#include <cstdint>
#include <string>

#include "base/short_message.h"
#include "platform/platform.h"

// The window's rectangle on a first start (outer, screen pixels): the settings file's default,
// the provisional placement during creation, and where a window out of reach comes back to.
constexpr Rect kFirstWindowRect{100, 100, 500, 300};

// Fields stored in the settings file, in the file's order. Values from a file are kept as read;
// the rules that keep any stored value harmless are listed in settings/settings_ranges.h.
struct PersistedSettings {
  int32_t alwaysOnTop = 0;       // nonzero: main window kept above others
  int32_t showControlBars = 0;   // nonzero: the three control bars are shown
  float zoom = 2.0f;             // key grid scale: 1.5, 2.0 or 3.0 as written by us
  Rect windowRect = kFirstWindowRect;  // outer window rectangle, screen pixels
  int32_t transpose = 0;         // octaves added to every key: -2..2, or -4/0/4 in Chromatic
  int32_t savedDeviceId = -1;    // device to open at start: -1 mapper, n numbered device
  int32_t openAtStart = 1;       // nonzero: open that device during start-up
  int32_t channel = 0;           // MIDI channel 0..15 (menu items "1".."16")
  int32_t program = 0;           // General MIDI program 0..127
  int32_t velocity = 100;        // note-on velocity 1..127
  int32_t layout = 0;            // LayoutId: 0 Piano, 1 Accordion, 2 Chromatic
  int32_t showFlats = 0;         // nonzero: black keys labelled with flats
};

struct ShellState {
  static constexpr int32_t kHelpPathSize = 130;   // 128 for the path read, room for "?" + NUL
  char helpPath[kHelpPathSize] = {};          // help file beside the executable
  // The settings file, built once at creation, as long as the system's path allows; empty when
  // there is none (the file is then neither read nor written).
  std::string settingsPath;
  std::string deviceNamePath;  // its companion, the saved device's name, beside it
  // Set when the creation sequence ran to its end. Shutdown writes the settings file only then,
  // so an early end (no device, timer box cancelled) never overwrites what the user chose.
  int32_t startupComplete = 0;
  int32_t shutdownDone = 0;   // the shutdown sequence runs at most once
};

struct MidiState {
  int32_t currentDeviceId = -1;   // device in use or to be opened: -1 mapper
  // The name of the device the user chose, as the Devices menu showed it, to find it again when
  // numbers move; empty for the mapper and for a device known by its number only.
  char deviceName[plat::kDeviceNameSize] = {};
  int32_t deviceOpen = 0;         // 1 while port is open; mirrored by the mark of "&Active"
  int32_t deviceCount = 0;        // numbered output devices in the latest count
  int32_t mapperItemPresent = 0;  // 1 when the Devices menu has the mapper item (1999)
  plat::MidiHandle port = 0;      // the one output port, while deviceOpen
  int32_t soundingNotes[kMidiNotes] = {};  // 1: this program switched the note on and not yet off
};

struct PressPoint {
  uint16_t x = 0;  // client pixels of the last left-button press
  uint16_t y = 0;
};

struct InputState {
  int32_t sustainLatch = 0;      // Space press sent sustain-on; cleared by the Space release
  int32_t allNotesOffLatch = 0;  // Enter press acted; cleared by an Enter release with a port open
  int32_t panicLatch = 0;        // Esc press acted; cleared by the Esc release
  PressPoint pressPoint;
  int32_t mouseCaptured = 0;     // between our left-button press and our release of the capture
  int32_t pressedScan = -1;      // the key our held press hit (-1: none), released whatever the
                                 // geometry has become by the release
};

struct KeyGeometry {
  int16_t systemCharWidth = 0;   // "M" in the default interface font, pixels
  int16_t systemCharHeight = 0;
  int32_t charWidth = 0;         // "M" in the normal key font: the grid's horizontal unit
  int32_t charHeight = 0;        // ... and its vertical unit
  uint16_t clientWidth = 0;      // last client size received
  uint16_t clientHeight = 0;
  int32_t barThickness = 0;      // pixels per control bar; 0 while the bars are off
  int32_t originX = 0;           // client x of grid column 0
  int32_t originY = 0;           // client y of grid row 0
};

struct KeyFonts {
  plat::Font small = 0;   // labels at zoom 1.5
  plat::Font normal = 0;  // labels at zoom 2.0 (and any zoom not offered by the menu)
  plat::Font big = 0;     // labels at zoom 3.0
};

// The texts on the black keys, as shown now: sharps, or flats (Db Eb Gb Ab Bb). Every black slot of
// every layout points at one of these five, so relabelling them relabels all three layouts at once.
struct KeyLabels {
  char black[5][3] = {"C#", "D#", "F#", "G#", "A#"};  // C#, D#, F#, G#, A# and their flats
};

struct BarsState {
  int32_t modulation = 0;   // modulation wheel 0..127; not stored
  int32_t created = 0;      // 1 once the three bars exist
};

struct AppState {
  PersistedSettings settings;
  ShellState shell;
  MidiState midi;
  InputState input;
  KeyGeometry geometry;
  KeyFonts fonts;
  KeyLabels labels;
  BarsState bars;
};

extern AppState app;

// Back to the state of a fresh process (tests start from here).
void resetAppState();
