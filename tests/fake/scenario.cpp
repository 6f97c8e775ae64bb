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

void key(bool release, int32_t virtualKey, int32_t scan, Modifiers modifiers, bool repeat) {
  handleKeyMessage(KeyMessage{release, virtualKey, static_cast<uint8_t>(scan), repeat, modifiers});
}

PersistedSettings distinctSettings() {
  PersistedSettings s;
  s.alwaysOnTop = 3;
  s.showControlBars = 5;
  s.zoom = 1.5f;
  s.windowRect = Rect{-20, 40, 620, 330};
  s.transpose = -2;
  s.savedDeviceId = 7;
  s.openAtStart = 9;
  s.channel = 11;
  s.program = 77;
  s.velocity = 99;
  s.layout = 2;
  s.showFlats = 6;
  return s;
}

}  // namespace fake
