#include "backends/linux_midi/midi_devices.h"

#include <cstdlib>
#include <memory>
#include <string_view>

#include "backends/linux_midi/jack_output.h"
#include "backends/linux_midi/midi_probe.h"

namespace {

bool envFlag(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

// PLINKETT_MIDI_APIS: "alsa", "jack", "alsa,jack" or "none"; unset probes both.
bool apiWanted(std::string_view api) {
  const char* value = std::getenv("PLINKETT_MIDI_APIS");
  if (value == nullptr) return true;
  std::string_view list(value);
  while (!list.empty()) {
    const auto comma = list.find(',');
    if (list.substr(0, comma) == api) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

// RtMidi reports trouble by throwing from its constructors and by printing warnings; this
// program reports nothing but "Cannot open MIDI device", so warnings are dropped.
void ignoreRtMidiError(RtMidiError::Type, const std::string&, void*) {}

// Our own client's ports never count as destinations: playing into ourselves makes no sense.
bool isOwnPort(const std::string& portName) {
  const std::string_view name(portName);
  const std::string_view own(kMidiClientName);
  return name.starts_with(own) && name.size() > own.size() &&
         (name[own.size()] == ':' || name[own.size()] == '-');
}

void appendAlsaPorts(RtMidiOut& out, MidiDeviceList& list) {
  try {
    const unsigned count = out.getPortCount();
    for (unsigned i = 0; i < count; ++i) {
      const std::string portName = out.getPortName(i);
      if (portName.empty() || isOwnPort(portName)) continue;
      list.devices.push_back(MidiDevice{MidiDeviceKind::AlsaPort, alsaPortMenuName(portName), portName});
    }
  } catch (const RtMidiError&) {
    // Whatever was listed before the failure stays usable.
  }
}

}  // namespace

std::unique_ptr<RtMidiOut> makeAlsaOutput() {
  try {
    auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kMidiClientName);
    // RtMidi falls back to another compiled API when the one asked for is missing.
    if (out->getCurrentApi() != RtMidi::LINUX_ALSA) return nullptr;
    out->setErrorCallback(ignoreRtMidiError, nullptr);
    return out;
  } catch (const RtMidiError&) {
    return nullptr;
  }
}

std::string alsaPortMenuName(const std::string& portName) {
  std::string name = portName;
  // "Client:Port 20:0": the numeric address at the end means nothing to a player.
  const auto space = name.rfind(' ');
  if (space != std::string::npos && name.find_first_not_of("0123456789:", space + 1) == std::string::npos &&
      name.find(':', space + 1) != std::string::npos) {
    name.erase(space);
  }
  const auto colon = name.find(':');
  if (colon != std::string::npos && colon > 0 &&
      std::string_view(name).substr(colon + 1).starts_with(std::string_view(name).substr(0, colon))) {
    name.erase(0, colon + 1);
  }
  return name;
}

void startListingEarly() {
  if (apiWanted("jack")) jackOpenClientEarly();
}

MidiDeviceList scanMidiDevices() {
  keepJackFromStartingServer();
  MidiDeviceList list{false, {}};
  if (!envFlag("PLINKETT_NO_BUILTIN_SYNTH")) {
    list.mapperPresent = true;
    list.devices.push_back(MidiDevice{MidiDeviceKind::BuiltinSynth, kSynthName, ""});
  }
  // Our own ports come first, each when the system that carries it is there; JACK names stay
  // whole ("client:port").
  // One ALSA client both tells that the sequencer is there and lists its ports. The probe first
  // keeps RtMidi from printing its complaint where there is no sequencer.
  const std::unique_ptr<RtMidiOut> alsaOut =
      apiWanted("alsa") && alsaSequencerAvailable() ? makeAlsaOutput() : nullptr;
  const bool alsa = alsaOut != nullptr;
  const bool jack = apiWanted("jack") && jackAvailable();
  if (alsa) list.devices.push_back(MidiDevice{MidiDeviceKind::AlsaOwnPort, kAlsaOwnPortMenuName, ""});
  if (jack) list.devices.push_back(MidiDevice{MidiDeviceKind::JackOwnPort, kJackOwnPortMenuName, ""});
  if (alsa) appendAlsaPorts(*alsaOut, list);
  if (jack) {
    for (std::string& port : jackMidiInputs()) {
      list.devices.push_back(MidiDevice{MidiDeviceKind::JackPort, port, port});
    }
  }
  return list;
}
