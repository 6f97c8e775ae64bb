#include "keyboard/transpose_keys.h"

#include <cstdint>
#include <iterator>
#include <limits>
#include <span>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/dispatch.h"
#include "display/control_bars.h"
#include "keyboard/key_layouts.h"

namespace {

constexpr int32_t kVelocityStep = 8;

// The transpositions the Transpose menu offers in a layout, ascending, with the command that sets
// each one. The arrows move to the neighbouring row, so they only ever issue these commands.
struct TransposeStep {
  int32_t octaves;
  int32_t commandId;
};

constexpr TransposeStep kPianoSteps[] = {
    {-2, cmd::kTransposeDown2},
    {-1, cmd::kTransposeDown1},
    {0, cmd::kNoTranspose},
    {1, cmd::kTransposeUp1},
    {2, cmd::kTransposeUp2},
};
static_assert(std::size(kPianoSteps) == 5);

constexpr TransposeStep kChromaticSteps[] = {
    {-4, cmd::kTransposeDown1},
    {0, cmd::kNoTranspose},
    {4, cmd::kTransposeUp1},
};
static_assert(std::size(kChromaticSteps) == 3);

std::span<const TransposeStep> transposeSteps() {
  // Any layout id other than Chromatic transposes as Piano does, as the Transpose menu does.
  if (app.settings.layout == kChromatic) return kChromaticSteps;
  return kPianoSteps;
}

// Up goes to the nearest offered transposition above the current one, Down to the nearest below;
// at the bound there is none and nothing is issued. For the offered values this is exactly one
// menu step. A value no menu offers can only come from a damaged settings file: rather than
// turning it into a command id that names nothing (Down at +7 would be 119), the arrow brings it
// back to the nearest offered value in the direction pressed (Down at +7 gives +2, Up at +3 in
// Chromatic gives +4) and does nothing when no offered value lies that way.
void stepTranspose(bool up) {
  int32_t current = app.settings.transpose;
  std::span<const TransposeStep> steps = transposeSteps();
  int32_t commandId = 0;
  if (up) {
    for (const TransposeStep& s : steps) {
      if (s.octaves > current) {
        commandId = s.commandId;
        break;
      }
    }
  } else {
    for (const TransposeStep& s : steps) {
      if (s.octaves < current) commandId = s.commandId;
    }
  }
  // Issued as the menu would, so the check mark, the value and the redraw stay in one place.
  if (commandId != 0) dispatchCommand(commandId);
}

// The bar limits the result to 1..127; the sum is pinned to the int32 range first so that a
// damaged stored velocity cannot overflow it.
void stepVelocity(int32_t delta) {
  int64_t sum = static_cast<int64_t>(app.settings.velocity) + delta;
  if (sum > std::numeric_limits<int32_t>::max()) sum = std::numeric_limits<int32_t>::max();
  if (sum < std::numeric_limits<int32_t>::min()) sum = std::numeric_limits<int32_t>::min();
  app.settings.velocity = static_cast<int32_t>(sum);
  updateVelocityBar();
}

}  // namespace

void handleTransposeAndVelocityKeys(const KeyMessage& message) {
  // Key-down only, auto-repeats included: holding a key keeps stepping up to the bound.
  if (message.release) return;
  switch (message.virtualKey) {
    case vk::kUp: stepTranspose(true); break;
    case vk::kDown: stepTranspose(false); break;
    case vk::kKeypadPlus: stepVelocity(kVelocityStep); break;
    case vk::kKeypadMinus: stepVelocity(-kVelocityStep); break;
    default: break;
  }
}
