// The Linux program's own names on the MIDI bus and in the Devices menu.
#pragma once

inline constexpr const char* kMidiClientName = "Plinkett";
inline constexpr const char* kOwnPortName = "Plinkett out";
inline constexpr const char* kSynthName = "Plinkett GM Synth";
inline constexpr const char* kMapperName = "Default synth (built-in)";
inline constexpr const char* kAlsaOwnPortMenuName = "Plinkett output port (ALSA)";
inline constexpr const char* kJackOwnPortMenuName = "Plinkett output port (JACK)";

