// Quiet questions about the MIDI systems, asked before RtMidi, FluidSynth or libjack touch them:
// all of them (and ALSA and JACK themselves) print to the terminal when a system is missing.
#pragma once

// Forbids every JACK client of this process to start a server of its own (a JACK client's
// default is to launch jackd when none runs, which would grab the sound card behind the
// user's back), and keeps libjack's complaints about a missing or dying server off the terminal.
void keepJackFromStartingServer();
// True when an ALSA sequencer client can be opened now.
bool alsaSequencerAvailable();
