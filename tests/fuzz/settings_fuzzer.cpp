// libFuzzer target: any bytes as the settings file, then the whole start and a little play on
// the recording platform: read, creation sequence, bars, first paint, a key, a click, the close.
// Besides the sanitizers it stops on a broken promise: a malformed word, a word sent to a closed
// port, or a coordinate a front end could not add to safely.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/app_state.h"
#include "base/commands.h"
#include "base/short_message.h"
#include "display/rect.h"
#include "fake/fake_platform.h"
#include "platform/events.h"

namespace {

void require(bool promise) {
  if (!promise) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fake::reset();
  fake::script().recordCalls = false;
  fake::script().settingsBasePath = "/fuzz/plinkett";
  fake::world().files["/fuzz/PLINKETT.SET"].assign(data, data + size);
  if (startMainWindow()) {
    paintKeyboard();
    handleKeyMessage(KeyMessage{false, 0, 16, false, Modifiers{}});
    handleKeyMessage(KeyMessage{true, 0, 16, false, Modifiers{}});
    handleMouseButton(false, 120, 60, Modifiers{});
    dispatchCommand(cmd::kDefaultSize);
    paintKeyboard();
    handleMouseButton(true, 0, 0, Modifiers{});
    dispatchCommand(cmd::kExit);
  }
  for (uint32_t word : fake::world().sent) require(isWellFormed(word));
  require(fake::world().sendsOnClosedPort == 0);
  require(fake::world().largestCoordinate <= kCoordinateLimit);
  return 0;
}
