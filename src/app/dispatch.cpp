#include "app/help_commands.h"
#include "app/window_commands.h"
#include "base/commands.h"
#include "display/window_size.h"
#include "display/zoom.h"
#include "keyboard/transpose.h"
#include "midi/devices.h"
#include "midi/midi_output.h"
#include "platform/events.h"
#include "platform/platform.h"

namespace {

// Commands that stand alone; ranges (transpose, program, channel, layout, zoom, devices) are
// matched before this table.
struct SingleCommand {
  int32_t id;
  void (*run)();
};

void exitProgram() { plat::windowClose(); }

constexpr SingleCommand kSingleCommands[] = {
    {cmd::kExit,            exitProgram},
    {cmd::kActive,          toggleActive},
    {cmd::kReset,           resetAllChannels},
    {cmd::kAlwaysOnTop,     toggleAlwaysOnTop},
    {cmd::kShowFlats,       toggleFlats},
    {cmd::kShowControlBars, toggleControlBars},
    {cmd::kDefaultSize,     applyDefaultSize},
    {cmd::kHelpIndex,       openHelpIndex},
    {cmd::kHelpUsing,       openHelpUsing},
    {cmd::kWebSite,         openWebSite},
    {cmd::kAbout,           showAbout},
};

bool within(int32_t id, int32_t first, int32_t last) { return id >= first && id <= last; }

void runCommand(int32_t id) {
  if (within(id, cmd::kTransposeDown2, cmd::kTransposeUp2)) return setTranspose(id);
  if (within(id, cmd::kFirstProgram, cmd::kLastProgram)) return selectProgram(id);
  if (within(id, cmd::kFirstChannel, cmd::kLastChannel)) return selectChannel(id);
  if (within(id, cmd::kLayoutPiano, cmd::kLayoutChromatic)) return selectLayout(id);
  if (within(id, cmd::kZoomSmall, cmd::kZoomBig)) return setZoom(id);
  if (isDeviceCommand(id)) return selectDevice(id);
  for (const SingleCommand& c : kSingleCommands) {
    if (c.id == id) return c.run();
  }
}

}  // namespace

void dispatchCommand(int32_t commandId) {
  runCommand(commandId);
  // Every command, known or not, ends with a full repaint, here and nowhere else: every key is
  // drawn released again.
  plat::invalidateClient();
}
