// MIDI output in the page: the built-in synthesizer (device 0, and the mapper, which routes to
// it) and the outputs Web MIDI offers (devices 1 and up), all kept by the page.
#include "frontends/web/web_imports.h"
#include "platform/platform.h"

namespace plat {

int32_t midiOutCount() { return pageMidiCount(); }

bool midiOutProductName(int32_t deviceId, char (&name)[kDeviceNameSize]) {
  name[0] = '\0';
  return pageMidiName(deviceId, name, static_cast<int32_t>(kDeviceNameSize)) != 0;
}

bool midiOutOpen(int32_t deviceId, MidiHandle& handle) {
  const int32_t opened = pageMidiOpen(deviceId);
  if (opened <= 0) return false;
  handle = static_cast<MidiHandle>(opened);
  return true;
}

bool midiOutDeviceId(MidiHandle handle, int32_t& deviceId) {
  const int32_t id = pageMidiDeviceId(static_cast<int32_t>(handle));
  if (id < -1) return false;
  deviceId = id;
  return true;
}

void midiOutSend(MidiHandle handle, uint32_t word) { pageMidiSend(static_cast<int32_t>(handle), word); }
void midiOutClose(MidiHandle handle) { pageMidiClose(static_cast<int32_t>(handle)); }

}  // namespace plat
