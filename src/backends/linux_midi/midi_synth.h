// The built-in General MIDI synthesizer (FluidSynth): what device 0 and the mapper play on, so
// that a first start makes sound with nothing set up.
#pragma once

#include <cstddef>
#include <cstdint>

struct BuiltinSynth;

// The first General MIDI soundfont found in the places Debian's packages install one, or
// nullptr when there is none.
const char* findSoundFont();

// Loads the soundfont and starts audio output; nullptr when either cannot be had.
BuiltinSynth* synthOpen();
// Plays one decoded channel message; other messages are ignored.
void synthPlay(BuiltinSynth& synth, const uint8_t* bytes, std::size_t length);
void synthClose(BuiltinSynth* synth);
