// The ALSA sequencer through RtMidi: the destinations it offers, and our output ports on it (our
// own port, which other programs subscribe to, or a port connected to one destination).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct AlsaOutput;

// RtMidi's names ("client:port 20:0") of the sequencer's destinations, ours left out, in the
// sequencer's order; false when there is no sequencer to ask (then quietly, without RtMidi's
// complaint on the terminal).
bool alsaDestinations(std::vector<std::string>& names);

// A port of ours named kOwnPortName: our own when destination is empty, else connected to the
// destination of that RtMidi name. nullptr when it cannot be had; why then says why.
AlsaOutput* alsaOutputOpen(const std::string& device, const std::string& destination, std::string& why);
// Sends one message of 1 to 3 bytes; a failure is said once on standard error, the message lost.
void alsaOutputSend(AlsaOutput& output, const uint8_t* bytes, std::size_t length);
void alsaOutputClose(AlsaOutput* output);
