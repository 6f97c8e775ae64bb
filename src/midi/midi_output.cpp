#include "midi/midi_output.h"

#include <algorithm>
#include <iterator>

#include "base/app_state.h"
#include "base/short_message.h"
#include "platform/platform.h"

namespace {

constexpr int32_t kReleaseVelocity = 64;

}  // namespace

void sendShortMessage(int32_t status, int32_t channel, int32_t data1, int32_t data2) {
  // With no port open the message reaches no device and is dropped silently.
  if (app.midi.deviceOpen == 0) return;
  plat::midiOutSend(app.midi.port, packShortMessage(status, channel, data1, data2));
}

int32_t noteNumber(int32_t octave, int32_t semitone) {
  // Limited after the whole sum, in 64 bits so a damaged transposition cannot overflow.
  int64_t note = int64_t{octave} * 12 + semitone;
  return static_cast<int32_t>(std::clamp<int64_t>(note, 0, kMidiNotes - 1));
}

void noteOn(int32_t channel, int32_t octave, int32_t semitone, int32_t velocity) {
  int32_t note = noteNumber(octave, semitone);
  if (app.midi.soundingNotes[note] != 0) return;
  app.midi.soundingNotes[note] = 1;
  // Every receiver takes a note-on of velocity 0 for a note-off: a damaged stored velocity of 0 or
  // less would leave the note marked as sounding while the device hears it end.
  sendShortMessage(midi_status::kNoteOn, channel, note, std::clamp(velocity, kLowestNoteOnVelocity, kDataMax));
}

void noteOff(int32_t channel, int32_t octave, int32_t semitone) {
  int32_t note = noteNumber(octave, semitone);
  if (app.midi.soundingNotes[note] == 0) return;
  app.midi.soundingNotes[note] = 0;
  sendShortMessage(midi_status::kNoteOff, channel, note, kReleaseVelocity);
}

void programChange(int32_t channel, int32_t program) {
  sendShortMessage(midi_status::kProgramChange, channel, program, 0);
}

void controlChange(int32_t channel, int32_t controller, int32_t value) {
  sendShortMessage(midi_status::kControlChange, channel, controller, value);
}

void modulationWheel(int32_t channel, int32_t value) { controlChange(channel, midi_controller::kModulation, value); }

void pitchBend(int32_t channel, int32_t value) {
  sendShortMessage(midi_status::kPitchBend, channel, value & 0x7F, value >> 7);
}

void allSoundingNotesOff() {
  // The table does not remember channels: the notes end on the channel in force now.
  for (int32_t note = 0; note < kMidiNotes; ++note) {
    if (app.midi.soundingNotes[note] == 0) continue;
    sendShortMessage(midi_status::kNoteOff, app.settings.channel, note, kReleaseVelocity);
    app.midi.soundingNotes[note] = 0;
  }
}

void resetAllChannels() {
  for (int32_t channel = 0; channel < kMidiChannels; ++channel) {
    controlChange(channel, midi_controller::kResetAllControllers, 0);
    controlChange(channel, midi_controller::kAllNotesOff, 0);
  }
  clearSoundingNotes();
}

bool isSounding(int32_t note) { return note >= 0 && note < kMidiNotes && app.midi.soundingNotes[note] != 0; }

void clearSoundingNotes() { std::fill(std::begin(app.midi.soundingNotes), std::end(app.midi.soundingNotes), 0); }
