// FluidSynth, loaded when the built-in synthesizer first opens instead of linked into the
// program: the library and the ~36 it pulls in (PulseAudio, systemd, libinstpatch, ...) cost a
// start that plays on a JACK or ALSA device nothing. <fluidsynth.h> gives the types only.
#pragma once

#include <fluidsynth.h>

#include <string>

// The file asked of the dynamic loader: the soname of FluidSynth 2, what Debian's libfluidsynth3
// installs.
inline constexpr const char* kFluidSynthLibrary = "libfluidsynth.so.3";

// Every FluidSynth function the synthesizer calls; each becomes a member of FluidSynthLibrary
// under its own name and type, looked up by that name.
#define PLINKETT_FLUIDSYNTH_FUNCTIONS(X) \
  X(fluid_set_log_function)              \
  X(new_fluid_settings)                  \
  X(delete_fluid_settings)               \
  X(fluid_settings_setint)               \
  X(fluid_settings_setstr)               \
  X(fluid_settings_setnum)               \
  X(new_fluid_synth)                     \
  X(delete_fluid_synth)                  \
  X(fluid_synth_sfload)                  \
  X(new_fluid_defsfloader)               \
  X(fluid_sfloader_set_callbacks)        \
  X(fluid_synth_add_sfloader)            \
  X(new_fluid_audio_driver)              \
  X(delete_fluid_audio_driver)           \
  X(fluid_synth_write_float)             \
  X(fluid_synth_noteon)                  \
  X(fluid_synth_noteoff)                 \
  X(fluid_synth_key_pressure)            \
  X(fluid_synth_cc)                      \
  X(fluid_synth_program_change)          \
  X(fluid_synth_channel_pressure)        \
  X(fluid_synth_pitch_bend)

struct FluidSynthLibrary {
#define PLINKETT_FLUIDSYNTH_MEMBER(name) decltype(&::name) name;
  PLINKETT_FLUIDSYNTH_FUNCTIONS(PLINKETT_FLUIDSYNTH_MEMBER)
#undef PLINKETT_FLUIDSYNTH_MEMBER
};

// The library's functions, loaded by the first call that finds them all and kept for the rest
// of the process (FluidSynth's dependencies do not all survive being unloaded); FluidSynth's
// own messages are silenced then. nullptr, with
// the loader's reason in why, when the library or one of its functions is missing; a later call
// tries again, so a library installed meanwhile is found.
const FluidSynthLibrary* loadFluidSynth(std::string& why);
