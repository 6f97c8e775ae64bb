#include "fake/scenario.h"


#include "base/app_state.h"
#include "midi/devices.h"
#include "platform/platform.h"

namespace fake {

void openPortDirectly(int32_t deviceId) {
  plat::MidiHandle handle = 0;
  if (!plat::midiOutOpen(deviceId, handle)) return;
  app.midi.port = handle;
  app.midi.deviceOpen = 1;
}

void closePortDirectly() {
  plat::midiOutClose(app.midi.port);
  app.midi.port = 0;
  app.midi.deviceOpen = 0;
}

void startDevices() {
  app.midi.deviceCount = plat::midiOutCount();
  fillDevicesMenu(app.midi.deviceCount);
  openDeviceAtStart();
}

}  // namespace fake
