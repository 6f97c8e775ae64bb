#include "settings/device_name_file.h"

#include <cstdio>
#include <cstring>

#include "base/app_state.h"
#include "platform/platform.h"

namespace {

// A name byte: anything but a control character, so a line is a line.
bool isNameByte(uint8_t byte) { return byte >= 0x20 && byte != 0x7F; }

// Reads "-?digits" that fit in 32 bits, up to the newline it consumes.
bool readIdLine(const uint8_t* bytes, std::size_t size, std::size_t& at, int32_t& id) {
  const bool negative = at < size && bytes[at] == '-';
  if (negative) ++at;
  const std::size_t first = at;
  int64_t value = 0;
  while (at < size && bytes[at] >= '0' && bytes[at] <= '9' && at - first < 10) value = value * 10 + (bytes[at++] - '0');
  if (at == first || at >= size || bytes[at] != '\n') return false;
  ++at;
  value = negative ? -value : value;
  if (value < INT32_MIN || value > INT32_MAX) return false;
  id = static_cast<int32_t>(value);
  return true;
}

}  // namespace

std::size_t encodeDeviceName(int32_t deviceId, const char* name, uint8_t (&bytes)[kDeviceNameFileRoom]) {
  char text[kDeviceNameFileRoom];
  const int n = std::snprintf(text, sizeof text, "%d\n%.*s\n", static_cast<int>(deviceId),
                              static_cast<int>(plat::kDeviceNameSize - 1), name);
  const std::size_t length = n < 0 ? 0 : static_cast<std::size_t>(n);
  std::memcpy(bytes, text, length);
  return length;
}

bool decodeDeviceName(const uint8_t* bytes, std::size_t size, int32_t& deviceId, char (&name)[plat::kDeviceNameSize]) {
  std::size_t at = 0;
  int32_t id = 0;
  if (!readIdLine(bytes, size, at, id)) return false;
  const std::size_t first = at;
  while (at < size && at - first < sizeof name - 1 && isNameByte(bytes[at])) ++at;
  if (at + 1 != size || bytes[at] != '\n') return false;
  deviceId = id;
  std::memcpy(name, bytes + first, at - first);
  name[at - first] = '\0';
  return true;
}

void loadDeviceName(const char* path) {
  app.midi.deviceName[0] = '\0';
  if (path[0] == '\0') return;
  uint8_t bytes[kDeviceNameFileRoom];
  const std::size_t n = plat::fileReadSmall(path, bytes, sizeof bytes);
  int32_t id = 0;
  char name[plat::kDeviceNameSize];
  if (decodeDeviceName(bytes, n, id, name) && id == app.settings.savedDeviceId) {
    std::memcpy(app.midi.deviceName, name, sizeof name);
  }
}

void saveDeviceName() {
  if (app.shell.deviceNamePath.empty()) return;
  uint8_t bytes[kDeviceNameFileRoom];
  const std::size_t n = encodeDeviceName(app.settings.savedDeviceId, app.midi.deviceName, bytes);
  plat::fileReplace(app.shell.deviceNamePath.c_str(), bytes, n);
}
