// A randomised soak of the whole core on the recording platform: hundreds of thousands of random
// events (keys with any scan code, repeat bit and modifiers; mouse buttons anywhere; every
// command and stray ones; scroll requests; size notifications; paints; focus and capture losses;
// device opens that fail) on random settings files, with the program's promises checked after
// every event. Reproducible: the seed is printed, and `--seed S` runs the same events again.
//
//   core_soak [--seed S] [--seconds T | --events N]
//
// Exit status 0 when every invariant held; 1 with the seed, event number and broken promise.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/commands.h"
#include "base/short_message.h"
#include "display/rect.h"
#include "fake/fake_platform.h"
#include "midi/devices.h"
#include "platform/events.h"
#include "settings/settings_file.h"

namespace {

using Random = std::mt19937_64;

const char* const kSettingsBase = "/soak/plinkett";
const char* const kSettingsPath = "/soak/PLINKETT.SET";

struct Options {
  uint64_t seed = 0;
  double seconds = 3.0;
  uint64_t events = 0;  // 0: run for the seconds given
};

// What the word stream says: the notes switched on and not yet off.
struct Heard {
  bool on[kMidiNotes] = {};
};

struct Run {
  Random random;
  Heard heard;
  uint64_t event = 0;
  std::string lastEvent;
  std::vector<int32_t> keysDown;  // scan codes pressed and not released
  bool buttonDown = false;
  bool resetExpected = false;     // the event was Reset, or an Esc press that was not a repeat
  // A device command: the port it found open (0: none), the notes marked then, and where the
  // event's words begin in the recording.
  bool switched = false;
  plat::MidiHandle switchedFrom = 0;
  bool markedBeforeSwitch[kMidiNotes] = {};
  std::size_t switchWords = 0;
};

[[noreturn]] void broken(const Run& run, const Options& options, const std::string& what) {
  std::fprintf(stderr, "soak: seed %" PRIu64 ", event %" PRIu64 " (%s): %s\n", options.seed, run.event,
               run.lastEvent.c_str(), what.c_str());
  std::exit(1);
}

int32_t pick(Random& random, std::initializer_list<int32_t> values) {
  return *(values.begin() + static_cast<std::ptrdiff_t>(random() % values.size()));
}

// A settings file: often the program's own kind of values, sometimes anything at all.
std::vector<uint8_t> randomSettings(Random& random) {
  PersistedSettings s;
  s.alwaysOnTop = pick(random, {0, 1, 5});
  s.showControlBars = pick(random, {0, 1});
  s.zoom = random() % 4 == 0 ? static_cast<float>(static_cast<int32_t>(random())) / 1000.0f
                             : (random() % 2 == 0 ? 2.0f : (random() % 2 == 0 ? 1.5f : 3.0f));
  s.transpose = pick(random, {0, 1, 2, -1, -2, 4, -4, 3, 7});
  s.savedDeviceId = pick(random, {-1, 0, 1, 2, 5});
  s.openAtStart = pick(random, {0, 1, 1, 1});
  s.channel = static_cast<int32_t>(random() % 16);
  s.program = static_cast<int32_t>(random() % 128);
  s.velocity = static_cast<int32_t>(random() % 127) + 1;
  s.layout = pick(random, {0, 1, 2, 2, 7});
  s.showFlats = pick(random, {0, 1});
  auto encoded = encodeSettings(s);
  std::vector<uint8_t> bytes(encoded.begin(), encoded.end());
  // Now and then a field of noise, or a short file.
  if (random() % 8 == 0) {
    const std::size_t field = 4 + 4 * (random() % 15);
    for (std::size_t k = 0; k < 4; ++k) bytes[field + k] = static_cast<uint8_t>(random());
  }
  if (random() % 16 == 0) bytes.resize(random() % 64);
  return bytes;
}

void startSession(Run& run) {
  fake::reset();
  fake::script().recordCalls = false;
  fake::script().settingsBasePath = kSettingsBase;
  fake::script().deviceCount = static_cast<int32_t>(run.random() % 4) + 1;
  fake::script().mapperPresent = run.random() % 4 != 0;
  for (int32_t id = -1; id < 5; ++id) {
    if (run.random() % 5 == 0) fake::script().failingOpens.insert(id);
  }
  fake::world().files[kSettingsPath] = randomSettings(run.random);
  run.heard = Heard{};
  run.keysDown.clear();
  run.buttonDown = false;
  if (!startMainWindow()) return;
  plat::windowMove(100, 100, 500 + static_cast<int32_t>(run.random() % 400), 300, true);
}

// ---- Events ----------------------------------------------------------------------------------

int32_t randomVirtualKey(Random& random) {
  if (random() % 2 == 0) {
    return pick(random, {vk::kEnter, vk::kEscape, vk::kSpace, vk::kUp, vk::kDown, vk::kKeypadPlus, vk::kKeypadMinus});
  }
  return static_cast<int32_t>(random() % 256);
}

Modifiers randomModifiers(Random& random) { return Modifiers{random() % 3 == 0, random() % 4 == 0}; }

void keyEvent(Run& run) {
  Random& r = run.random;
  const bool release = !run.keysDown.empty() && r() % 2 == 0;
  int32_t scan = static_cast<int32_t>(r() % 60);
  if (release) {
    const std::size_t i = r() % run.keysDown.size();
    scan = run.keysDown[i];
    run.keysDown.erase(run.keysDown.begin() + static_cast<std::ptrdiff_t>(i));
  } else if (r() % 40 != 0) {
    run.keysDown.push_back(scan);
  }
  const bool repeat = !release && r() % 4 == 0;
  const KeyMessage message{release, randomVirtualKey(r), static_cast<uint8_t>(scan), repeat, randomModifiers(r)};
  run.resetExpected = !release && message.virtualKey == vk::kEscape && app.input.panicLatch == 0;
  run.lastEvent = std::string(release ? "key up" : "key down") + " scan " + std::to_string(scan) + " vk " +
                  std::to_string(message.virtualKey);
  handleKeyMessage(message);
}

void mouseEvent(Run& run) {
  Random& r = run.random;
  const bool release = run.buttonDown ? r() % 4 != 0 : r() % 8 == 0;
  const bool anywhere = r() % 2 == 0;
  const auto x = static_cast<int32_t>(anywhere ? r() : r() % 700);
  const auto y = static_cast<int32_t>(anywhere ? r() : r() % 400);
  run.buttonDown = !release;
  run.lastEvent = std::string(release ? "mouse up" : "mouse down") + " at " + std::to_string(x) + "," + std::to_string(y);
  handleMouseButton(release, x, y, randomModifiers(r));
}

int32_t randomCommand(Random& random) {
  switch (random() % 6) {
    case 0: return pick(random, {cmd::kActive, cmd::kAlwaysOnTop, cmd::kShowControlBars, cmd::kZoomSmall,
                                 cmd::kZoomNormal, cmd::kZoomBig, cmd::kDefaultSize, cmd::kReset, cmd::kShowFlats,
                                 cmd::kAbout, cmd::kHelpIndex, cmd::kHelpUsing, cmd::kWebSite});
    case 1: return cmd::kTransposeDown2 + static_cast<int32_t>(random() % 5);
    case 2: return cmd::kFirstChannel + static_cast<int32_t>(random() % 18) - 1;
    case 3: return cmd::kLayoutPiano + static_cast<int32_t>(random() % 4);
    case 4: return cmd::kMapperDevice + static_cast<int32_t>(random() % 7);
    default: return random() % 2 == 0 ? static_cast<int32_t>(random()) : cmd::kFirstProgram + static_cast<int32_t>(random() % 130);
  }
}

// One random event; false when it ended the session (the window closed).
bool oneEvent(Run& run) {
  Random& r = run.random;
  run.resetExpected = false;
  run.switched = false;
  run.switchedFrom = 0;
  const uint64_t kind = r() % 100;
  if (kind < 45) {
    keyEvent(run);
  } else if (kind < 60) {
    mouseEvent(run);
  } else if (kind < 75) {
    const int32_t id = randomCommand(r);
    run.lastEvent = "command " + std::to_string(id);
    run.resetExpected = id == cmd::kReset;
    run.switched = isDeviceCommand(id);
    run.switchedFrom = run.switched && app.midi.deviceOpen != 0 ? app.midi.port : 0;
    for (int32_t n = 0; n < kMidiNotes; ++n) run.markedBeforeSwitch[n] = app.midi.soundingNotes[n] != 0;
    run.switchWords = fake::world().sent.size();
    dispatchCommand(id);
  } else if (kind < 83) {
    const auto request = static_cast<ScrollRequest>(r() % 7);
    const auto position = static_cast<uint16_t>(r());
    const int32_t bar = static_cast<int32_t>(r() % 3);
    run.lastEvent = "scroll bar " + std::to_string(bar) + " request " + std::to_string(static_cast<int>(request));
    if (bar == 1) onModulationScroll(request, position);
    else onVerticalScroll(static_cast<plat::Bar>(bar), request, position);
  } else if (kind < 88) {
    const auto width = static_cast<uint16_t>(r() % 3 == 0 ? r() : r() % 1200);
    const auto height = static_cast<uint16_t>(r() % 3 == 0 ? r() : r() % 800);
    run.lastEvent = "size " + std::to_string(width) + "x" + std::to_string(height);
    applyClientSize(width, height);
  } else if (kind < 94) {
    run.lastEvent = "paint";
    paintKeyboard();
  } else if (kind < 97) {
    const bool menu = r() % 2 == 0;
    run.lastEvent = menu ? "menu took the keyboard" : "focus lost";
    if (menu) {
      onMenuTakesKeyboard();
    } else {
      onFocusLost();
    }
    run.keysDown.clear();  // their releases go elsewhere now
  } else if (kind < 99) {
    run.lastEvent = "capture lost";
    onMouseCaptureLost();
  } else {
    run.lastEvent = "close";
    dispatchCommand(r() % 2 == 0 ? cmd::kExit : 0);
    if (r() % 2 == 0) plat::windowClose();
  }
  return !fake::world().destroyed;
}

// ---- Promises --------------------------------------------------------------------------------

void checkWords(Run& run, const Options& options, std::size_t& seen) {
  const std::vector<uint32_t>& sent = fake::world().sent;
  for (; seen < sent.size(); ++seen) {
    const uint32_t word = sent[seen];
    if (!isWellFormed(word)) broken(run, options, "malformed word " + fake::triple(word));
    const int32_t status = statusOf(word);
    const int32_t note = data1Of(word);
    // The first word of a reset: every note is silenced without a note-off each.
    if (status == midi_status::kControlChange && channelOf(word) == 0 && note == midi_controller::kResetAllControllers) {
      run.heard = Heard{};
    } else if (status == midi_status::kNoteOn && data2Of(word) != 0) {
      if (run.heard.on[note]) broken(run, options, "note-on for a sounding note " + fake::triple(word));
      run.heard.on[note] = true;
    } else if (status == midi_status::kNoteOff || status == midi_status::kNoteOn) {
      run.heard.on[note] = false;
    }
  }
}

// No later release reaches the device a switch left: what it sounded must have ended there.
void checkSwitch(const Run& run, const Options& options) {
  if (run.switchedFrom == 0) return;
  const fake::World& w = fake::world();
  bool ended[kMidiNotes] = {};
  for (std::size_t i = run.switchWords; i < w.sent.size(); ++i) {
    const int32_t status = statusOf(w.sent[i]);
    const bool noteOff = status == midi_status::kNoteOff || (status == midi_status::kNoteOn && data2Of(w.sent[i]) == 0);
    if (w.sentTo[i] == run.switchedFrom && noteOff) ended[data1Of(w.sent[i])] = true;
  }
  for (int32_t n = 0; n < kMidiNotes; ++n) {
    if (run.markedBeforeSwitch[n] && !ended[n]) broken(run, options, "note " + std::to_string(n) + " left sounding on the device switched from");
  }
}

bool exactlyOneChecked(int32_t first, int32_t last) { return fake::checkedIn(first, last).size() == 1; }

void checkAfterEvent(Run& run, const Options& options, std::size_t& seen) {
  // Esc and Reset forget every note, also with no port open to hear the reset; what the same key
  // message plays after it (an Esc key that has a note slot) is heard after the reset's words.
  if (run.resetExpected && app.midi.deviceOpen == 0) run.heard = Heard{};
  // The device switched to has heard no note yet: none may be marked after a switch.
  if (run.switched) run.heard = Heard{};
  checkWords(run, options, seen);
  checkSwitch(run, options);
  for (int32_t n = 0; n < kMidiNotes; ++n) {
    // Notes released while no port is open stay marked, and the device heard no note-off either:
    // the table and the word stream agree at every moment; after a reset both are empty but for
    // the note the same message played.
    if ((app.midi.soundingNotes[n] != 0) != run.heard.on[n]) {
      broken(run, options, "sounding-notes table and word stream disagree on note " + std::to_string(n));
    }
  }
  if (fake::world().destroyed) return;
  if (fake::isChecked(cmd::kActive) != (app.midi.deviceOpen != 0)) broken(run, options, "\"&Active\" mark is not the port's state");
  if ((app.midi.deviceOpen != 0) != !fake::world().openPorts.empty()) broken(run, options, "the port flag and the platform disagree");
  if (fake::world().sendsOnClosedPort != 0) broken(run, options, "a word went to a closed port");
  if (fake::world().largestCoordinate > kCoordinateLimit) {
    broken(run, options, "a coordinate of " + std::to_string(fake::world().largestCoordinate) + " reached the platform");
  }
  if (run.lastEvent.rfind("command ", 0) == 0) {
    const int32_t id = std::atoi(run.lastEvent.c_str() + 8);
    struct Group {
      int32_t first, last;
    };
    for (Group g : {Group{cmd::kZoomSmall, cmd::kZoomBig}, Group{cmd::kTransposeDown2, cmd::kTransposeUp2},
                    Group{cmd::kFirstChannel, cmd::kLastChannel}, Group{cmd::kLayoutPiano, cmd::kLayoutChromatic}}) {
      if (id >= g.first && id <= g.last && !exactlyOneChecked(g.first, g.last)) {
        broken(run, options, "not exactly one item checked in " + std::to_string(g.first) + ".." + std::to_string(g.last));
      }
    }
  }
  if (run.lastEvent == "focus lost" && run.keysDown.empty() && !run.buttonDown && app.midi.deviceOpen != 0) {
    for (int32_t n = 0; n < kMidiNotes; ++n) {
      if (run.heard.on[n]) broken(run, options, "a note sounds with every key up after a focus loss");
    }
  }
}

Options parse(int argc, char** argv) {
  Options options;
  options.seed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--seed") == 0) options.seed = std::strtoull(argv[i + 1], nullptr, 10);
    if (std::strcmp(argv[i], "--seconds") == 0) options.seconds = std::strtod(argv[i + 1], nullptr);
    if (std::strcmp(argv[i], "--events") == 0) options.events = std::strtoull(argv[i + 1], nullptr, 10);
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = parse(argc, argv);
  std::printf("soak: seed %" PRIu64 "\n", options.seed);
  std::fflush(stdout);
  Run run;
  run.random.seed(options.seed);
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + std::chrono::duration<double>(options.seconds);
  uint64_t sessions = 0;
  while (options.events != 0 ? run.event < options.events : std::chrono::steady_clock::now() < deadline) {
    startSession(run);
    ++sessions;
    std::size_t seen = 0;
    run.lastEvent = "start";
    checkAfterEvent(run, options, seen);
    for (int i = 0; i < 2000 && !fake::world().destroyed; ++i) {
      ++run.event;
      oneEvent(run);
      checkAfterEvent(run, options, seen);
      if (seen > 4096) {  // keep the recording small: the stream is checked as it comes
        fake::clearLog();
        seen = 0;
      }
    }
    if (!fake::world().destroyed) plat::windowClose();
  }
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("soak: %" PRIu64 " events in %" PRIu64 " sessions, %.1f s, %.0f events/s, every promise held\n", run.event,
              sessions, elapsed, static_cast<double>(run.event) / elapsed);
  return 0;
}
