#include "backends/linux_midi/midi_trouble.h"

#include <cstdio>
#include <string>

void reportMidiTrouble(std::string_view device, std::string_view what, std::string_view why) {
  // One write, so that lines from the synthesizer's and JACK's threads never interleave.
  const std::string line = "plinkett: " + std::string(device) + ": " + std::string(what) + ": " + std::string(why) + "\n";
  std::fputs(line.c_str(), stderr);
}
