#include "settings/byte_cursor.h"

#include <cstring>

bool readU32(ByteReader& reader, uint32_t& value) {
  // A field the end of the data cuts in the middle counts as missing: its value stays.
  if (reader.size < 4 || reader.offset > reader.size - 4) return false;
  const uint8_t* p = reader.data + reader.offset;
  value = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
          (static_cast<uint32_t>(p[3]) << 24);
  reader.offset += 4;
  return true;
}

bool readI32(ByteReader& reader, int32_t& value) {
  uint32_t raw = 0;
  if (!readU32(reader, raw)) return false;
  value = static_cast<int32_t>(raw);
  return true;
}

bool readF32(ByteReader& reader, float& value) {
  uint32_t raw = 0;
  if (!readU32(reader, raw)) return false;
  std::memcpy(&value, &raw, sizeof value);
  return true;
}

void writeU32(ByteWriter& writer, uint32_t value) {
  if (writer.size < 4 || writer.offset > writer.size - 4) return;
  uint8_t* p = writer.data + writer.offset;
  p[0] = static_cast<uint8_t>(value);
  p[1] = static_cast<uint8_t>(value >> 8);
  p[2] = static_cast<uint8_t>(value >> 16);
  p[3] = static_cast<uint8_t>(value >> 24);
  writer.offset += 4;
}

void writeI32(ByteWriter& writer, int32_t value) { writeU32(writer, static_cast<uint32_t>(value)); }

void writeF32(ByteWriter& writer, float value) {
  uint32_t raw = 0;
  std::memcpy(&raw, &value, sizeof raw);
  writeU32(writer, raw);
}
