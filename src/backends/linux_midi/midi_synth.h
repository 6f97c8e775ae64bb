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

// For a start that is going to open the synthesizer, before the toolkit starts: the slow part of
// synthOpen begins now on a thread of its own, and the next synthOpen takes it up, waiting only
// for what is not done yet (its failure, if any, is that open's). Main thread.
void synthPrepareEarly();
// The start is over: an open begun by synthPrepareEarly that no synthOpen took up is let go (at
// once when it is done, else by its thread when it is). Main thread.
void synthForgetEarly();
