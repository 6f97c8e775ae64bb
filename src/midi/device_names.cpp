#include "midi/device_names.h"

#include <cstring>

#include "base/app_state.h"
#include "platform/platform.h"

namespace {

bool hasName(int32_t deviceId, const char* name) {
  char listed[plat::kDeviceNameSize];
  return plat::midiOutProductName(deviceId, listed) && std::strcmp(listed, name) == 0;
}

}  // namespace

int32_t findDeviceByName(const char* name, int32_t preferredId, int32_t deviceCount) {
  if (name[0] == '\0') return kNoDevice;
  if (preferredId >= 0 && preferredId < deviceCount && hasName(preferredId, name)) return preferredId;
  for (int32_t id = 0; id < deviceCount; ++id) {
    if (hasName(id, name)) return id;
  }
  return kNoDevice;
}

void rememberDeviceName(int32_t deviceId) {
  char name[plat::kDeviceNameSize] = {};
  if (deviceId != -1 && !plat::midiOutProductName(deviceId, name)) name[0] = '\0';
  std::memcpy(app.midi.deviceName, name, sizeof name);
}

int32_t savedDeviceAtStart() {
  const int32_t saved = app.settings.savedDeviceId;
  if (saved == -1) return saved;  // the mapper is no device that moves
  if (app.midi.deviceName[0] == '\0') {
    rememberDeviceName(saved);
    return saved;
  }
  // The name decides: another device that has the number now is not the one the player chose.
  return findDeviceByName(app.midi.deviceName, saved, app.midi.deviceCount);
}

int32_t currentDeviceAfterRecount(const char* listedName) {
  int32_t id = app.midi.currentDeviceId;
  if (app.midi.deviceOpen != 0) {
    plat::midiOutDeviceId(app.midi.port, id);
    return id;
  }
  if (id == -1) return id;
  const char* name = listedName[0] != '\0' ? listedName : app.midi.deviceName;
  if (name[0] == '\0') return id;
  return findDeviceByName(name, id, app.midi.deviceCount);
}
