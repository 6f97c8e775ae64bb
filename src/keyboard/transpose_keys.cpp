#include "keyboard/transpose_keys.h"

#include <cstdint>

#include "app/app_state.h"
#include "app/transpose_commands.h"
#include "base/int_conversions.h"
#include "display/control_bars.h"
#include "platform/events.h"

namespace {

constexpr int32_t kVelocityStep = 8;

// Issued as the menu would, so the check mark, the value and the redraw stay in one place.
void stepTranspose(bool up) {
  int32_t commandId = transposeItemToward(app.settings.layout, app.settings.transpose, up);
  if (commandId != 0) dispatchCommand(commandId);
}

// The bar limits the result to 1..127; the sum is pinned to the int32 range first so that a
// damaged stored velocity cannot overflow it.
void stepVelocity(int32_t delta) {
  app.settings.velocity = saturateToInt32(int64_t{app.settings.velocity} + delta);
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
