#include "base/short_message.h"

#include <algorithm>

uint32_t packShortMessage(int32_t status, int32_t channel, int32_t data1, int32_t data2) {
  // Settings read from a damaged file may hold any channel, program or velocity; clamping here,
  // where every word is made, means no other place has to trust them.
  auto byte = [](int32_t v, int32_t hi) { return static_cast<uint32_t>(std::clamp(v, 0, hi)); };
  uint32_t statusByte = (static_cast<uint32_t>(status) & 0xF0u) | 0x80u;
  return (statusByte | byte(channel, kMidiChannels - 1)) | (byte(data1, kDataMax) << 8) | (byte(data2, kDataMax) << 16);
}
