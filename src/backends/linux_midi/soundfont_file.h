// The soundfont as the built-in synthesizer reads it. FluidSynth opens the file again by its
// name each time a program needs samples it has not read yet (dynamic sample loading), and a
// file that has gone, or no longer parses as it did, leaves it playing samples it never read: a
// crash. So the synthesizer reads through these callbacks instead: the file is held open from
// the first open (a file removed, or replaced by a rename, stays readable as it was), everything
// but the sample data is kept in memory from the load (so every later open finds the layout the
// load found), and a sample that cannot be read whole (a file cut short or damaged in place) is a
// failed read, which FluidSynth answers by leaving that sample silent. Standard error says so,
// once for the file.
#pragma once

#include <fluidsynth.h>

struct HeldSoundFont;

// Opens the file and checks the layout FluidSynth insists on before it reads anything else:
// "RIFF", the size of the rest of the file, "sfbk", then the LIST chunks INFO, sdta and pdta in
// that order, each inside the file. A few reads of twelve bytes, so that the open can still fail
// on a file that is no soundfont while the load goes to another thread. nullptr when the file
// cannot be opened or is no soundfont.
HeldSoundFont* holdSoundFont(const char* path);

// Reads everything but the sample data into memory (the load's part: some hundred kilobytes).
// False when the file can no longer be read so far.
bool readSoundFontLayout(HeldSoundFont& font);

// The name to load the file by through a loader with the callbacks below.
const char* heldSoundFontName(const HeldSoundFont& font);

// Once no synthesizer reads it any more.
void releaseSoundFont(HeldSoundFont* font);

// FluidSynth's file callbacks, for fluid_sfloader_set_callbacks.
void* soundFontOpen(const char* name);
int soundFontRead(void* buffer, fluid_long_long_t count, void* handle);
int soundFontSeek(void* handle, fluid_long_long_t offset, int origin);
fluid_long_long_t soundFontTell(void* handle);
int soundFontClose(void* handle);
