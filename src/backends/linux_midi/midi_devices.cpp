#include "backends/linux_midi/midi_devices.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "backends/linux_midi/alsa_output.h"
#include "backends/linux_midi/jack_output.h"
#include "backends/linux_midi/midi_probe.h"
#include "backends/linux_midi/midi_synth.h"

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

}  // namespace

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
  if (apiWanted("jack")) jackOpenClientEarly(true);
}

void prepareDeviceEarly(int32_t deviceId, const char* name) {
  // The numbering below: the mapper and device 0 are the synthesizer whenever there is one, and
  // a remembered name says which device is meant wherever it is now.
  if (envFlag("PLINKETT_NO_BUILTIN_SYNTH")) return;
  const bool synth = deviceId == -1 || (name[0] == '\0' ? deviceId == 0 : std::strcmp(name, kSynthName) == 0);
  if (synth) synthPrepareEarly();
}

void endEarlyDevice() { synthForgetEarly(); }

MidiDeviceList scanMidiDevices() {
  keepJackFromStartingServer();
  MidiDeviceList list{false, {}};
  if (!envFlag("PLINKETT_NO_BUILTIN_SYNTH")) {
    list.mapperPresent = true;
    list.devices.push_back(MidiDevice{MidiDeviceKind::BuiltinSynth, kSynthName, ""});
  }
  // Our own ports come first, each when the system that carries it is there; JACK names stay
  // whole ("client:port").
  std::vector<std::string> alsaPorts;
  const bool alsa = apiWanted("alsa") && alsaDestinations(alsaPorts);
  const bool jack = apiWanted("jack") && jackAvailable();
  if (alsa) list.devices.push_back(MidiDevice{MidiDeviceKind::AlsaOwnPort, kAlsaOwnPortMenuName, ""});
  if (jack) list.devices.push_back(MidiDevice{MidiDeviceKind::JackOwnPort, kJackOwnPortMenuName, ""});
  for (const std::string& port : alsaPorts) {
    list.devices.push_back(MidiDevice{MidiDeviceKind::AlsaPort, alsaPortMenuName(port), port});
  }
  if (jack) {
    for (std::string& port : jackMidiInputs()) {
      list.devices.push_back(MidiDevice{MidiDeviceKind::JackPort, port, port});
    }
  }
  return list;
}
