#include "app/window_commands.h"

#include "app/app_state.h"
#include "app/commands.h"
#include "platform/events.h"
#include "app/transpose_commands.h"
#include "keyboard/key_layouts.h"
#include "platform/platform.h"

void selectLayout(int32_t commandId) {
  for (int32_t id = cmd::kLayoutPiano; id <= cmd::kLayoutChromatic; ++id) plat::menuCheck(id, false);
  app.settings.layout = commandId - cmd::kLayoutPiano;
  plat::menuCheck(commandId, true);
  // Sent as the menu would send it, so the transposition returns to 0 under the new layout's rules.
  dispatchCommand(cmd::kNoTranspose);
  relabelTransposeItems(app.settings.layout);
  plat::invalidateClient();
}

void toggleFlats() {
  app.settings.showFlats = app.settings.showFlats == 0 ? 1 : 0;
  plat::menuCheck(cmd::kShowFlats, app.settings.showFlats == 1);
  relabelBlackKeys(app.settings.showFlats);
  plat::invalidateClient();
}

void toggleAlwaysOnTop() {
  // Any stored nonzero value counts as on, so the first toggle turns it off.
  app.settings.alwaysOnTop = app.settings.alwaysOnTop == 0 ? 1 : 0;
  plat::menuCheck(cmd::kAlwaysOnTop, app.settings.alwaysOnTop == 1);
  plat::windowSetTopmost(app.settings.alwaysOnTop == 1);
  plat::invalidateClient();
}
