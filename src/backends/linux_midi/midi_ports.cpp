// MIDI output for the Linux front end: the five MIDI services of platform.h.
//
// Device numbering, fixed at the first midiOutCount():
//   -1     the mapper: routes to the built-in synthesizer, as a Windows mapper routes to its
//          wavetable synth ("Default synth (built-in)")
//   0      the built-in General MIDI synthesizer (FluidSynth, "Plinkett GM Synth")
//   1      our own ALSA sequencer port "Plinkett:Plinkett out", for a DAW or synth to
//          subscribe to; present when the ALSA sequencer is
//   2...   the system's MIDI destinations: ALSA sequencer ports, then the MIDI inputs of a
//          running JACK server, each in the order the system lists them
// Without the synthesizer the devices after it move down, so that they stay numbered from 0.
//
// Environment variables, for tests and for troubleshooting:
//   PLINKETT_NO_BUILTIN_SYNTH=1         no synthesizer and no mapper
//   PLINKETT_MIDI_APIS=alsa|jack|alsa,jack|none
//                                       the system MIDI APIs probed (default: both); without
//                                       alsa there is no own port either
//   PLINKETT_SYNTH_AUDIO_DRIVER=<name>  the one FluidSynth audio driver the synth may use
//   PLINKETT_SYNTH_FILE=<path>          the synth writes its sound to this file (WAV for a
//                                       .wav name) instead of playing it
// No JACK client of this process ever starts a JACK server (JACK_NO_START_SERVER is set).
#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/platform.h"
#include "backends/linux_midi/midi_devices.h"
#include "backends/linux_midi/midi_message.h"
#include "backends/linux_midi/midi_synth.h"

namespace {

struct OpenPort {
  BuiltinSynth* synth;               // set for the synthesizer
  std::unique_ptr<RtMidiOut> out;    // set for a port on the MIDI bus
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

std::unique_ptr<RtMidiOut> openBusPort(const MidiDevice& device) {
  auto out = makeMidiOutput(device.api);
  if (out == nullptr) return nullptr;
  try {
    if (device.kind == MidiDeviceKind::OwnPort) {
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

const MidiDevice* deviceFor(int32_t deviceId) {
  const MidiDeviceList& list = midiDeviceList();
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
  return static_cast<int32_t>(midiDeviceList().devices.size());
}

bool midiOutProductName(int32_t deviceId, char (&name)[32]) {
  const MidiDeviceList& list = midiDeviceList();
  const char* text = nullptr;
  if (deviceId == -1) {
    if (list.mapperPresent) text = kMapperName;
  } else if (const MidiDevice* device = deviceFor(deviceId)) {
    text = device->name.c_str();
  }
  if (text == nullptr) return false;
  std::strncpy(name, text, sizeof name - 1);
  name[sizeof name - 1] = '\0';
  return true;
}

bool midiOutOpen(int32_t deviceId, MidiHandle& handle) {
  const MidiDevice* device = deviceFor(deviceId);
  if (device == nullptr) return false;
  auto port = std::make_unique<OpenPort>();
  if (device->kind == MidiDeviceKind::BuiltinSynth) {
    port->synth = synthOpen();
    if (port->synth == nullptr) return false;
  } else {
    port->out = openBusPort(*device);
    if (port->out == nullptr) return false;
  }
  openPorts().push_back(port.get());
  handle = reinterpret_cast<MidiHandle>(port.release());
  return true;
}

void midiOutSend(MidiHandle handle, uint32_t word) {
  OpenPort* port = findPort(handle);
  if (port == nullptr) return;
  const MidiBytes message = unpackShortMessage(word);
  if (message.length == 0) return;
  if (port->synth != nullptr) {
    synthPlay(*port->synth, message.bytes, message.length);
    return;
  }
  try {
    port->out->sendMessage(message.bytes, message.length);
  } catch (const RtMidiError&) {
    // A send's result is not reported; the message is lost.
  }
}

void midiOutClose(MidiHandle handle) {
  OpenPort* port = findPort(handle);
  if (port == nullptr) return;
  auto& ports = openPorts();
  ports.erase(std::find(ports.begin(), ports.end(), port));
  synthClose(port->synth);
  try {
    // For JACK this waits (at most a second) until the last messages left in a process cycle.
    if (port->out != nullptr) port->out->closePort();
  } catch (const RtMidiError&) {
  }
  delete port;
}

}  // namespace plat
