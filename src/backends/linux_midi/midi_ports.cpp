// MIDI output for the Linux program: the MIDI services of platform.h.
//
// Device numbering, taken afresh at each midiOutCount():
//   -1     the mapper: routes to the built-in synthesizer, as a Windows mapper routes to its
//          wavetable synth ("Default synth (built-in)")
//   0      the built-in General MIDI synthesizer (FluidSynth, "Plinkett GM Synth")
//   then   our own ALSA sequencer port "Plinkett:Plinkett out", when the ALSA sequencer is
//          there; our own JACK MIDI output port "Plinkett:out", when a JACK server runs
//   then   the system's MIDI destinations: ALSA sequencer ports, then the MIDI inputs of a
//          running JACK server, each in the order the system lists them
//   last   an open device that the system no longer offers: it stays listed until it is closed
// Without the synthesizer the devices after it move down, so that they stay numbered from 0.
//
// Environment variables, for tests and for troubleshooting:
//   PLINKETT_NO_BUILTIN_SYNTH=1         no synthesizer and no mapper
//   PLINKETT_MIDI_APIS=alsa|jack|alsa,jack|none
//                                       the system MIDI APIs probed (default: both); without
//                                       one there is no own port of it either
//   PLINKETT_SYNTH_AUDIO_DRIVER=<name>  the one FluidSynth audio driver the synth may use
//   PLINKETT_SYNTH_FILE=<path>          the synth writes its sound to this file (WAV for a
//                                       .wav name) instead of playing it
// No JACK client of this process ever starts a JACK server (JACK_NO_START_SERVER is set).
#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "backends/linux_midi/jack_output.h"
#include "backends/linux_midi/midi_devices.h"
#include "backends/linux_midi/midi_message.h"
#include "backends/linux_midi/midi_synth.h"

namespace {

struct OpenPort {
  MidiDevice device;                 // what was opened, to find it again in later listings
  bool viaMapper = false;            // opened as device -1
  BuiltinSynth* synth = nullptr;     // set for the synthesizer
  std::unique_ptr<RtMidiOut> alsa;   // set for an ALSA port
  JackOutput* jack = nullptr;        // set for a JACK port
};

// The handles given out and not yet closed; a handle outside this list is not ours and is
// ignored rather than followed.
std::vector<OpenPort*>& openPorts() {
  static std::vector<OpenPort*> ports;
  return ports;
}

OpenPort* findPort(plat::MidiHandle handle) {
  auto& ports = openPorts();
  const auto it = std::find_if(ports.begin(), ports.end(), [handle](const OpenPort* port) {
    return reinterpret_cast<plat::MidiHandle>(port) == handle;
  });
  return it == ports.end() ? nullptr : *it;
}

std::optional<MidiDeviceList>& latestListing() {
  static std::optional<MidiDeviceList> list;
  return list;
}

// The latest listing (taken now if there is none yet). Ids name its entries until the next
// midiOutCount().
const MidiDeviceList& listing() {
  auto& list = latestListing();
  if (!list) list = scanMidiDevices();
  return *list;
}

int32_t indexOf(const MidiDeviceList& list, const MidiDevice& device) {
  for (std::size_t i = 0; i < list.devices.size(); ++i) {
    if (list.devices[i].sameAs(device)) return static_cast<int32_t>(i);
  }
  return -1;
}

std::unique_ptr<RtMidiOut> openAlsaPort(const MidiDevice& device) {
  auto out = makeAlsaOutput();
  if (out == nullptr) return nullptr;
  try {
    if (device.kind == MidiDeviceKind::AlsaOwnPort) {
      out->openVirtualPort(kOwnPortName);
    } else {
      // Numbers shift as ports come and go; the name is what was listed.
      const unsigned count = out->getPortCount();
      unsigned index = 0;
      while (index < count && out->getPortName(index) != device.portName) ++index;
      if (index == count) return nullptr;
      out->openPort(index, kOwnPortName);
    }
    if (!out->isPortOpen()) return nullptr;
    return out;
  } catch (const RtMidiError&) {
    return nullptr;
  }
}

bool openDevice(const MidiDevice& device, OpenPort& port) {
  switch (device.kind) {
    case MidiDeviceKind::BuiltinSynth:
      port.synth = synthOpen();
      return port.synth != nullptr;
    case MidiDeviceKind::AlsaOwnPort:
    case MidiDeviceKind::AlsaPort:
      port.alsa = openAlsaPort(device);
      return port.alsa != nullptr;
    case MidiDeviceKind::JackOwnPort:
    case MidiDeviceKind::JackPort:
      port.jack = jackOutputOpen(device.portName);
      return port.jack != nullptr;
  }
  return false;
}

const MidiDevice* deviceFor(int32_t deviceId) {
  const MidiDeviceList& list = listing();
  if (deviceId == -1) {
    if (!list.mapperPresent) return nullptr;
    deviceId = 0;  // the synthesizer
  }
  if (deviceId < 0 || static_cast<std::size_t>(deviceId) >= list.devices.size()) return nullptr;
  return &list.devices[static_cast<std::size_t>(deviceId)];
}

}  // namespace

namespace plat {

int32_t midiOutCount() {
  MidiDeviceList fresh = scanMidiDevices();
  for (const OpenPort* port : openPorts()) {
    if (!port->viaMapper && indexOf(fresh, port->device) < 0) fresh.devices.push_back(port->device);
  }
  latestListing() = std::move(fresh);
  return static_cast<int32_t>(latestListing()->devices.size());
}

bool midiOutProductName(int32_t deviceId, char (&name)[kDeviceNameSize]) {
  const MidiDeviceList& list = listing();
  std::string_view text;
  if (deviceId == -1) {
    if (!list.mapperPresent) return false;
    text = kMapperName;
  } else if (const MidiDevice* device = deviceFor(deviceId)) {
    text = device->name;
  } else {
    return false;
  }
  // Every name JACK and ALSA give fits whole; one that would not is cut where a character begins.
  std::size_t length = std::min(text.size(), sizeof name - 1);
  if (length < text.size()) {
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0u) == 0x80u) --length;
  }
  std::memcpy(name, text.data(), length);
  name[length] = '\0';
  return true;
}

bool midiOutOpen(int32_t deviceId, MidiHandle& handle) {
  const MidiDevice* device = deviceFor(deviceId);
  if (device == nullptr) return false;
  auto port = std::make_unique<OpenPort>();
  port->device = *device;
  port->viaMapper = deviceId == -1;
  if (!openDevice(*device, *port)) return false;
  openPorts().push_back(port.get());
  handle = reinterpret_cast<MidiHandle>(port.release());
  return true;
}

bool midiOutDeviceId(MidiHandle handle, int32_t& deviceId) {
  const OpenPort* port = findPort(handle);
  if (port == nullptr) return false;
  const int32_t index = port->viaMapper ? -1 : indexOf(listing(), port->device);
  if (index < 0 && !port->viaMapper) return false;
  deviceId = index;
  return true;
}

void midiOutSend(MidiHandle handle, uint32_t word) {
  OpenPort* port = findPort(handle);
  if (port == nullptr) return;
  const MidiBytes message = unpackShortMessage(word);
  if (message.length == 0) return;
  if (port->synth != nullptr) {
    synthPlay(*port->synth, message.bytes, message.length);
  } else if (port->jack != nullptr) {
    jackOutputSend(*port->jack, message.bytes, message.length);
  } else if (port->alsa != nullptr) {
    try {
      port->alsa->sendMessage(message.bytes, message.length);
    } catch (const RtMidiError&) {
      // A send's result is not reported; the message is lost.
    }
  }
}

void midiOutClose(MidiHandle handle) {
  OpenPort* port = findPort(handle);
  if (port == nullptr) return;
  auto& ports = openPorts();
  ports.erase(std::find(ports.begin(), ports.end(), port));
  synthClose(port->synth);
  jackOutputClose(port->jack);
  try {
    if (port->alsa != nullptr) port->alsa->closePort();
  } catch (const RtMidiError&) {
  }
  delete port;
}

}  // namespace plat
