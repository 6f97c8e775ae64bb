// The left mouse button on the drawn keys: handleMouseButton and onMouseCaptureLost (events.h).
#include <cstdint>

#include "base/app_state.h"
#include "keyboard/key_grid.h"
#include "keyboard/key_layouts.h"
#include "keyboard/note_input.h"
#include "platform/events.h"
#include "platform/platform.h"

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

void onMouseCaptureLost() {
  // Only a capture taken from our own held press matters; any other change is none of ours.
  if (app.input.mouseCaptured == 0) return;
  app.input.mouseCaptured = 0;
  releaseEverythingHeld();
}
