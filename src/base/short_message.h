// The one packer of MIDI short-message words, and the extractors that read them back.
// Word layout: bits 0-7 status | channel, bits 8-15 data1, bits 16-23 data2, bits 24-31 zero.
#pragma once

#include <cstdint>

constexpr int32_t kMidiChannels = 16;  // channels 0..15, shown as "1".."16"
constexpr int32_t kMidiNotes = 128;    // note numbers 0..127
constexpr int32_t kDataMax = 127;      // the largest value of a data byte
// Every receiver takes a note-on of velocity 0 for a note-off.
constexpr int32_t kLowestNoteOnVelocity = 1;

namespace midi_status {
constexpr int32_t kNoteOff = 0x80;
constexpr int32_t kNoteOn = 0x90;
constexpr int32_t kControlChange = 0xB0;
constexpr int32_t kProgramChange = 0xC0;
constexpr int32_t kPitchBend = 0xE0;
}  // namespace midi_status

namespace midi_controller {
constexpr int32_t kModulation = 1;
constexpr int32_t kSustain = 64;
constexpr int32_t kResetAllControllers = 121;
constexpr int32_t kAllNotesOff = 123;
}  // namespace midi_controller

// Callers pass status with its low nibble clear, channel 0..15 and data 0..127. A value out of
// those ranges (only a damaged settings file can bring one) is clamped into range here, so no
// word that leaves the program is malformed.
uint32_t packShortMessage(int32_t status, int32_t channel, int32_t data1, int32_t data2);

constexpr int32_t statusOf(uint32_t word) { return static_cast<int32_t>(word & 0xF0u); }
constexpr int32_t channelOf(uint32_t word) { return static_cast<int32_t>(word & 0x0Fu); }
constexpr int32_t data1Of(uint32_t word) { return static_cast<int32_t>((word >> 8) & 0xFFu); }
constexpr int32_t data2Of(uint32_t word) { return static_cast<int32_t>((word >> 16) & 0xFFu); }

// True for a word the program may send: status bit 7 set, data bytes 0..127, top byte zero.
constexpr bool isWellFormed(uint32_t word) {
  return (word & 0x80u) != 0 && (word & 0x8000u) == 0 && (word & 0x800000u) == 0 &&
         (word >> 24) == 0;
}
