// The built-in synthesizer. Its audio goes to the first output that works: PipeWire, then
// PulseAudio, then ALSA, then JACK when a JACK server runs; PLINKETT_SYNTH_AUDIO_DRIVER names
// the one output to use instead (a player's setting, in the manual page). The test build alone
// can write the sound into a file (PLINKETT_SYNTH_FILE, a WAV file when the name ends in .wav):
// tests have no sound card. JACK is played through the program's own JACK client, whose process
// callback renders the synthesizer (jack_output.h); the others through FluidSynth's drivers.
//
// The open returns before the soundfont is read: a thread of its own loads it, so that the
// window never waits for a 6 to 150 MB file, and FluidSynth reads only the samples of the
// programs the channels have chosen (dynamic sample loading), so that a big soundfont costs the
// memory of its piano and drum kit rather than of all of it. What the open can tell cheaply it
// still tells: a file that is no soundfont fails it, as do a missing library or audio output.
//
// When the start is going to open the synthesizer, the slow part of the open (loading FluidSynth
// and the ~60 libraries it pulls in, making the synthesizer, starting a FluidSynth driver) runs
// on a thread from the process's first moment, beside the toolkit's start; the open at start
// takes it up, so the window waits for it only when it is not done by then.
#include "backends/linux_midi/midi_synth.h"

#include <pthread.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "backends/linux_midi/fluidsynth_library.h"
#include "backends/linux_midi/jack_output.h"
#include "backends/linux_midi/midi_names.h"
#include "backends/linux_midi/midi_probe.h"
#include "backends/linux_midi/midi_trouble.h"
#include "backends/linux_midi/soundfont_file.h"
#include "backends/start_trace/start_trace.h"

// A channel message that came before the soundfont was loaded.
struct HeldMessage {
  uint8_t bytes[3];
  uint8_t length;  // 2 or 3
};

struct BuiltinSynth {
  const FluidSynthLibrary* fluid = nullptr;  // the library's functions
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  fluid_audio_driver_t* driver = nullptr;  // a FluidSynth driver (PipeWire, PulseAudio, ALSA, a file)
  bool throughJack = false;                // plays through our JACK client instead, once it is put there
  JackAudio* jack = nullptr;               // our JACK client's ports it renders into
  const char* soundFont = nullptr;  // the file found (one of kSoundFontPaths)
  HeldSoundFont* font = nullptr;    // that file, as the synth reads it
  std::thread loader;               // reads the soundfont; joined once the synth is closed
  // FluidSynth holds its own lock for the whole load: a message sent meanwhile waits in held
  // instead, so that the window's thread never waits on the disk (a player cannot send enough
  // in that time for the list to matter). The lock also orders held messages before every
  // later one.
  std::mutex lock;
  bool loadEnded = false;           // the loader is done, with or without the soundfont (lock)
  std::vector<HeldMessage> held;    // messages sent before then, oldest first (lock)
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

// FluidSynth's drivers, tried in this order; JACK comes last, through our own client.
constexpr const char* kAudioDrivers[] = {"pipewire", "pulseaudio", "alsa"};

// The file the test build writes the sound into instead of playing it, or nullptr; the program a
// player gets (built without the tests) never looks.
const char* testSoundFile() {
#ifdef PLINKETT_TEST_HOOKS
  const char* file = std::getenv("PLINKETT_SYNTH_FILE");
  if (file != nullptr && *file != '\0') return file;
#endif
  return nullptr;
}

fluid_audio_driver_t* startDriver(BuiltinSynth& s, const char* name) {
  if (s.fluid->fluid_settings_setstr(s.settings, "audio.driver", name) != FLUID_OK) return nullptr;
  return s.fluid->new_fluid_audio_driver(s.settings, s.synth);
}

const char* forcedAudioDriver() {
  const char* forced = std::getenv("PLINKETT_SYNTH_AUDIO_DRIVER");
  return forced != nullptr && *forced != '\0' ? forced : nullptr;
}

// JACK may carry the sound: it is the forced output, or the last of the usual ones.
bool mayPlayThroughJack() {
  const char* forced = forcedAudioDriver();
  return testSoundFile() == nullptr && (forced == nullptr || std::string_view(forced) == "jack");
}

// Any thread. JACK is not started here: our client's ports are, on the main thread, when the open
// ends (startJackAudio). jackRate: the JACK server's rate, 0 without one.
void setUpAudio(BuiltinSynth& s, uint32_t jackRate) {
  if (const char* file = testSoundFile()) {
    s.fluid->fluid_settings_setstr(s.settings, "audio.file.name", file);
    s.driver = startDriver(s, "file");
    return;
  }
  if (const char* forced = forcedAudioDriver()) {
    if (std::string_view(forced) == "jack") s.throughJack = jackRate != 0;
    else s.driver = startDriver(s, forced);
    return;
  }
  for (const char* name : kAudioDrivers) {
    s.driver = startDriver(s, name);
    if (s.driver != nullptr) return;
  }
  s.throughJack = jackRate != 0;
}

// JACK's process thread: the synthesizer renders straight into our client's buffers.
void renderInto(void* synth, uint32_t frames, float* left, float* right) {
  auto& s = *static_cast<BuiltinSynth*>(synth);
  s.fluid->fluid_synth_write_float(s.synth, static_cast<int>(frames), left, 0, 1, right, 0, 1);
}

// Main thread.
bool startJackAudio(BuiltinSynth& s, std::string& why) {
  if (!s.throughJack) return true;
  std::string jackWhy;
  s.jack = jackAudioOpen(renderInto, &s, jackWhy);
  if (s.jack == nullptr) why = "no audio output: " + jackWhy;
  return s.jack != nullptr;
}

std::string soundFontPlaces() {
  std::string places;
  for (const char* path : kSoundFontPaths) places += (places.empty() ? "" : ", ") + std::string(path);
  return places;
}

std::string audioFailure() {
  if (const char* file = testSoundFile()) return std::string("cannot write its sound to ") + file;
  if (const char* forced = forcedAudioDriver()) {
    return std::string("no audio output: the audio driver \"") + forced + "\" did not start";
  }
  return "no audio output: none of PipeWire, PulseAudio, ALSA or JACK took its sound";
}

void playNow(BuiltinSynth& s, const uint8_t* bytes, std::size_t length) {
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

// The loader's thread. Held messages are played in the order sent, notes and their ends alike,
// so that a key pressed and released during the load sounds briefly instead of hanging or being
// lost. A soundfont whose layout looked whole at the open and that fails here leaves the
// synthesizer silent, which standard error says.
void loadSoundFont(BuiltinSynth* s) {
  const bool loaded = readSoundFontLayout(*s->font) &&
                      s->fluid->fluid_synth_sfload(s->synth, heldSoundFontName(*s->font), 1) != FLUID_FAILED;
  if (!loaded) reportMidiTrouble(kSynthName, "silent", std::string("the soundfont ") + s->soundFont + " cannot be loaded");
  traceStart("soundfont loaded");
  const std::lock_guard<std::mutex> guard(s->lock);
  if (loaded) {
    for (const HeldMessage& message : s->held) playNow(*s, message.bytes, message.length);
  }
  s->held.clear();
  s->held.shrink_to_fit();
  s->loadEnded = true;
}

// Everything of the synthesizer but its audio driver, once its load has ended.
void destroySynth(BuiltinSynth* s) {
  if (s->loader.joinable()) s->loader.join();
  if (s->synth != nullptr) s->fluid->delete_fluid_synth(s->synth);
  s->fluid->delete_fluid_settings(s->settings);
  releaseSoundFont(s->font);
  delete s;
}

// JACK's rate for a synthesizer that may play through it, once the opening of our client begun
// on the main thread has ended; 0 otherwise.
uint32_t rateForJack() { return mayPlayThroughJack() ? jackServerRate() : 0; }

// Any thread: the whole open but our JACK client's ports (startJackAudio). Where JACK runs the
// synthesizer is made at its rate, which the opening of our client, begun before, tells once the
// library is loaded.
BuiltinSynth* prepareSynth(std::string& why) {
  const char* soundFont = findSoundFont();
  if (soundFont == nullptr) {
    why = "no General MIDI soundfont (looked for " + soundFontPlaces() + ")";
    return nullptr;
  }
  HeldSoundFont* font = holdSoundFont(soundFont);
  if (font == nullptr) {
    why = std::string("the soundfont ") + soundFont + " cannot be loaded";
    return nullptr;
  }
  std::string library;
  const FluidSynthLibrary* fluid = loadFluidSynth(library);
  traceStart("FluidSynth loaded");
  if (fluid == nullptr) {
    why = "FluidSynth cannot be loaded (" + library + ")";
    releaseSoundFont(font);
    return nullptr;
  }
  auto* s = new BuiltinSynth;
  s->fluid = fluid;
  s->soundFont = soundFont;
  s->font = font;
  s->settings = fluid->new_fluid_settings();
  if (s->settings == nullptr) {
    why = "out of memory";
    releaseSoundFont(font);
    delete s;
    return nullptr;
  }
  // A player hears the key at once: shorter periods than FluidSynth's defaults.
  fluid->fluid_settings_setint(s->settings, "audio.period-size", 256);
  fluid->fluid_settings_setint(s->settings, "audio.periods", 2);
  fluid->fluid_settings_setint(s->settings, "synth.lock-memory", 0);
  fluid->fluid_settings_setint(s->settings, "synth.dynamic-sample-loading", 1);
  const uint32_t jackRate = rateForJack();
  if (jackRate != 0) fluid->fluid_settings_setnum(s->settings, "synth.sample-rate", jackRate);
  s->synth = fluid->new_fluid_synth(s->settings);
  traceStart("synthesizer made");
  fluid_sfloader_t* loader = s->synth != nullptr ? fluid->new_fluid_defsfloader(s->settings) : nullptr;
  if (loader == nullptr) {
    why = "FluidSynth cannot make a synthesizer";
    synthClose(s);
    return nullptr;
  }
  // Tried before FluidSynth's own loader, which would open the file by its name at each need.
  fluid->fluid_sfloader_set_callbacks(loader, soundFontOpen, soundFontRead, soundFontSeek, soundFontTell,
                                      soundFontClose);
  fluid->fluid_synth_add_sfloader(s->synth, loader);
  // Audio before the soundfont: a missing output fails the open, and until the load ends the
  // output plays silence.
  setUpAudio(*s, jackRate);
  traceStart("synthesizer's audio started");
  if (s->driver == nullptr && !s->throughJack) {
    why = audioFailure();
    synthClose(s);
    return nullptr;
  }
  try {
    s->loader = std::thread(loadSoundFont, s);
  } catch (const std::system_error&) {
    loadSoundFont(s);  // no thread to be had: the open waits for the load, as it once always did
  }
  return s;
}

// An open begun at the process's start, on a thread of its own; shared by that thread and the
// main thread, which takes it up (or lets it go) once.
struct EarlySynth {
  std::mutex lock;
  std::condition_variable finishedNow;
  bool finished = false;          // (lock)
  bool abandoned = false;         // the start opened another device: the thread closes it (lock)
  BuiltinSynth* synth = nullptr;  // (lock)
  std::string why;                // why there is none (lock)
};

// Main thread only.
std::shared_ptr<EarlySynth> gEarly;

void prepareEarly(const std::shared_ptr<EarlySynth>& early) {
  pthread_setname_np(pthread_self(), "plinkett-synth");
  std::string why;
  BuiltinSynth* s = prepareSynth(why);
  std::unique_lock<std::mutex> guard(early->lock);
  if (early->abandoned) {
    guard.unlock();
    synthClose(s);
    return;
  }
  early->synth = s;
  early->why = why;
  early->finished = true;
  early->finishedNow.notify_all();
}

// The open begun at the start, once it has ended (s and why as synthOpen gives them); false
// when none was begun.
bool takeUpEarly(BuiltinSynth*& s, std::string& why) {
  if (gEarly == nullptr) return false;
  std::unique_lock<std::mutex> guard(gEarly->lock);
  gEarly->finishedNow.wait(guard, [] { return gEarly->finished; });
  s = gEarly->synth;
  why = gEarly->why;
  guard.unlock();
  gEarly.reset();
  return true;
}

}  // namespace

const char* findSoundFont() {
  for (const char* path : kSoundFontPaths) {
    if (access(path, R_OK) == 0) return path;
  }
  return nullptr;
}

void synthPrepareEarly() {
  if (gEarly != nullptr) return;
  if (mayPlayThroughJack()) jackOpenClientEarly();
  auto early = std::make_shared<EarlySynth>();
  try {
    std::thread(prepareEarly, early).detach();
  } catch (const std::system_error&) {
    return;  // no thread to be had: the open at start does it all, as it would without this
  }
  gEarly = std::move(early);
}

void synthForgetEarly() {
  if (gEarly == nullptr) return;
  BuiltinSynth* ready = nullptr;
  {
    const std::lock_guard<std::mutex> guard(gEarly->lock);
    if (gEarly->finished) ready = gEarly->synth;
    else gEarly->abandoned = true;
  }
  gEarly.reset();
  synthClose(ready);
}

BuiltinSynth* synthOpen(std::string& why) {
  BuiltinSynth* s = nullptr;
  if (!takeUpEarly(s, why)) {
    if (mayPlayThroughJack()) jackOpenClientEarly();
    s = prepareSynth(why);
  }
  if (s == nullptr) return nullptr;
  if (!startJackAudio(*s, why)) {
    synthClose(s);
    return nullptr;
  }
  return s;
}

void synthPlay(BuiltinSynth& s, const uint8_t* bytes, std::size_t length) {
  if (length < 2) return;
  const std::lock_guard<std::mutex> guard(s.lock);
  if (!s.loadEnded) {
    HeldMessage message{{bytes[0], bytes[1], length > 2 ? bytes[2] : uint8_t{0}},
                        static_cast<uint8_t>(length > 2 ? 3 : 2)};
    s.held.push_back(message);
    return;
  }
  playNow(s, bytes, length);
}

void synthClose(BuiltinSynth* s) {
  if (s == nullptr) return;
  // The output pulls samples from the synth on its own thread (a driver's, or JACK's): stop it
  // first. That never waits on a load, and the device is silent from here on.
  jackAudioClose(s->jack);
  s->jack = nullptr;
  if (s->driver != nullptr) s->fluid->delete_fluid_audio_driver(s->driver);
  s->driver = nullptr;
  // FluidSynth cannot give up a load half done, and letting go of a soundfont of many presets
  // takes as long again: both end on a thread of their own, which neither the window nor the
  // process's end waits for.
  try {
    std::thread(destroySynth, s).detach();
  } catch (const std::system_error&) {
    destroySynth(s);
  }
}
