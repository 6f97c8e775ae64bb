// How the Linux MIDI back end says why a device did not open, or what became of one that was: one
// line on standard error, in one form whatever the system,
//   plinkett: <device>: <what happened>: <why>
// so that a player who sees "Cannot open MIDI device", or hears nothing, finds the reason there.
#pragma once

#include <string_view>

void reportMidiTrouble(std::string_view device, std::string_view what, std::string_view why);
