#include "backends/linux_midi/fluidsynth_library.h"

#include <dlfcn.h>

#include <mutex>

namespace {

template <typename Function>
bool bindFunction(void* library, const char* name, Function& slot, std::string& why) {
  slot = reinterpret_cast<Function>(dlsym(library, name));
  if (slot == nullptr) why = std::string(kFluidSynthLibrary) + " has no " + name;
  return slot != nullptr;
}

bool bindAll(void* library, FluidSynthLibrary& functions, std::string& why) {
#define PLINKETT_FLUIDSYNTH_BIND(name) \
  if (!bindFunction(library, #name, functions.name, why)) return false;
  PLINKETT_FLUIDSYNTH_FUNCTIONS(PLINKETT_FLUIDSYNTH_BIND)
#undef PLINKETT_FLUIDSYNTH_BIND
  return true;
}

}  // namespace

const FluidSynthLibrary* loadFluidSynth(std::string& why) {
  // Opens may come from more than one thread (the MIDI tool, tests); the table is written once.
  static std::mutex lock;
  static FluidSynthLibrary functions{};
  static bool loaded = false;
  const std::lock_guard<std::mutex> guard(lock);
  if (loaded) return &functions;
  void* library = dlopen(kFluidSynthLibrary, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* error = dlerror();
    why = error != nullptr ? error : kFluidSynthLibrary;
    return nullptr;
  }
  // A library without one of the functions stays loaded, unused, as a found one does.
  if (!bindAll(library, functions, why)) return nullptr;
  loaded = true;
  return &functions;
}
