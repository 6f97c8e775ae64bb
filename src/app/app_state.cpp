#include "app/app_state.h"

#include "keyboard/key_layouts.h"

AppState app;

void resetAppState() {
  app = AppState{};
  relabelBlackKeys(0);
}
