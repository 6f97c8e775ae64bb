// The typing keyboard, by physical position: KeyboardEvent.code names the key wherever the
// player's layout puts its letters, and this one table gives the scan code a PC keyboard reports
// for it (for an extended key, the byte after its E0 prefix), the same codes the desktop
// programs hand the core.
export const scanCodes = {
  Escape: 0x01, Digit1: 0x02, Digit2: 0x03, Digit3: 0x04, Digit4: 0x05, Digit5: 0x06,
  Digit6: 0x07, Digit7: 0x08, Digit8: 0x09, Digit9: 0x0a, Digit0: 0x0b, Minus: 0x0c,
  Equal: 0x0d, Backspace: 0x0e, Tab: 0x0f, KeyQ: 0x10, KeyW: 0x11, KeyE: 0x12, KeyR: 0x13,
  KeyT: 0x14, KeyY: 0x15, KeyU: 0x16, KeyI: 0x17, KeyO: 0x18, KeyP: 0x19, BracketLeft: 0x1a,
  BracketRight: 0x1b, Enter: 0x1c, ControlLeft: 0x1d, KeyA: 0x1e, KeyS: 0x1f, KeyD: 0x20,
  KeyF: 0x21, KeyG: 0x22, KeyH: 0x23, KeyJ: 0x24, KeyK: 0x25, KeyL: 0x26, Semicolon: 0x27,
  Quote: 0x28, Backquote: 0x29, ShiftLeft: 0x2a, Backslash: 0x2b, KeyZ: 0x2c, KeyX: 0x2d,
  KeyC: 0x2e, KeyV: 0x2f, KeyB: 0x30, KeyN: 0x31, KeyM: 0x32, Comma: 0x33, Period: 0x34,
  Slash: 0x35, ShiftRight: 0x36, NumpadMultiply: 0x37, AltLeft: 0x38, Space: 0x39,
  CapsLock: 0x3a, F1: 0x3b, F2: 0x3c, F3: 0x3d, F4: 0x3e, F5: 0x3f, F6: 0x40, F7: 0x41,
  F8: 0x42, F9: 0x43, F10: 0x44, NumLock: 0x45, ScrollLock: 0x46, Numpad7: 0x47, Numpad8: 0x48,
  Numpad9: 0x49, NumpadSubtract: 0x4a, Numpad4: 0x4b, Numpad5: 0x4c, Numpad6: 0x4d,
  NumpadAdd: 0x4e, Numpad1: 0x4f, Numpad2: 0x50, Numpad3: 0x51, Numpad0: 0x52,
  NumpadDecimal: 0x53, IntlBackslash: 0x56, F11: 0x57, F12: 0x58, NumpadEqual: 0x59,
  F13: 0x64, F14: 0x65, F15: 0x66, F16: 0x67, F17: 0x68, F18: 0x69, F19: 0x6a, F20: 0x6b,
  F21: 0x6c, F22: 0x6d, F23: 0x6e, KanaMode: 0x70, IntlRo: 0x73, F24: 0x76, Convert: 0x79,
  NonConvert: 0x7b, IntlYen: 0x7d, NumpadComma: 0x7e,
  // Extended keys: a PC keyboard sends E0 before these; only the second byte is the scan code,
  // so keypad divide plays the slash key's note and keypad Enter is Enter.
  NumpadEnter: 0x1c, ControlRight: 0x1d, NumpadDivide: 0x35, PrintScreen: 0x37, AltRight: 0x38,
  Pause: 0x45, Home: 0x47, ArrowUp: 0x48, PageUp: 0x49, ArrowLeft: 0x4b, ArrowRight: 0x4d,
  End: 0x4f, ArrowDown: 0x50, PageDown: 0x51, Insert: 0x52, Delete: 0x53, MetaLeft: 0x5b,
  MetaRight: 0x5c, ContextMenu: 0x5d,
};

// Virtual-key codes of the keys with fixed duties, which the core knows by meaning; these keys
// mean the same on every layout, so their position tells it.
const virtualKeys = {
  Space: 32, Enter: 13, NumpadEnter: 13, Escape: 27, ArrowUp: 38, ArrowDown: 40,
  NumpadAdd: 107, NumpadSubtract: 109,
};

// A key without a scan code of its own (a media key, an unknown code) reaches no note slot: the
// line's kNoScanCode (events.h).
const kNoScanCode = 0xff;

// The key message of one keydown or keyup, or null for an event that is not the keyboard's:
// a press with Alt held is the menu's access letter (its release still ends a note).
export function keyMessage(event, release, alreadyDown) {
  if (!release && event.altKey) return null;
  const scan = scanCodes[event.code] ?? kNoScanCode;
  return {
    release,
    virtualKey: virtualKeys[event.code] ?? 0,
    scan,
    repeat: !release && (event.repeat || alreadyDown),
    shift: event.shiftKey,
    ctrl: event.ctrlKey,
  };
}

// Browser shortcuts the player needs even while playing: with Cmd anything, with Ctrl closing or
// opening a tab or a window, quitting, and moving between tabs.
const browserShortcuts = new Set(['KeyW', 'KeyT', 'KeyN', 'KeyQ', 'Tab', 'PageUp', 'PageDown', 'F4']);

// A layout has slots for the scan codes 0 to 53; keys beyond them (F5, F11, F12) never play.
const kLayoutSlots = 54;

// Whether the page keeps the browser from acting on a key it plays (so ' and / open no quick
// find and Space scrolls nothing).
export function keepFromBrowser(event) {
  if (event.metaKey) return false;
  if (event.ctrlKey && browserShortcuts.has(event.code)) return false;
  return (scanCodes[event.code] ?? kNoScanCode) < kLayoutSlots || event.code in virtualKeys;
}
