// A short-message word as the core hands it over (status in bits 0-7, data bytes in bits 8-15
// and 16-23), turned into the bytes a MIDI port takes.
#pragma once

#include <cstddef>
#include <cstdint>

struct MidiBytes {
  uint8_t bytes[3];
  std::size_t length;  // 0: nothing a port could send (a data byte or sysex without a status)
};

// Bytes a message with this status byte takes on the wire, status included. Sysex start and end
// and the undefined statuses cannot travel as one short word, so they count as unsendable.
constexpr std::size_t shortMessageLength(uint8_t status) {
  if (status < 0x80) return 0;
  switch (status & 0xF0) {
    case 0xC0:  // program change
    case 0xD0:  // channel pressure
      return 2;
    case 0xF0:
      break;
    default:  // note off/on, poly pressure, controller, pitch bend
      return 3;
  }
  switch (status) {
    case 0xF1:  // time code quarter frame
    case 0xF3:  // song select
      return 2;
    case 0xF2:  // song position
      return 3;
    case 0xF6:  // tune request
    case 0xF8: case 0xFA: case 0xFB: case 0xFC: case 0xFE: case 0xFF:  // real time
      return 1;
    default:  // 0xF0, 0xF7 sysex; 0xF4, 0xF5, 0xF9, 0xFD undefined
      return 0;
  }
}

constexpr MidiBytes unpackShortMessage(uint32_t word) {
  const auto status = static_cast<uint8_t>(word & 0xFFu);
  // A data byte with its top bit set would read as a status on the wire and derail the
  // receiver's parser, so only its low seven bits travel.
  return MidiBytes{{status, static_cast<uint8_t>((word >> 8) & 0x7Fu),
                    static_cast<uint8_t>((word >> 16) & 0x7Fu)},
                   shortMessageLength(status)};
}
