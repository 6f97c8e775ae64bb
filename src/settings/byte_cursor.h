// A little-endian cursor over a byte buffer. Reads past the end leave the destination as it was,
// so a record that starts from defaults stays valid whatever the buffer's length.
#pragma once

#include <cstddef>
#include <cstdint>

struct ByteReader {
  const uint8_t* data;
  std::size_t size;
  std::size_t offset = 0;
};

struct ByteWriter {
  uint8_t* data;
  std::size_t size;
  std::size_t offset = 0;
};

bool readU32(ByteReader& reader, uint32_t& value);
bool readI32(ByteReader& reader, int32_t& value);
bool readF32(ByteReader& reader, float& value);
void writeU32(ByteWriter& writer, uint32_t value);
void writeI32(ByteWriter& writer, int32_t value);
void writeF32(ByteWriter& writer, float value);
