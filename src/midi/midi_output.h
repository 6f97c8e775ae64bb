// The channel messages the program sends and the table of notes it has switched on.
// All of them go through the one open port; while no port is open they are dropped.
#pragma once

#include <cstdint>

void sendShortMessage(int32_t status, int32_t channel, int32_t data1, int32_t data2);

// octave already includes transposition and the Shift/Ctrl shift; the note is
// octave * 12 + semitone limited to 0..127 after the whole sum.
int32_t noteNumber(int32_t octave, int32_t semitone);
void noteOn(int32_t channel, int32_t octave, int32_t semitone, int32_t velocity);
void noteOff(int32_t channel, int32_t octave, int32_t semitone);
void programChange(int32_t channel, int32_t program);
void controlChange(int32_t channel, int32_t controller, int32_t value);
void modulationWheel(int32_t channel, int32_t value);
void pitchBend(int32_t channel, int32_t value);  // 0..16383, 8192 at rest
void allSoundingNotesOff();
void resetAllChannels();
bool isSounding(int32_t note);
void clearSoundingNotes();
