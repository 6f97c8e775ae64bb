#include "app/window_commands.h"

#include "base/app_state.h"
#include "base/commands.h"
#include "display/window_size.h"
#include "keyboard/key_layouts.h"
#include "keyboard/transpose.h"
#include "platform/platform.h"

void selectLayout(int32_t commandId) {
  for (int32_t id = cmd::kLayoutPiano; id <= cmd::kLayoutChromatic; ++id) plat::menuCheck(id, false);
  app.settings.layout = commandId - cmd::kLayoutPiano;
  plat::menuCheck(commandId, true);
  // As the menu's "No Transpose" does it, so the transposition returns to 0 under the new
  // layout's rules.
  setTranspose(cmd::kNoTranspose);
  relabelTransposeItems(app.settings.layout);
}

void toggleFlats() {
  app.settings.showFlats = app.settings.showFlats == 0 ? 1 : 0;
  plat::menuCheck(cmd::kShowFlats, app.settings.showFlats == 1);
  relabelBlackKeys(app.settings.showFlats);
}

void toggleAlwaysOnTop() {
  // Any stored nonzero value counts as on, so the first toggle turns it off.
  app.settings.alwaysOnTop = app.settings.alwaysOnTop == 0 ? 1 : 0;
  plat::menuCheck(cmd::kAlwaysOnTop, app.settings.alwaysOnTop == 1);
  plat::windowSetTopmost(app.settings.alwaysOnTop == 1);
}

void toggleControlBars() {
  app.settings.showControlBars = app.settings.showControlBars == 0 ? 1 : 0;
  const bool on = app.settings.showControlBars != 0;
  plat::menuCheck(cmd::kShowControlBars, on);
  plat::barShow(plat::Bar::PitchBend, on);
  plat::barShow(plat::Bar::Modulation, on);
  plat::barShow(plat::Bar::Velocity, on);
  refreshLayout();
}
