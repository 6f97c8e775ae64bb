// MIDI output through the Windows multimedia library (winmm).
#include <windows.h>
// after windows.h, which it builds on
#include <mmsystem.h>

#include <algorithm>
#include <vector>

#include "frontends/win32/win32_front_end.h"

namespace {

// MIDI_MAPPER is (UINT)-1. As the UINT_PTR device id of midiOutGetDevCapsW it is 0xFFFFFFFF on a
// 64-bit build, not a sign-extended -1, which names no device.
constexpr UINT kMapperId = MIDI_MAPPER;

UINT deviceIdOf(int32_t deviceId) { return deviceId == -1 ? kMapperId : static_cast<UINT>(deviceId); }
HMIDIOUT portOf(plat::MidiHandle handle) { return reinterpret_cast<HMIDIOUT>(handle); }

// The ports we hold open: a port opened as the mapper stays the mapper's, whatever device the
// mapper sends to.
struct OpenPort {
  plat::MidiHandle handle;
  bool viaMapper;
};
std::vector<OpenPort> gOpenPorts;

// The driver's name, terminated within its field whether or not the driver terminated it.
void copyProductName(const WCHAR (&productName)[MAXPNAMELEN], char* name, std::size_t capacity) {
  std::size_t length = 0;
  while (length < MAXPNAMELEN && productName[length] != L'\0') ++length;
  copyWholeCharacters(utf8FromWide(productName, length), name, capacity);
}

const OpenPort* openPort(plat::MidiHandle handle) {
  for (const OpenPort& port : gOpenPorts) {
    if (port.handle == handle) return &port;
  }
  return nullptr;
}

}  // namespace

namespace plat {

int32_t midiOutCount() {
  return static_cast<int32_t>(std::min<UINT>(midiOutGetNumDevs(), 0x7FFFFFFF));
}

// The name in UTF-8 as the wide call gives it, so a device named in any script is shown and found
// again by the name it has.
bool midiOutProductName(int32_t deviceId, char (&name)[kDeviceNameSize]) {
  MIDIOUTCAPSW caps{};
  const UINT_PTR id = static_cast<UINT_PTR>(deviceIdOf(deviceId));
  if (midiOutGetDevCapsW(id, &caps, sizeof caps) != MMSYSERR_NOERROR) return false;
  copyProductName(caps.szPname, name, sizeof name);
  return true;
}

bool midiOutOpen(int32_t deviceId, MidiHandle& handle) {
  HMIDIOUT port = nullptr;
  if (::midiOutOpen(&port, deviceIdOf(deviceId), 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR || port == nullptr) {
    return false;
  }
  handle = reinterpret_cast<MidiHandle>(port);
  gOpenPorts.push_back(OpenPort{handle, deviceId == -1});
  return true;
}

// Windows numbers the devices anew as they come and go; the driver knows an open port's place.
bool midiOutDeviceId(MidiHandle handle, int32_t& deviceId) {
  const OpenPort* port = openPort(handle);
  if (port == nullptr) return false;
  if (port->viaMapper) {
    deviceId = -1;
    return true;
  }
  UINT id = 0;
  if (midiOutGetID(portOf(handle), &id) != MMSYSERR_NOERROR || id > 0x7FFFFFFF) return false;
  deviceId = static_cast<int32_t>(id);
  return true;
}

// A short message goes to the driver at once; a busy device answers with an error rather than
// waiting, and the result is not looked at.
void midiOutSend(MidiHandle handle, uint32_t word) { midiOutShortMsg(portOf(handle), word); }

void midiOutClose(MidiHandle handle) {
  std::erase_if(gOpenPorts, [handle](const OpenPort& port) { return port.handle == handle; });
  ::midiOutClose(portOf(handle));
}

}  // namespace plat
