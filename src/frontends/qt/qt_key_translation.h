// From a Qt key event to the core's key message.
#pragma once

#include <cstdint>

#include "platform/events.h"

class QKeyEvent;

enum class KeyRouting : uint8_t {
  ToCore,   // hand the message to handleKeyMessage
  Ignore,   // an auto-repeated release: X11 sends release/press pairs while a key is held
  System,   // pressed with Alt held: a system key, left to Qt (menu access letters)
};

struct TranslatedKey {
  KeyRouting routing;
  KeyMessage message;
};

// X11 and Wayland keycodes are evdev codes + 8. Evdev codes equal PC scan codes for the basic
// keys; the others (keypad divide and Enter, right Ctrl and Alt, the arrows, Home ... Delete and
// more) are translated to the scan codes a PC keyboard reports for them. A key a PC keyboard has
// no code for gets kNoScanCode.
uint8_t scanCodeFromNative(uint32_t nativeScanCode);
// alreadyDown: the key's last press has had no release yet, so this press is a repeat whatever
// the toolkit says (X sends a held key's repeats as presses alone when asked to).
// releaselessRepeats: the window system sends repeats that way (detectable auto-repeat was
// granted). Every release is then the player's, and a press is a repeat only when alreadyDown:
// the toolkit's own flag is left aside, because it takes a release and the next press of one key
// stamped in the same millisecond (a stalled X server, a remote or synthetic keyboard) for a
// repeat, and the press would play nothing.
TranslatedKey translateKeyEvent(const QKeyEvent& event, bool release, bool alreadyDown,
                                bool releaselessRepeats = false);
