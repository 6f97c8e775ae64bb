#include "keyboard/note_input.h"

#include <cstdint>

#include "app/app_state.h"
#include "base/int_conversions.h"
#include "display/key_drawing.h"
#include "display/key_geometry.h"
#include "display/rect.h"
#include "keyboard/transpose_keys.h"
#include "midi/midi_output.h"
#include "midi/short_message.h"
#include "platform/platform.h"

namespace {

constexpr int32_t kSustainOn = 127;
constexpr int32_t kSustainOff = 0;

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

}  // namespace

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

void handleMouseButton(bool release, int32_t x, int32_t y, Modifiers modifiers) {
  const KeyLayout& layout = currentLayout();
  int32_t scan = -1;
  if (release) {
    // The key our press hit, even if a zoom or a resize has moved it since: the release ends the
    // note that the press sounded. A release without our press is looked up where the last
    // press was.
    scan = app.input.mouseCaptured != 0 ? app.input.pressedScan : hitTestKey(layout, app.input.pressPoint.x, app.input.pressPoint.y);
    // Cleared first: the platform reports our own release as a change of capture, and that
    // report must not be taken for a capture stolen from a held press.
    app.input.mouseCaptured = 0;
    app.input.pressedScan = -1;
    plat::mouseRelease();
  } else {
    plat::mouseCapture();
    app.input.mouseCaptured = 1;
    // Kept in 16 bits, as a window system reports client pixels: no client area is wider.
    app.input.pressPoint.x = static_cast<uint16_t>(x);
    app.input.pressPoint.y = static_cast<uint16_t>(y);
    scan = hitTestKey(layout, app.input.pressPoint.x, app.input.pressPoint.y);
    app.input.pressedScan = scan;
  }
  if (app.midi.deviceOpen == 0 || scan == -1) return;
  noteKeyEvent(release, scan, modifiers, layout);
}

int32_t hitTestKey(const KeyLayout& layout, int32_t x, int32_t y) {
  for (int32_t scan = 0; scan < kLayoutSlots; ++scan) {
    const KeySlot& slot = layout[scan];
    if (slot.semitone < 0) continue;  // gaps and vacant slots are never found
    if (rectContains(keyRect(slot), x, y)) return scan;
  }
  return -1;
}

void onFocusLost() { releaseEverythingHeld(); }

void onMenuTakesKeyboard() { releaseEverythingHeld(); }

void onMouseCaptureLost() {
  // Only a capture taken from our own held press matters; any other change is none of ours.
  if (app.input.mouseCaptured == 0) return;
  app.input.mouseCaptured = 0;
  releaseEverythingHeld();
}
