#include "backends/linux_midi/midi_probe.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <cstdlib>

namespace {

void ignoreJackMessage(const char*) {}

void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void keepJackFromStartingServer() {
  // Every later client reads this variable, including the ones RtMidi and FluidSynth open.
  setenv("JACK_NO_START_SERVER", "1", 0);
  jack_set_error_function(ignoreJackMessage);
  jack_set_info_function(ignoreJackMessage);
}

bool alsaSequencerAvailable() {
  snd_lib_error_set_handler(ignoreAlsaMessage);
  snd_seq_t* sequencer = nullptr;
  if (snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) return false;
  snd_seq_close(sequencer);
  return true;
}
