// The built-in General MIDI synthesizer (FluidSynth): what device 0 and the mapper play on, so
// that a first start makes sound with nothing set up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct BuiltinSynth;

// The first General MIDI soundfont found in the places Debian's packages install one, or
// nullptr when there is none.
const char* findSoundFont();

// Starts audio output and the soundfont's load, which ends later on a thread of its own; nullptr
// when the library, a soundfont that looks whole or an audio output cannot be had, and why then
// says which (the guide's troubleshooting section says what to do about each). Messages played
// before the load ends are held and played, in order, when it does; a soundfont that fails to
// load then leaves the synthesizer silent, which standard error says.
BuiltinSynth* synthOpen(std::string& why);
// Plays one decoded channel message; other messages are ignored.
void synthPlay(BuiltinSynth& synth, const uint8_t* bytes, std::size_t length);
// Silent at once; what FluidSynth has still to do (a load under way, letting go of the
// soundfont) ends on a thread of its own, which nothing waits for.
void synthClose(BuiltinSynth* synth);
