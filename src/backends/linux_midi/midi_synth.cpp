// The built-in synthesizer. Its audio goes to the first output that works: PipeWire, then
// PulseAudio, then ALSA, then JACK when a JACK server runs. Two variables from midi_ports.cpp's
// list steer it (tests use them): PLINKETT_SYNTH_AUDIO_DRIVER names the one FluidSynth audio
// driver to use, and PLINKETT_SYNTH_FILE writes the sound into that file instead (a WAV file
// when the name ends in .wav).
#include "backends/linux_midi/midi_synth.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "backends/linux_midi/fluidsynth_library.h"
#include "backends/linux_midi/jack_output.h"
#include "backends/linux_midi/midi_probe.h"

struct BuiltinSynth {
  const FluidSynthLibrary* fluid;  // the functions of the library, loaded by the first open
  fluid_settings_t* settings;
  fluid_synth_t* synth;
  fluid_audio_driver_t* driver;
};

namespace {

// Where Debian's General MIDI soundfont packages put their files, best first.
constexpr const char* kSoundFontPaths[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf3/default-GM.sf3",
    "/usr/share/sounds/sf3/FluidR3_GM.sf3",
    "/usr/share/sounds/sf3/MuseScore_General.sf3",
    "/usr/share/soundfonts/default.sf2",
    "/usr/share/soundfonts/FluidR3_GM.sf2",
};

constexpr const char* kAudioDrivers[] = {"pipewire", "pulseaudio", "alsa", "jack"};

// FluidSynth reports every driver it fails to start; those failures are expected while
// looking for one that works, and the program reports nothing but the open failure itself.
void silenceFluidSynth(const FluidSynthLibrary& fluid) {
  for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) {
    fluid.fluid_set_log_function(level, nullptr, nullptr);
  }
}

fluid_audio_driver_t* startDriver(BuiltinSynth& s, const char* name) {
  if (s.fluid->fluid_settings_setstr(s.settings, "audio.driver", name) != FLUID_OK) return nullptr;
  return s.fluid->new_fluid_audio_driver(s.settings, s.synth);
}

void setUpAudio(BuiltinSynth& s) {
  if (const char* file = std::getenv("PLINKETT_SYNTH_FILE"); file != nullptr && *file != '\0') {
    s.fluid->fluid_settings_setstr(s.settings, "audio.file.name", file);
    s.driver = startDriver(s, "file");
    return;
  }
  if (const char* forced = std::getenv("PLINKETT_SYNTH_AUDIO_DRIVER");
      forced != nullptr && *forced != '\0') {
    if (std::string_view(forced) == "jack") keepJackFromStartingServer();
    s.driver = startDriver(s, forced);
    return;
  }
  for (const char* name : kAudioDrivers) {
    if (std::string_view(name) == "jack" && !jackAvailable()) continue;
    s.driver = startDriver(s, name);
    if (s.driver != nullptr) return;
  }
}

// The one line a user gets when the box says "Cannot open MIDI device" for the synthesizer;
// the guide's troubleshooting section says what to do about each.
void reportWhy(const std::string& reason) {
  std::fprintf(stderr, "plinkett: the built-in synthesizer cannot open: %s\n", reason.c_str());
}

std::string soundFontPlaces() {
  std::string places;
  for (const char* path : kSoundFontPaths) places += (places.empty() ? "" : ", ") + std::string(path);
  return places;
}

std::string audioFailure() {
  if (const char* file = std::getenv("PLINKETT_SYNTH_FILE"); file != nullptr && *file != '\0') {
    return std::string("cannot write its sound to ") + file;
  }
  if (const char* forced = std::getenv("PLINKETT_SYNTH_AUDIO_DRIVER"); forced != nullptr && *forced != '\0') {
    return std::string("no audio output: the audio driver \"") + forced + "\" did not start";
  }
  return "no audio output: none of PipeWire, PulseAudio, ALSA or JACK took its sound";
}

}  // namespace

const char* findSoundFont() {
  for (const char* path : kSoundFontPaths) {
    if (access(path, R_OK) == 0) return path;
  }
  return nullptr;
}

BuiltinSynth* synthOpen() {
  const char* soundFont = findSoundFont();
  if (soundFont == nullptr) {
    reportWhy("no General MIDI soundfont (looked for " + soundFontPlaces() + ")");
    return nullptr;
  }
  std::string why;
  const FluidSynthLibrary* fluid = loadFluidSynth(why);
  if (fluid == nullptr) {
    reportWhy("FluidSynth cannot be loaded (" + why + ")");
    return nullptr;
  }
  silenceFluidSynth(*fluid);
  auto* s = new BuiltinSynth{fluid, fluid->new_fluid_settings(), nullptr, nullptr};
  if (s->settings == nullptr) {
    reportWhy("out of memory");
    delete s;
    return nullptr;
  }
  // A player hears the key at once: shorter periods than FluidSynth's defaults.
  fluid->fluid_settings_setint(s->settings, "audio.period-size", 256);
  fluid->fluid_settings_setint(s->settings, "audio.periods", 2);
  fluid->fluid_settings_setint(s->settings, "audio.jack.autoconnect", 1);
  fluid->fluid_settings_setstr(s->settings, "audio.jack.id", "Plinkett synth");
  fluid->fluid_settings_setint(s->settings, "synth.lock-memory", 0);
  s->synth = fluid->new_fluid_synth(s->settings);
  if (s->synth == nullptr || fluid->fluid_synth_sfload(s->synth, soundFont, 1) == FLUID_FAILED) {
    reportWhy(std::string("the soundfont ") + soundFont + " cannot be loaded");
    synthClose(s);
    return nullptr;
  }
  setUpAudio(*s);
  if (s->driver == nullptr) {
    reportWhy(audioFailure());
    synthClose(s);
    return nullptr;
  }
  return s;
}

void synthPlay(BuiltinSynth& s, const uint8_t* bytes, std::size_t length) {
  if (length < 2) return;
  const int channel = bytes[0] & 0x0F;
  const int data1 = bytes[1];
  const int data2 = length > 2 ? bytes[2] : 0;
  switch (bytes[0] & 0xF0) {
    case 0x80: s.fluid->fluid_synth_noteoff(s.synth, channel, data1); break;
    case 0x90:
      // Velocity 0 is a note off by MIDI's running-status convention.
      if (data2 == 0) s.fluid->fluid_synth_noteoff(s.synth, channel, data1);
      else s.fluid->fluid_synth_noteon(s.synth, channel, data1, data2);
      break;
    case 0xA0: s.fluid->fluid_synth_key_pressure(s.synth, channel, data1, data2); break;
    case 0xB0: s.fluid->fluid_synth_cc(s.synth, channel, data1, data2); break;
    case 0xC0: s.fluid->fluid_synth_program_change(s.synth, channel, data1); break;
    case 0xD0: s.fluid->fluid_synth_channel_pressure(s.synth, channel, data1); break;
    case 0xE0: s.fluid->fluid_synth_pitch_bend(s.synth, channel, data1 | (data2 << 7)); break;
    default: break;
  }
}

void synthClose(BuiltinSynth* s) {
  if (s == nullptr) return;
  // The driver pulls samples from the synth on its own thread: stop it first.
  if (s->driver != nullptr) s->fluid->delete_fluid_audio_driver(s->driver);
  if (s->synth != nullptr) s->fluid->delete_fluid_synth(s->synth);
  s->fluid->delete_fluid_settings(s->settings);
  delete s;
}
