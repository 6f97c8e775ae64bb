// The program's one JACK client, on libjack directly: it lists the server's MIDI inputs and
// carries every JACK output port of the program. It is opened at the first need, only when a
// server runs (it never starts one), and kept; a client whose server has died, or does not
// answer, is let go at the next listing, opening or closing, so that a server started again (or
// going on) is found afresh.
//
// No call waits on the server without a bound. Every call that needs the server's answer is made
// on the server thread (jack_server_thread.h); a server that leaves one unanswered for a fifth
// of a second (stopped, hung) counts as gone: standard error says so once, its devices fail to
// open and are not listed until it answers again.
//
// Sending never waits. A message goes into a lock-free ring that the process callback empties
// at the start of the next cycle; a full ring, or a server that is gone, drops the message at
// once. Each message is written at frame 0 of the next cycle, in the order it was sent: the
// note leaves as soon as it can (key to MIDI at the floor of a client that does the same), and
// the jitter this leaves is under one period, which at the periods chosen for live playing is
// below the typing keyboard's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct JackOutput;

// Starts opening the client on a thread of its own: opening takes the server's round trips and
// the locking of its shared memory (10 to 20 ms), which can pass while the window is being built.
// The first call below waits for it, as long as the server answers. Without a server it ends at
// once with no client. forListing: the devices are listed next, and the server's table of ports
// is read beside the toolkit's start too, so that the listing finds it in memory.
void jackOpenClientEarly(bool forListing = false);

// True when a JACK server runs and answers now, which is when our client is (or can now be) open.
bool jackAvailable();

// Full names ("client:port") of the server's MIDI inputs, ours left out, in the server's order;
// empty without a server.
std::vector<std::string> jackMidiInputs();

// A new output port of our client, connected to the MIDI input of that full name, or to nothing
// when destination is empty (our own port, for patchbays and sequencers to connect). nullptr
// when it cannot be had now; why then says why. device: the menu's name, for standard error.
JackOutput* jackOutputOpen(const std::string& device, const std::string& destination, std::string& why);
// Queues one message of 1 to 3 bytes for the next cycle; dropped when it cannot go. A server
// that died, or a connection that was cut, is said once on standard error.
void jackOutputSend(JackOutput& output, const uint8_t* bytes, std::size_t length);
// Takes the port away (and with the last one, the client out of the process graph), once the
// messages still queued have left: within two cycles of a running server, at once when the
// server is gone, and after two fifths of a second at most when it does not answer (the port is
// then left to go whenever the server answers).
void jackOutputClose(JackOutput* output);

// ---- Audio: the built-in synthesizer's sound, on two ports of the same client ----------------
//
// The synthesizer renders straight into the client's buffers in its process callback: no second
// client, no thread between the synthesizer and the server, and the sound of a note leaves in
// the first cycle after it, as a MIDI message does.

// Renders frames of stereo sound; called on JACK's process thread, so it takes no lock,
// allocates nothing and waits for nothing.
using RenderAudio = void (*)(void* context, uint32_t frames, float* left, float* right);

struct JackAudio;

// From any thread: the sample rate of the server our client opened on, once the opening begun
// before (jackOpenClientEarly) has ended; 0 without a server, or when none was begun.
uint32_t jackServerRate();
// Two audio output ports of our client, "synth-left" and "synth-right", which render fills from
// the first cycle after they join the graph; they are connected to the server's first two
// playback ports (a sound card's outputs), as a synthesizer's outputs are. nullptr, with why,
// when the server cannot give them now. Main thread.
JackAudio* jackAudioOpen(RenderAudio render, void* context, std::string& why);
// After this returns render is never called again; the ports go as a MIDI port does. Main thread.
void jackAudioClose(JackAudio* audio);
