#include "platform/events.h"

#include <array>
#include <cstddef>

#include "base/commands.h"
#include "base/short_message.h"
#include "keyboard/transpose.h"

namespace {

constexpr int32_t kProgramFamilies = 16;
constexpr int32_t kProgramsPerFamily = 8;

// General MIDI order; the spellings are the program's own.
constexpr const char* kFamilyNames[kProgramFamilies] = {
    "Piano", "Chromatic Perc", "Organ", "Guitar", "Bass", "Strings", "Ensemble", "Brass",
    "Reed", "Pipe", "Synth Lead", "Synth Pad", "Synth Effects", "Ethnic", "Percussive", "Sound Effects",
};

constexpr const char* kProgramNames[kProgramFamilies][kProgramsPerFamily] = {
    {"Ac Gr Piano", "Br Ac Piano", "El Gr Piano", "Honky Piano", "El Piano 1", "El Piano 2", "Harpsichord", "Clavinet"},
    {"Celesta", "Glockenspiel", "Music Box", "Vibraphone", "Marimba", "Xylophone", "Tubular Bells", "Dulcimer"},
    {"Draw Organ", "Perc Organ", "Rock Organ", "Church Organ", "Reed Organ", "Accordion", "Harmonica", "Tango Acordion"},
    {"Ac Guit Nyl", "Ac Guit Steel", "El Guit Jazz", "El Guit Clean", "El Guit Mute", "Overdr Guit", "Dist Guit", "Guit Harmonics"},
    {"Ac Bass", "El Bass Fing", "El Bass Pick", "Fretless Bass", "Slap Bass 1", "Slap Bass 2", "Synth Bass 1", "Synth Bass 2"},
    {"Violin", "Viola", "Cello", "Contrabass", "Trem Strings", "Pizz Strings", "Orch Harp", "Timpani"},
    {"String Ens 1", "String Ens 2", "Syn String 1", "Syn String 2", "Choir Aahs", "Voice Oohs", "Synth Voice", "Orch Hit"},
    {"Trumpet", "Trombone", "Tuba", "Muted Trpt", "French Horn", "Brass Section", "SynthBrass 1", "SynthBrass 2"},
    {"Soprano Sax", "Alto Sax", "Tenor Sax", "Baritone Sax", "Oboe", "English Horn", "Bassoon", "Clarinet"},
    {"Piccolo", "Flute", "Recorder", "Pan Flute", "Blown Bottle", "Shakuhachi", "Whistle", "Ocarina"},
    {"Lead 1 square", "Lead 2 sawtooth", "Lead 3 calliope", "Lead 4 chiff", "Lead 5 charang", "Lead 6 voice", "Lead 7 fifths", "Lead 8 bass+lead"},
    {"Pad 1 new age", "Pad 2 warm", "Pad 3 polysynth", "Pad 4 choir", "Pad 5 bowed", "Pad 6 metallic", "Pad 7 halo", "Pad 8 sweep"},
    {"FX 1 rain", "FX 2 soundtrack", "FX 3 crystal", "FX 4 atmosphere", "FX 5 brightness", "FX 6 golblins", "FX 7 echoes", "FX 8 sci-fi"},
    {"Sitar", "Banjo", "Shamisen", "Koto", "Kalimba", "Bag pipe", "Fiddle", "Shanai"},
    {"Tinkle Bell", "Agogo", "Steel Drums", "Woodblock", "Taiko Drum", "Melodic Tom", "Synth Drum", "Reverse Cymbal"},
    {"Guit Fret Noise", "Breath Noise", "Seashore", "Bird Tweet", "Telephone Ring", "Helicopter", "Applause", "Gunshot"},
};

constexpr const char* kChannelNames[kMidiChannels] = {"1", "2", "3", "4", "5", "6", "7", "8",
                                           "9", "10", "11", "12", "13", "14", "15", "16"};

constexpr MenuEntry popup(int32_t depth, const char* text) { return MenuEntry{depth, MenuKind::Popup, 0, text, false, false}; }
// The popup that the device items are appended to at start-up.
constexpr MenuEntry devicesPopup(const char* text) { return MenuEntry{0, MenuKind::Popup, 0, text, false, true}; }
constexpr MenuEntry item(int32_t depth, int32_t id, const char* text, bool checked = false) {
  return MenuEntry{depth, MenuKind::Item, id, text, checked, false};
}
constexpr MenuEntry separator(int32_t depth) { return MenuEntry{depth, MenuKind::Separator, 0, nullptr, false, false}; }

// Rows before the Transpose items, and after the Channel items.
constexpr MenuEntry kHead[] = {
    popup(0, "&File"),
      item(1, cmd::kExit, "E&xit"),
    devicesPopup("&Devices"),
      item(1, cmd::kActive, "&Active"),
      separator(1),
    popup(0, "&Midi"),
      popup(1, "&Transpose"),
};

constexpr MenuEntry kTail[] = {
    item(1, cmd::kReset, "&Reset"),
    popup(0, "&Window"),
      item(1, cmd::kAlwaysOnTop, "&Always on Top"),
      popup(1, "&Keyboard Layout"),
        item(2, cmd::kLayoutPiano, "&Piano"),
        item(2, cmd::kLayoutAccordion, "&Accordion"),
        item(2, cmd::kLayoutChromatic, "&Chromatic"),
      item(1, cmd::kShowFlats, "S&how as flats"),
      item(1, cmd::kShowControlBars, "&Show Control Bars"),
      item(1, cmd::kDefaultSize, "&Default Size"),
      popup(1, "&Zoom Keyboard"),
        item(2, cmd::kZoomBig, "&Big"),
        item(2, cmd::kZoomNormal, "&Normal"),
        item(2, cmd::kZoomSmall, "&Small"),
    popup(0, "&Help"),
      item(1, cmd::kHelpIndex, "&Index"),
      item(1, cmd::kHelpUsing, "&Using help"),
      separator(1),
      item(1, cmd::kWebSite, "&Quillor Web Site..."),
      separator(1),
      item(1, cmd::kAbout, "&About"),
};

constexpr std::size_t kHeadRows = std::size(kHead);
constexpr std::size_t kTransposeRows = std::size(kTransposeItems);
constexpr std::size_t kProgramRows = 1 + kProgramFamilies * (1 + kProgramsPerFamily);
constexpr std::size_t kChannelRows = 1 + std::size(kChannelNames);
constexpr std::size_t kTailRows = std::size(kTail);
constexpr std::size_t kMenuRows = kHeadRows + kTransposeRows + kProgramRows + kChannelRows + kTailRows;

static_assert(cmd::kFirstProgram + kProgramFamilies * kProgramsPerFamily - 1 == cmd::kLastProgram);
static_assert(cmd::kFirstChannel + static_cast<int32_t>(std::size(kChannelNames)) - 1 == cmd::kLastChannel);

// The Transpose, Program and Channel submenus are generated from their tables, so the texts live
// once.
constexpr std::array<MenuEntry, kMenuRows> buildMenu() {
  std::array<MenuEntry, kMenuRows> rows{};
  std::size_t n = 0;
  for (const MenuEntry& e : kHead) rows[n++] = e;
  // Highest transposition on top; "No Transpose" is checked at first.
  for (std::size_t k = kTransposeRows; k-- > 0;) {
    const TransposeItem& t = kTransposeItems[k];
    rows[n++] = item(2, t.id, t.text, t.id == cmd::kNoTranspose);
  }
  rows[n++] = popup(1, "&Program");
  for (int32_t f = 0; f < kProgramFamilies; ++f) {
    rows[n++] = popup(2, kFamilyNames[f]);
    for (int32_t k = 0; k < kProgramsPerFamily; ++k) {
      rows[n++] = item(3, cmd::kFirstProgram + kProgramsPerFamily * f + k, kProgramNames[f][k]);
    }
  }
  rows[n++] = popup(1, "&Channel");
  for (int32_t c = 0; c < kMidiChannels; ++c) rows[n++] = item(2, cmd::kFirstChannel + c, kChannelNames[c]);
  for (const MenuEntry& e : kTail) rows[n++] = e;
  return rows;
}

constexpr std::array<MenuEntry, kMenuRows> kMenu = buildMenu();

}  // namespace

std::span<const MenuEntry> menuTable() { return kMenu; }
