#include "frontends/qt/qt_key_translation.h"

#include <QKeyEvent>
#include <array>

namespace {

constexpr uint32_t kX11KeycodeOffset = 8;

// Evdev codes 1-83 and 86-88 are the scan codes a PC keyboard reports for the same keys. The
// keys below have codes of their own; a PC keyboard reports them with the scan code written here
// (for an extended key, the byte after its E0 prefix).
struct EvdevScan {
  uint16_t evdev;  // linux/input-event-codes.h
  uint8_t scan;
};

constexpr EvdevScan kEvdevScanCodes[] = {
    // evdev  scan          key
    {  85,  0x76},  // Zenkaku/Hankaku
    {  89,  0x73},  // Ro (Japanese and Brazilian keyboards)
    {  90,  0x78},  // Katakana
    {  91,  0x77},  // Hiragana
    {  92,  0x79},  // Henkan
    {  93,  0x70},  // Katakana/Hiragana
    {  94,  0x7B},  // Muhenkan
    {  95,  0x5C},  // keypad comma, Japanese
    {  96,  0x1C},  // keypad Enter
    {  97,  0x1D},  // right Ctrl
    {  98,  0x35},  // keypad divide: the slash key's code, so it plays the slash key's note
    {  99,  0x37},  // Print Screen / SysRq
    { 100,  0x38},  // right Alt
    { 102,  0x47},  // Home
    { 103,  0x48},  // Up
    { 104,  0x49},  // Page Up
    { 105,  0x4B},  // Left
    { 106,  0x4D},  // Right
    { 107,  0x4F},  // End
    { 108,  0x50},  // Down
    { 109,  0x51},  // Page Down
    { 110,  0x52},  // Insert
    { 111,  0x53},  // Delete
    { 117,  0x59},  // keypad equals
    { 119,  0x45},  // Pause
    { 121,  0x7E},  // keypad comma, Brazilian
    { 124,  0x7D},  // Yen
    { 125,  0x5B},  // left Windows key
    { 126,  0x5C},  // right Windows key
    { 127,  0x5D},  // Menu
    { 183,  0x64},  // F13
    { 184,  0x65},  // F14
    { 185,  0x66},  // F15
    { 186,  0x67},  // F16
    { 187,  0x68},  // F17
    { 188,  0x69},  // F18
    { 189,  0x6A},  // F19
    { 190,  0x6B},  // F20
    { 191,  0x6C},  // F21
    { 192,  0x6D},  // F22
    { 193,  0x6E},  // F23
    { 194,  0x76},  // F24
};

// Every other code gets no scan code. Media keys in particular stay out: their PC codes are
// letter keys' codes behind an E0, and Mute would play the D key's note.
constexpr std::array<uint8_t, 256> scanCodesByEvdev() {
  std::array<uint8_t, 256> table{};
  for (uint8_t& scan : table) scan = kNoScanCode;
  for (uint32_t code = 1; code <= 88; ++code) {
    if (code != 84 && code != 85) table[code] = static_cast<uint8_t>(code);
  }
  for (const EvdevScan& e : kEvdevScanCodes) table[e.evdev] = e.scan;
  return table;
}

constexpr std::array<uint8_t, 256> kScanCodeByEvdev = scanCodesByEvdev();

int32_t virtualKeyOf(const QKeyEvent& event) {
  const bool keypad = (event.modifiers() & Qt::KeypadModifier) != 0;
  switch (event.key()) {
    case Qt::Key_Space: return vk::kSpace;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vk::kEnter;
    case Qt::Key_Escape: return vk::kEscape;
    case Qt::Key_Up: return vk::kUp;
    case Qt::Key_Down: return vk::kDown;
    case Qt::Key_Plus: return keypad ? vk::kKeypadPlus : 0;
    case Qt::Key_Minus: return keypad ? vk::kKeypadMinus : 0;
    default: return 0;
  }
}

}  // namespace

uint8_t scanCodeFromNative(uint32_t nativeScanCode) {
  if (nativeScanCode < kX11KeycodeOffset) return kNoScanCode;
  const uint32_t evdev = nativeScanCode - kX11KeycodeOffset;
  return evdev < kScanCodeByEvdev.size() ? kScanCodeByEvdev[evdev] : kNoScanCode;
}

TranslatedKey translateKeyEvent(const QKeyEvent& event, bool release, bool alreadyDown, bool releaselessRepeats) {
  KeyMessage message{release, virtualKeyOf(event), kNoScanCode, false, Modifiers{}};
  // A press with Alt held is the menu's access letter; a release is always the key's own, or the
  // note it started would sound on once Alt is let go.
  if (!release && (event.modifiers() & Qt::AltModifier) != 0) return TranslatedKey{KeyRouting::System, message};
  const bool toolkitRepeat = event.isAutoRepeat() && !releaselessRepeats;
  if (release && toolkitRepeat) return TranslatedKey{KeyRouting::Ignore, message};
  message.scanCode = scanCodeFromNative(event.nativeScanCode());
  message.autoRepeat = !release && (toolkitRepeat || alreadyDown);
  message.modifiers.shift = (event.modifiers() & Qt::ShiftModifier) != 0;
  message.modifiers.ctrl = (event.modifiers() & Qt::ControlModifier) != 0;
  return TranslatedKey{KeyRouting::ToCore, message};
}
