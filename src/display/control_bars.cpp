#include "display/control_bars.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "base/app_state.h"
#include "base/int_conversions.h"
#include "base/short_message.h"
#include "midi/midi_output.h"

namespace {

constexpr int32_t kVelocityMin = kLowestNoteOnVelocity;
constexpr int32_t kVelocityMax = kDataMax;
constexpr int32_t kModulationMax = kDataMax;
constexpr int32_t kBendMax = 16383;
constexpr int32_t kBendRestPosition = 8192;
constexpr int32_t kBendReleaseValue = 8191;  // what a released thumb sends, though it rests at 8192
constexpr int32_t kPageStep = 8;

// The velocity bar runs upside down: position 1 (top) is 127.
int32_t velocityPosition(int32_t velocity) {
  return saturateToInt32(int64_t{128} - velocity);
}

void placeBar(plat::Bar bar, int32_t x, int32_t y, int32_t width, int32_t height) {
  plat::barMove(bar, x, y, width, height);
}

// The bars' names, by plat::Bar, as their tips show them.
constexpr const char* kBarNames[] = {"Velocity", "Modulation", "Pitch bend"};
static_assert(std::size(kBarNames) == static_cast<std::size_t>(plat::Bar::PitchBend) + 1);

// Moves a bar's thumb and names, in the bar's tip, the value the new position stands for.
void showBarValue(plat::Bar bar, int32_t position, int32_t value, bool redraw) {
  plat::barSetPosition(bar, position, redraw);
  char tip[32];
  std::snprintf(tip, sizeof tip, "%s: %d", kBarNames[static_cast<int32_t>(bar)], static_cast<int>(value));
  plat::barSetTip(bar, tip);
}

}  // namespace

void createControlBars() {
  plat::barCreate(plat::Bar::Velocity, true);
  plat::barSetRange(plat::Bar::Velocity, kVelocityMin, kVelocityMax, false);
  showBarValue(plat::Bar::Velocity, velocityPosition(app.settings.velocity), app.settings.velocity, true);
  plat::barCreate(plat::Bar::Modulation, false);
  plat::barSetRange(plat::Bar::Modulation, 0, kModulationMax, false);
  showBarValue(plat::Bar::Modulation, app.bars.modulation, app.bars.modulation, false);
  plat::barCreate(plat::Bar::PitchBend, true);
  plat::barSetRange(plat::Bar::PitchBend, 0, kBendMax, false);
  showBarValue(plat::Bar::PitchBend, kBendRestPosition, kBendMax - kBendRestPosition, false);
  app.bars.created = 1;
}

void placeControlBars(int32_t width, int32_t height, int32_t thickness) {
  if (app.bars.created == 0) return;
  placeBar(plat::Bar::Velocity, 0, 0, thickness, height - thickness);
  placeBar(plat::Bar::Modulation, thickness, height - thickness, width - 2 * thickness, thickness);
  placeBar(plat::Bar::PitchBend, width - thickness, 0, thickness, height - thickness);
}

void onModulationScroll(ScrollRequest request, uint16_t position) {
  plat::focusMainWindow();
  int32_t value = app.bars.modulation;
  switch (request) {
    case ScrollRequest::LineUp: value -= 1; break;
    case ScrollRequest::LineDown: value += 1; break;
    case ScrollRequest::PageUp: value -= kPageStep; break;
    case ScrollRequest::PageDown: value += kPageStep; break;
    case ScrollRequest::ThumbPosition: value = position; break;
    default: return;  // dragging changes nothing until the thumb is let go
  }
  app.bars.modulation = std::clamp(value, 0, kModulationMax);
  showBarValue(plat::Bar::Modulation, app.bars.modulation, app.bars.modulation, true);
  // Sent even when the value did not change: a click at 0 repeats controller 1 value 0.
  if (app.midi.deviceOpen != 0) modulationWheel(app.settings.channel, app.bars.modulation);
}

namespace {

void onPitchBendScroll(ScrollRequest request, uint16_t position) {
  int32_t value = 0;
  if (request == ScrollRequest::ThumbTrack) {
    // Worked out in 16 bits, as the bar reports positions.
    auto bend = static_cast<int16_t>(kBendMax - position);
    value = std::clamp<int32_t>(bend, 0, kBendMax);
  } else if (request == ScrollRequest::ThumbPosition) {
    value = kBendReleaseValue;
  } else {
    return;  // arrows and trough: the bend is played by dragging only
  }
  showBarValue(plat::Bar::PitchBend, kBendMax - value, value, true);
  if (app.midi.deviceOpen != 0) pitchBend(app.settings.channel, value);
}

void onVelocityScroll(ScrollRequest request, uint16_t position) {
  // Up is louder: the bar's position falls as the velocity rises. 64 bits, so a stored velocity
  // at the int32 ends cannot overflow before it is limited.
  int64_t velocity = app.settings.velocity;
  switch (request) {
    case ScrollRequest::LineUp: velocity += 1; break;
    case ScrollRequest::LineDown: velocity -= 1; break;
    case ScrollRequest::PageUp: velocity += kPageStep; break;
    case ScrollRequest::PageDown: velocity -= kPageStep; break;
    case ScrollRequest::ThumbPosition: velocity = 128 - int64_t{position}; break;
    default: return;  // dragging changes nothing until the thumb is let go
  }
  app.settings.velocity = static_cast<int32_t>(std::clamp<int64_t>(velocity, kVelocityMin, kVelocityMax));
  updateVelocityBar();
}

}  // namespace

void onVerticalScroll(plat::Bar bar, ScrollRequest request, uint16_t position) {
  plat::focusMainWindow();
  if (bar == plat::Bar::PitchBend) {
    onPitchBendScroll(request, position);
  } else {
    onVelocityScroll(request, position);
  }
}

void updateVelocityBar() {
  app.settings.velocity = std::clamp(app.settings.velocity, kVelocityMin, kVelocityMax);
  showBarValue(plat::Bar::Velocity, velocityPosition(app.settings.velocity), app.settings.velocity, true);
}
