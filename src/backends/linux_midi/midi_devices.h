// The numbered MIDI output devices of the Linux program, as the Devices menu lists them: the
// built-in synthesizer, our own output ports, then the system's MIDI destinations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "backends/linux_midi/midi_names.h"

enum class MidiDeviceKind : uint8_t {
  BuiltinSynth,  // FluidSynth inside the program
  AlsaOwnPort,   // our ALSA sequencer port, which other programs subscribe to
  JackOwnPort,   // our JACK MIDI output port, which other programs connect, connected nowhere
  AlsaPort,      // an ALSA sequencer destination outside the program
  JackPort,      // a JACK MIDI input outside the program
};

struct MidiDevice {
  MidiDeviceKind kind;
  std::string name;      // as the Devices menu shows it
  std::string portName;  // the system's name of a destination, looked up again when opening

  // The same device in two listings: the name shown follows from these two.
  bool sameAs(const MidiDevice& other) const { return kind == other.kind && portName == other.portName; }
};

struct MidiDeviceList {
  bool mapperPresent;  // the mapper (-1) routes to the built-in synthesizer
  std::vector<MidiDevice> devices;  // index = device id
};

// Begins the slow part of the first listing (opening the JACK client) on a thread, for a
// program to call before it builds its window; the listing takes up what it began.
void startListingEarly();

// Before the window is built: the device the start is going to open, as the settings name it
// (deviceId: -1 for the mapper; name: the whole name remembered, empty when none is). A device
// slow to open (the built-in synthesizer) begins opening on a thread of its own, and the open at
// start takes it up.
void prepareDeviceEarly(int32_t deviceId, const char* name);
// Once the start has opened its device: what prepareDeviceEarly began and the start did not
// take up is let go.
void endEarlyDevice();

// The devices the system offers now, reading the environment now.
MidiDeviceList scanMidiDevices();

// The menu name of an ALSA port from RtMidi's name of it: the trailing "client:port" address
// goes, and so does a client name that the port name repeats.
std::string alsaPortMenuName(const std::string& portName);
