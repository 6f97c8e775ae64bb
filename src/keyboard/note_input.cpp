#include "keyboard/note_input.h"

#include <cstdint>

#include "base/app_state.h"
#include "base/int_conversions.h"
#include "base/short_message.h"
#include "display/control_bars.h"
#include "keyboard/key_grid.h"
#include "keyboard/transpose.h"
#include "midi/midi_output.h"
#include "platform/events.h"
#include "platform/platform.h"

namespace {

constexpr int32_t kSustainOn = 127;
constexpr int32_t kSustainOff = 0;
constexpr int32_t kVelocityStep = 8;

// A damaged settings file can hold any transpose; the sum is formed wide and pinned to the int32
// range so it cannot overflow. The note numbering limits the result to 0..127 in any case.
int32_t playedOctave(int32_t slotOctave, int32_t shift) {
  return saturateToInt32(int64_t{app.settings.transpose} + slotOctave + shift);
}

int32_t octaveShift(Modifiers modifiers, const KeyLayout& layout) {
  int32_t step = octaveStep(layout);
  int32_t k = 0;
  if (modifiers.shift) k += step;
  if (modifiers.ctrl) k -= step;
  return k;
}

void handleSpace(bool release) {
  if (release) {
    // Sent even without a preceding sustain-on: a release must always leave the pedal up.
    app.input.sustainLatch = 0;
    controlChange(app.settings.channel, midi_controller::kSustain, kSustainOff);
    return;
  }
  if (app.input.sustainLatch != 0) return;  // auto-repeat of a held space bar
  app.input.sustainLatch = 1;
  controlChange(app.settings.channel, midi_controller::kSustain, kSustainOn);
}

// Only with a port open; without one the key passes untouched and the latch keeps its value.
void handleEnter(bool release) {
  if (app.midi.deviceOpen == 0) return;
  if (release) {
    app.input.allNotesOffLatch = 0;
    return;
  }
  if (app.input.allNotesOffLatch != 0) return;
  app.input.allNotesOffLatch = 1;
  allSoundingNotesOff();
  // The keys still held are repainted released: their notes are gone.
  plat::invalidateClient();
}

// Acts with or without a port: the sounding-notes table is cleared either way. No redraw, so
// held keys stay drawn pressed until their release.
void handleEscape(bool release) {
  if (release) {
    app.input.panicLatch = 0;
    return;
  }
  if (app.input.panicLatch != 0) return;
  app.input.panicLatch = 1;
  resetAllChannels();
}

// One menu step: the Transpose menu's own command, repaint and all.
void stepTranspose(bool up) {
  const int32_t commandId = transposeItemToward(app.settings.layout, app.settings.transpose, up);
  if (commandId != 0) dispatchCommand(commandId);
}

// The bar limits the result to 1..127; the sum is pinned to the int32 range first so that a
// damaged stored velocity cannot overflow it.
void stepVelocity(int32_t delta) {
  app.settings.velocity = saturateToInt32(int64_t{app.settings.velocity} + delta);
  updateVelocityBar();
}

// Up/Down step the transposition, keypad plus/minus the velocity by 8: on key-down only,
// auto-repeats included, so holding a key keeps stepping up to the bound.
void handleTransposeAndVelocityKeys(const KeyMessage& message) {
  if (message.release) return;
  switch (message.virtualKey) {
    case vk::kUp: stepTranspose(true); break;
    case vk::kDown: stepTranspose(false); break;
    case vk::kKeypadPlus: stepVelocity(kVelocityStep); break;
    case vk::kKeypadMinus: stepVelocity(-kVelocityStep); break;
    default: break;
  }
}

}  // namespace

// When the window stops hearing the keyboard or the mouse, the releases of keys held now go to
// someone else. End every note we switched on and lift the pedal, so nothing is left sounding,
// and forget the latches so the next press of Space, Enter or Esc acts again.
void releaseEverythingHeld() {
  if (app.midi.deviceOpen != 0) {
    allSoundingNotesOff();
    plat::invalidateClient();
  }
  if (app.input.sustainLatch != 0) {
    controlChange(app.settings.channel, midi_controller::kSustain, kSustainOff);
  }
  app.input.sustainLatch = 0;
  app.input.allNotesOffLatch = 0;
  app.input.panicLatch = 0;
}

void noteKeyEvent(bool release, int32_t scan, Modifiers modifiers, const KeyLayout& layout) {
  if (scan < 0 || scan >= kLayoutSlots) return;
  const KeySlot& slot = layout[scan];
  if (slot.octave < 0) return;  // gap or vacant slot
  // Transposition, shift and channel are those of this moment: a release asks for the note it
  // would play now, which is how a changed Shift or transposition leaves the first note alone.
  int32_t octave = playedOctave(slot.octave, octaveShift(modifiers, layout));
  if (release) {
    noteOff(app.settings.channel, octave, slot.semitone);
    drawKeyNow(layout, scan, false);
    return;
  }
  noteOn(app.settings.channel, octave, slot.semitone, app.settings.velocity);
  drawKeyNow(layout, scan, true);
}

void handleKeyMessage(const KeyMessage& message) {
  handleTransposeAndVelocityKeys(message);
  switch (message.virtualKey) {
    case vk::kSpace: handleSpace(message.release); break;
    case vk::kEnter: handleEnter(message.release); break;
    case vk::kEscape: handleEscape(message.release); break;
    default: break;
  }
  // Every key goes on to note input; the keys above have no note slot and play nothing. A held
  // key's auto-repeats play nothing either.
  if (app.midi.deviceOpen != 0 && (message.release || !message.autoRepeat)) {
    noteKeyEvent(message.release, message.scanCode, message.modifiers, currentLayout());
  }
}

void onFocusLost() { releaseEverythingHeld(); }

void onMenuTakesKeyboard() { releaseEverythingHeld(); }
