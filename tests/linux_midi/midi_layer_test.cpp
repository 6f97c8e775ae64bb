// The Linux front end's MIDI layer without a window: how words become bytes, how the devices
// are numbered under the environment's switches, and that the built-in synthesizer sounds.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "backends/linux_midi/jack_output.h"
#include "backends/linux_midi/midi_devices.h"
#include "backends/linux_midi/midi_message.h"
#include "backends/linux_midi/midi_synth.h"

namespace {

TEST(MidiMessage, ChannelMessagesKeepTheirLength) {
  const MidiBytes on = unpackShortMessage(0x00643790u);
  EXPECT_EQ(on.length, 3u);
  EXPECT_EQ(on.bytes[0], 0x90);
  EXPECT_EQ(on.bytes[1], 0x37);
  EXPECT_EQ(on.bytes[2], 0x64);
  EXPECT_EQ(unpackShortMessage(0x00004080u).length, 3u);  // note off
  EXPECT_EQ(unpackShortMessage(0x007F40B0u).length, 3u);  // sustain
  EXPECT_EQ(unpackShortMessage(0x003F7FE0u).length, 3u);  // pitch bend
  const MidiBytes program = unpackShortMessage(0x000005C2u);
  EXPECT_EQ(program.length, 2u);
  EXPECT_EQ(program.bytes[0], 0xC2);
  EXPECT_EQ(program.bytes[1], 0x05);
  EXPECT_EQ(unpackShortMessage(0x00000AD0u).length, 2u);  // channel pressure
}

TEST(MidiMessage, SystemAndStrayBytes) {
  EXPECT_EQ(shortMessageLength(0xF8), 1u);  // clock
  EXPECT_EQ(shortMessageLength(0xF1), 2u);
  EXPECT_EQ(shortMessageLength(0xF2), 3u);
  // Nothing a short word can carry: sysex, undefined statuses, a lone data byte.
  EXPECT_EQ(shortMessageLength(0xF0), 0u);
  EXPECT_EQ(shortMessageLength(0xF7), 0u);
  EXPECT_EQ(shortMessageLength(0xF4), 0u);
  EXPECT_EQ(shortMessageLength(0x7F), 0u);
  EXPECT_EQ(unpackShortMessage(0x0000003Cu).length, 0u);
  // Data bytes never carry a top bit onto the wire.
  const MidiBytes odd = unpackShortMessage(0x00FFBC90u);
  EXPECT_EQ(odd.bytes[1], 0x3C);
  EXPECT_EQ(odd.bytes[2], 0x7F);
}

TEST(MidiDeviceNames, AlsaNamesLoseAddressAndRepeatedClient) {
  EXPECT_EQ(alsaPortMenuName("Midi Through:Midi Through Port-0 14:0"), "Midi Through Port-0");
  EXPECT_EQ(alsaPortMenuName("TiMidity:TiMidity port 0 128:0"), "TiMidity port 0");
  EXPECT_EQ(alsaPortMenuName("Synth:Port 1 130:1"), "Synth:Port 1");
}

// Each test sets the switches it needs; the scan reads them afresh.
struct Environment {
  Environment(const char* noSynth, const char* apis) {
    set("PLINKETT_NO_BUILTIN_SYNTH", noSynth);
    set("PLINKETT_MIDI_APIS", apis);
    // A server name nobody runs: JACK counts as absent whatever runs on this machine.
    const std::string server = "plinkett-no-server-" + std::to_string(getpid());
    setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
  }
  static void set(const char* name, const char* value) {
    if (value == nullptr) unsetenv(name);
    else setenv(name, value, 1);
  }
};

TEST(MidiDeviceList, SynthIsDeviceZeroAndTheMapperRoutesToIt) {
  Environment env(nullptr, "none");
  const MidiDeviceList list = scanMidiDevices();
  EXPECT_TRUE(list.mapperPresent);
  ASSERT_EQ(list.devices.size(), 1u);
  EXPECT_EQ(list.devices[0].kind, MidiDeviceKind::BuiltinSynth);
  EXPECT_EQ(list.devices[0].name, kSynthName);
}

TEST(MidiDeviceList, EverythingHiddenLeavesNoDevice) {
  Environment env("1", "none");
  const MidiDeviceList list = scanMidiDevices();
  EXPECT_FALSE(list.mapperPresent);
  EXPECT_TRUE(list.devices.empty());
}

TEST(MidiDeviceList, NoJackServerMeansNoJackDevicesAndNoServerStarted) {
  Environment env("1", "jack");
  const MidiDeviceList list = scanMidiDevices();
  EXPECT_TRUE(list.devices.empty());
  // Asking must not have launched a server under that name.
  EXPECT_FALSE(jackAvailable());
}

// Root mean square of the 16-bit samples in a WAV file's data chunk, from the given second to
// the end (or the given second); -1 when unreadable or when there is no sample there.
double wavRms(const std::string& path, double fromSecond = 0, double toSecond = 1e9) {
  std::ifstream file(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.size() < 12 || std::string(bytes.data(), 4) != "RIFF") return -1;
  std::size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const std::string id(bytes.data() + at, 4);
    uint32_t size = 0;
    for (int i = 3; i >= 0; --i) size = (size << 8) | static_cast<uint8_t>(bytes[at + 4 + i]);
    at += 8;
    if (id == "data") {
      // FluidSynth's file driver: 44.1 kHz, two channels of two bytes.
      constexpr double kBytesPerSecond = 44100.0 * 4;
      const std::size_t data = at;
      const std::size_t end =
          std::min({bytes.size(), at + size, data + std::size_t(toSecond * kBytesPerSecond)});
      at = data + std::size_t(fromSecond * kBytesPerSecond);
      double sum = 0;
      std::size_t count = 0;
      for (; at + 1 < end; at += 2, ++count) {
        const auto sample = static_cast<int16_t>(static_cast<uint8_t>(bytes[at]) |
                                                 (static_cast<uint8_t>(bytes[at + 1]) << 8));
        sum += double(sample) * sample;
      }
      return count == 0 ? -1 : std::sqrt(sum / double(count));
    }
    at += size + (size & 1);
  }
  return -1;
}

// Plays the words through the device into a WAV file and returns the file's loudness.
double playIntoFile(int32_t deviceId, const std::vector<uint32_t>& words, const char* name) {
  const std::string path = ::testing::TempDir() + name + std::to_string(getpid()) + ".wav";
  setenv("PLINKETT_SYNTH_FILE", path.c_str(), 1);
  plat::MidiHandle handle = 0;
  EXPECT_TRUE(plat::midiOutOpen(deviceId, handle));
  EXPECT_NE(handle, 0u);
  for (uint32_t word : words) plat::midiOutSend(handle, word);
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  plat::midiOutClose(handle);
  unsetenv("PLINKETT_SYNTH_FILE");
  const double rms = wavRms(path);
  std::remove(path.c_str());
  return rms;
}

// A program that plays on another device never maps FluidSynth and the libraries it pulls in:
// the synthesizer's first open loads it. (Before any other test that opens the synthesizer.)
TEST(BuiltinSynth, FluidSynthIsLoadedByTheFirstOpenOnly) {
  const char* const library = "libfluidsynth.so.3";
  EXPECT_EQ(dlopen(library, RTLD_LAZY | RTLD_NOLOAD), nullptr);
  if (findSoundFont() == nullptr) GTEST_SKIP() << "no General MIDI soundfont installed";
  const std::string path = ::testing::TempDir() + "first-open" + std::to_string(getpid()) + ".wav";
  setenv("PLINKETT_SYNTH_FILE", path.c_str(), 1);
  std::string why;
  BuiltinSynth* synth = synthOpen(why);
  unsetenv("PLINKETT_SYNTH_FILE");
  ASSERT_NE(synth, nullptr);
  void* loaded = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
  EXPECT_NE(loaded, nullptr);
  if (loaded != nullptr) dlclose(loaded);
  synthClose(synth);
  std::remove(path.c_str());
}

// The soundfont loads after the open returns. A key pressed and released at once, before the
// load can have ended, is heard and then stops: its note off waits with it and follows it.
TEST(BuiltinSynth, ANoteSentDuringTheLoadSoundsAndEnds) {
  if (findSoundFont() == nullptr) GTEST_SKIP() << "no General MIDI soundfont installed";
  const std::string path = ::testing::TempDir() + "held" + std::to_string(getpid()) + ".wav";
  setenv("PLINKETT_SYNTH_FILE", path.c_str(), 1);
  std::string why;
  BuiltinSynth* synth = synthOpen(why);
  unsetenv("PLINKETT_SYNTH_FILE");
  ASSERT_NE(synth, nullptr);
  const uint8_t noteOn[] = {0x90, 0x3C, 0x7F};
  const uint8_t noteOff[] = {0x80, 0x3C, 0x40};
  synthPlay(*synth, noteOn, sizeof noteOn);
  synthPlay(*synth, noteOff, sizeof noteOff);
  std::this_thread::sleep_for(std::chrono::milliseconds(2000));
  synthClose(synth);
  const double heard = wavRms(path, 0.0, 1.0);
  const double end = wavRms(path, 1.5);  // a held piano note is still at 20 and more there
  std::remove(path.c_str());
  EXPECT_GT(heard, 50.0);
  EXPECT_GE(end, 0.0);
  EXPECT_LT(end, 4.0);  // the output's dither alone is 1
}

// The open begun before the window is the start's open (it plays into the output it chose), and
// the next open begins afresh.
TEST(BuiltinSynth, TheOpenAtStartTakesUpTheOpenBegunEarly) {
  if (findSoundFont() == nullptr) GTEST_SKIP() << "no General MIDI soundfont installed";
  const std::string early = ::testing::TempDir() + "early" + std::to_string(getpid()) + ".wav";
  const std::string later = ::testing::TempDir() + "later" + std::to_string(getpid()) + ".wav";
  setenv("PLINKETT_SYNTH_FILE", early.c_str(), 1);
  synthPrepareEarly();
  // Its output exists once it has read the environment.
  for (int i = 0; i < 500 && access(early.c_str(), F_OK) != 0; ++i) usleep(10000);
  setenv("PLINKETT_SYNTH_FILE", later.c_str(), 1);
  std::string why;
  BuiltinSynth* taken = synthOpen(why);
  ASSERT_NE(taken, nullptr) << why;
  synthClose(taken);
  EXPECT_NE(access(later.c_str(), F_OK), 0) << "the open at start made a synthesizer of its own";
  BuiltinSynth* fresh = synthOpen(why);
  ASSERT_NE(fresh, nullptr) << why;
  synthClose(fresh);
  EXPECT_EQ(access(later.c_str(), F_OK), 0);
  std::remove(early.c_str());
  std::remove(later.c_str());
  // One that no open takes up is let go, whether or not it is done: the sanitizer build fails
  // this test on a leak or a use after free there. (Its thread may still read the environment,
  // so the variable stays set; each test runs in a process of its own.)
  setenv("PLINKETT_SYNTH_FILE", "/dev/null", 1);
  synthPrepareEarly();
  synthForgetEarly();
}

// The only test that goes through platform.h: the list it sees is taken once per process.
TEST(MidiPlatformServices, NumberingNamesAndTheSynthesizersSound) {
  Environment env(nullptr, "none");
  ASSERT_EQ(plat::midiOutCount(), 1);
  char name[plat::kDeviceNameSize];
  ASSERT_TRUE(plat::midiOutProductName(-1, name));
  EXPECT_STREQ(name, kMapperName);
  ASSERT_TRUE(plat::midiOutProductName(0, name));
  EXPECT_STREQ(name, kSynthName);
  EXPECT_FALSE(plat::midiOutProductName(1, name));
  EXPECT_FALSE(plat::midiOutProductName(-2, name));
  plat::MidiHandle handle = 0;
  EXPECT_FALSE(plat::midiOutOpen(1, handle));
  EXPECT_FALSE(plat::midiOutOpen(-2, handle));

  if (findSoundFont() == nullptr) GTEST_SKIP() << "no General MIDI soundfont installed";
  // Silence first, so that the loudness measure is shown able to tell the difference.
  const double silent = playIntoFile(0, {0x000000C0u}, "silent");
  const double note = playIntoFile(0, {0x000000C0u, 0x00643C90u}, "note");
  const double mapped = playIntoFile(-1, {0x000018C0u, 0x007F4090u, 0x00644390u}, "mapper");
  EXPECT_GE(silent, 0.0);
  EXPECT_LT(silent, 1.0);
  EXPECT_GT(note, 200.0);
  EXPECT_GT(mapped, 200.0);

  // A synthesizer without any audio output cannot be opened, and says why where a user looks.
  setenv("PLINKETT_SYNTH_AUDIO_DRIVER", "no-such-driver", 1);
  handle = 0;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(plat::midiOutOpen(0, handle));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "plinkett: Plinkett GM Synth: cannot open: no audio output: the audio driver \"no-such-driver\" did "
            "not start\n");
  EXPECT_EQ(handle, 0u);
  unsetenv("PLINKETT_SYNTH_AUDIO_DRIVER");

  // Handles that are not (or no longer) ours are ignored.
  plat::midiOutSend(12345u, 0x00643C90u);
  plat::midiOutClose(12345u);
}

}  // namespace
