// The Windows program's entry.
#include "frontends/win32/win32_front_end.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int showCommand) {
  if (previous == nullptr) registerMainWindowClass(instance);
  // Without a window nothing could ever end the message loop: end at once instead.
  if (startFrontEnd(instance, showCommand) == StartResult::NoWindow) return 1;
  return runMessageLoop();
}
