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
// A player's settings, in the environment (the manual page and --help list them too):
//   PLINKETT_NO_BUILTIN_SYNTH=1         no synthesizer and no mapper
//   PLINKETT_MIDI_APIS=alsa|jack|alsa,jack|none
//                                       the system MIDI APIs offered (default: both); without
//                                       one there is no own port of it either
//   PLINKETT_SYNTH_AUDIO_DRIVER=<name>  the one FluidSynth audio driver the synth may use
// The test build alone also reads PLINKETT_SYNTH_FILE (midi_synth.cpp).
// Why a device did not open, or what became of one, goes to standard error (midi_trouble.h).
// No JACK client of this process ever starts a JACK server (JACK_NO_START_SERVER is set).
#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backends/linux_midi/alsa_output.h"
#include "backends/linux_midi/jack_output.h"
#include "backends/linux_midi/midi_devices.h"
#include "backends/linux_midi/midi_message.h"
#include "backends/linux_midi/midi_synth.h"
#include "backends/linux_midi/midi_trouble.h"
#include "backends/start_trace/start_trace.h"
#include "platform/platform.h"

namespace {

// What a port of one kind does, as a driver table: each system's own port, handed round as
// void*, is made, fed and closed only by the functions of its kind.
struct PortDriver {
  // nullptr when the device cannot be opened now; why then says why.
  void* (*open)(const MidiDevice& device, std::string& why);
  void (*send)(void* port, const MidiBytes& message);
  void (*close)(void* port);
};

void* openSynth(const MidiDevice&, std::string& why) { return synthOpen(why); }
void sendToSynth(void* port, const MidiBytes& m) { synthPlay(*static_cast<BuiltinSynth*>(port), m.bytes, m.length); }
void closeSynth(void* port) { synthClose(static_cast<BuiltinSynth*>(port)); }

void* openAlsa(const MidiDevice& device, std::string& why) { return alsaOutputOpen(device.name, device.portName, why); }
void sendToAlsa(void* port, const MidiBytes& m) { alsaOutputSend(*static_cast<AlsaOutput*>(port), m.bytes, m.length); }
void closeAlsa(void* port) { alsaOutputClose(static_cast<AlsaOutput*>(port)); }

void* openJack(const MidiDevice& device, std::string& why) { return jackOutputOpen(device.name, device.portName, why); }
void sendToJack(void* port, const MidiBytes& m) { jackOutputSend(*static_cast<JackOutput*>(port), m.bytes, m.length); }
void closeJack(void* port) { jackOutputClose(static_cast<JackOutput*>(port)); }

constexpr PortDriver kSynthDriver{openSynth, sendToSynth, closeSynth};
constexpr PortDriver kAlsaDriver{openAlsa, sendToAlsa, closeAlsa};
constexpr PortDriver kJackDriver{openJack, sendToJack, closeJack};

// Our own port and a destination differ only in what the open connects to.
const PortDriver* driverOf(MidiDeviceKind kind) {
  switch (kind) {
    case MidiDeviceKind::BuiltinSynth: return &kSynthDriver;
    case MidiDeviceKind::AlsaOwnPort:
    case MidiDeviceKind::AlsaPort: return &kAlsaDriver;
    case MidiDeviceKind::JackOwnPort:
    case MidiDeviceKind::JackPort: return &kJackDriver;
  }
  return &kSynthDriver;  // not reached: every kind is above
}

struct OpenPort {
  MidiDevice device;                   // what was opened, to find it again in later listings
  bool viaMapper = false;              // opened as device -1
  const PortDriver* driver = nullptr;  // of the device's kind
  void* port = nullptr;                // the system's own port, which only driver touches
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
  traceStart("devices asked for");
  MidiDeviceList fresh = scanMidiDevices();
  for (const OpenPort* port : openPorts()) {
    if (!port->viaMapper && indexOf(fresh, port->device) < 0) fresh.devices.push_back(port->device);
  }
  latestListing() = std::move(fresh);
  traceStart("devices listed");
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
  port->driver = driverOf(device->kind);
  std::string why;
  port->port = port->driver->open(*device, why);
  if (port->port == nullptr) {
    reportMidiTrouble(device->name, "cannot open", why);
    return false;
  }
  openPorts().push_back(port.get());
  handle = reinterpret_cast<MidiHandle>(port.release());
  traceStart("device opened");
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
  port->driver->send(port->port, message);
}

void midiOutClose(MidiHandle handle) {
  OpenPort* port = findPort(handle);
  if (port == nullptr) return;
  auto& ports = openPorts();
  ports.erase(std::find(ports.begin(), ports.end(), port));
  port->driver->close(port->port);
  delete port;
}

}  // namespace plat
