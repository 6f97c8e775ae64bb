// The numbered MIDI output devices of the Linux front end, as the Devices menu lists them:
// the built-in synthesizer, our own output port, then the system's MIDI destinations.
#pragma once

#include <rtmidi/RtMidi.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class MidiDeviceKind : uint8_t {
  BuiltinSynth,  // FluidSynth inside the program
  OwnPort,       // an ALSA sequencer port other programs subscribe to
  SystemPort,    // a destination that exists outside the program
};

struct MidiDevice {
  MidiDeviceKind kind;
  RtMidi::Api api;       // the system API of an OwnPort or SystemPort
  std::string name;      // as the Devices menu shows it
  std::string portName;  // RtMidi's name of the destination, looked up again when opening
};

struct MidiDeviceList {
  bool mapperPresent;  // the mapper (-1) routes to the built-in synthesizer
  std::vector<MidiDevice> devices;  // index = device id
};

// Our own names on the MIDI bus.
inline constexpr const char* kMidiClientName = "Plinkett";
inline constexpr const char* kOwnPortName = "Plinkett out";
inline constexpr const char* kSynthName = "Plinkett GM Synth";
inline constexpr const char* kMapperName = "Default synth (built-in)";
inline constexpr const char* kOwnPortMenuName = "Plinkett output port (ALSA)";

// An RtMidi output of exactly this API under our client name, or nullptr when it cannot be
// had. Never throws; RtMidi's warnings are dropped.
std::unique_ptr<RtMidiOut> makeMidiOutput(RtMidi::Api api);

// Taken at the first call and kept: the core numbers the devices once, at start-up.
const MidiDeviceList& midiDeviceList();

// Builds a list afresh, reading the environment now; for tools and tests.
MidiDeviceList scanMidiDevices();

// The menu name of a system port from RtMidi's name of it: ALSA's trailing "client:port"
// address goes, and so does a client name that the port name repeats.
std::string systemPortMenuName(RtMidi::Api api, const std::string& portName);
