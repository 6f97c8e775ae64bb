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

// FluidSynth reports every driver it fails to start; those failures are expected while the
// synthesizer looks for one that works, and the program reports nothing but the open failure
// itself. Set once, before any synthesizer exists: the setting is FluidSynth's global, read by
// the threads of every synthesizer.
void silenceFluidSynth(const FluidSynthLibrary& functions) {
  for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) {
    functions.fluid_set_log_function(level, nullptr, nullptr);
  }
}

}  // namespace

const FluidSynthLibrary* loadFluidSynth(std::string& why) {
  // Any thread may open a synthesizer: the table is written once, under the lock, before any
  // caller reads it.
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
  silenceFluidSynth(functions);
  loaded = true;
  return &functions;
}
